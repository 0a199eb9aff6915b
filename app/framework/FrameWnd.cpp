// SPDX-License-Identifier: MIT
#include "app/framework/FrameWnd.h"

#include "app/framework/CmdUI.h"
#include "app/framework/Document.h"
#include "app/framework/View.h"
#include "app/resources/Resources.h"
#include "res/ResourceIds.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSessionManager>
#include <QStatusTipEvent>
#include <QWhatsThis>

namespace {

// Qt's placeholder for the modified mark; doubled, it shows literally.
constexpr QLatin1String kModifiedMark("[*]");

QString EscapeModifiedMark(QString text) {
    return text.replace(kModifiedMark, QString(kModifiedMark) + kModifiedMark);
}

} // namespace

BEGIN_MESSAGE_MAP(CFrameWnd, CCmdTarget)
ON_COMMAND_RANGE(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, OnBarCheck)
ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
END_MESSAGE_MAP()

CFrameWnd::CFrameWnd() : QMainWindow(nullptr), m_actions(this, [this](int nID) { SendCommand(nID); }) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &CFrameWnd::OnCommitDataRequest);
}

CFrameWnd::~CFrameWnd() {
    if (m_bHelpMode) {
        // Nothing is shown any more: the derived frame and its status bar are gone.
        m_bHelpMode = false;
        QWhatsThis::leaveWhatsThisMode();
    }
}

bool CFrameWnd::LoadFrame(int nIDResource, CCreateContext* pContext) {
    if (!PreCreateWindow()) {
        return false;
    }
    setWindowIcon(CResources::LoadIcon(nIDResource));
    m_menus = m_actions.BuildMenus(menuBar());
    for (QMenu* pMenu : m_menus) {
        connect(pMenu, &QMenu::aboutToShow, this, [this, pMenu] { UpdateMenu(pMenu); });
    }
    m_actions.BuildAccelerators();
    m_pApp = pContext != nullptr ? pContext->m_pApp : nullptr;
    if (OnCreate(pContext) == -1) {
        return false;
    }
    SetMessageText(GetIdleText());
    UpdateCommandUI();
    return true;
}

int CFrameWnd::OnCreate(CCreateContext* pContext) {
    if (pContext == nullptr || pContext->m_pNewViewClass == nullptr) {
        return 0;
    }
    CView* pView = pContext->m_pNewViewClass->CreateObject();
    if (pView == nullptr) {
        return -1;
    }
    pView->setParent(this);
    pView->SetDocument(pContext->m_pCurrentDoc);
    setCentralWidget(pView);
    m_pActiveView = pView;
    if (pView->OnCreate() == -1) {
        return -1;
    }
    return 0;
}

void CFrameWnd::InitialUpdateFrame(bool bMakeVisible) {
    OnUpdateFrameTitle();
    if (m_pActiveView != nullptr) {
        m_pActiveView->OnInitialUpdate();
    }
    if (bMakeVisible) {
        show();
    }
    UpdateCommandUI();
}

CDocument* CFrameWnd::GetActiveDocument() const {
    return m_pActiveView != nullptr ? m_pActiveView->GetDocument() : nullptr;
}

bool CFrameWnd::OnCmdMsg(int nID, CmdCode code, CCmdUI* pCmdUI) {
    if (m_pActiveView != nullptr && m_pActiveView->OnCmdMsg(nID, code, pCmdUI)) {
        return true;
    }
    if (CDocument* pDoc = GetActiveDocument(); pDoc != nullptr && pDoc->OnCmdMsg(nID, code, pCmdUI)) {
        return true;
    }
    if (CCmdTarget::OnCmdMsg(nID, code, pCmdUI)) {
        return true;
    }
    return m_pApp != nullptr && m_pApp->OnCmdMsg(nID, code, pCmdUI);
}

void CFrameWnd::SendCommand(int nID) {
    // The handler may close this frame; keep a guard so nothing touches it afterwards.
    QPointer<CFrameWnd> self(this);
    OnCmdMsg(nID, CmdCode::Command, nullptr);
    if (self && isVisible()) {
        UpdateCommandUI();
    }
}

bool CFrameWnd::IsCommandEnabled(int nID, int* pCheck) {
    CCmdUI ui(nID);
    ui.m_pAction = FindCommandAction(nID);
    OnCmdMsg(nID, CmdCode::Update, &ui);
    if (!ui.m_bEnableChanged) {
        ui.Enable(OnCmdMsg(nID, CmdCode::Probe, nullptr));
    }
    if (pCheck != nullptr) {
        *pCheck = ui.m_check.has_value() ? (*ui.m_check ? 1 : 0) : -1;
    }
    return ui.m_bEnabled;
}

void CFrameWnd::ApplyUpdate(QAction* pAction, int nID) {
    int nCheck = -1;
    const bool bEnabled = IsCommandEnabled(nID, &nCheck);
    pAction->setEnabled(bEnabled);
    if (nCheck >= 0) {
        pAction->setCheckable(true);
        pAction->setChecked(nCheck == 1);
    }
}

void CFrameWnd::UpdateCommandUI() {
    for (const auto& [nID, pAction] : m_actions.All()) {
        if (nID < ID_FILE_MRU_FILE1 || nID > ID_FILE_MRU_FILE16) {
            ApplyUpdate(pAction, nID);
        }
    }
    for (QMenu* pMenu : m_menus) {
        UpdateMenu(pMenu);
    }
}

void CFrameWnd::UpdateMenu(QMenu* pMenu) {
    // The recent-file entries are (re)built by the owner of the placeholder's update handler.
    if (QAction* pPlaceholder = FindCommandAction(ID_FILE_MRU_FILE1);
        pPlaceholder != nullptr && pMenu->actions().contains(pPlaceholder)) {
        CCmdUI ui(ID_FILE_MRU_FILE1);
        ui.m_pMenu = pMenu;
        ui.m_pAction = pPlaceholder;
        OnCmdMsg(ID_FILE_MRU_FILE1, CmdCode::Update, &ui);
    }
    for (QAction* pAction : pMenu->actions()) {
        const int nID = pAction->data().toInt();
        if (nID != 0 && (nID < ID_FILE_MRU_FILE1 || nID > ID_FILE_MRU_FILE16)) {
            ApplyUpdate(pAction, nID);
        }
    }
}

QMenu* CFrameWnd::GetMenu(int nIndex) const {
    return nIndex >= 0 && nIndex < static_cast<int>(m_menus.size()) ? m_menus[nIndex] : nullptr;
}

void CFrameWnd::RegisterControlBar(QWidget* pBar, int nControlID) {
    m_controlBars.emplace_back(pBar, nControlID);
}

QWidget* CFrameWnd::GetControlBar(int nControlID) const {
    for (const auto& [pBar, nID] : m_controlBars) {
        if (pBar && nID == nControlID) {
            return pBar;
        }
    }
    return nullptr;
}

void CFrameWnd::ShowControlBar(QWidget* pBar, bool bShow, bool) {
    if (pBar == nullptr) {
        return;
    }
    pBar->setVisible(bShow);
    UpdateCommandUI();
}

void CFrameWnd::OnBarCheck(int nID) {
    if (QWidget* pBar = GetControlBar(nID)) {
        ShowControlBar(pBar, pBar->isHidden(), false);
    }
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI) {
    if (QWidget* pBar = GetControlBar(pCmdUI->m_nID)) {
        pCmdUI->SetCheck(!pBar->isHidden());
        pCmdUI->Enable(true);
        return;
    }
    pCmdUI->Enable(false);
}

QString CFrameWnd::GetIdleText() const {
    return CResources::LoadString(m_bHelpMode ? AFX_IDS_HELPMODEMESSAGE : AFX_IDS_IDLEMESSAGE);
}

void CFrameWnd::OnUpdateFrameTitle() {
    const QString appTitle = CResources::DocString(IDR_MAINFRAME, 0);
    CDocument* pDoc = GetActiveDocument();
    if (pDoc == nullptr) {
        SetWindowText(appTitle);
        return;
    }
    // The mark goes with the document's name, not with the application's.
    setWindowTitle(EscapeModifiedMark(pDoc->GetTitle()) + kModifiedMark + QStringLiteral(" - ") +
                   EscapeModifiedMark(appTitle));
}

void CFrameWnd::SetWindowText(const QString& text) {
    setWindowTitle(EscapeModifiedMark(text) + kModifiedMark);
}

void CFrameWnd::OnContextHelp() {
    if (m_bHelpMode) {
        return;
    }
    m_bHelpMode = true;
    SetMessageText(GetIdleText());
    QWhatsThis::enterWhatsThisMode();
}

bool CFrameWnd::event(QEvent* e) {
    if (e->type() == QEvent::StatusTip) {
        // A highlighted menu item whose command has no prompt sends an empty tip too, and shows nothing.
        const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
        const auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        SetMessageText(tip.isEmpty() && (pMenu == nullptr || pMenu->activeAction() == nullptr) ? GetIdleText()
                                                                                               : tip);
        return true;
    }
    // The toolkit tells every top-level window that help mode has ended.
    if (e->type() == QEvent::LeaveWhatsThisMode && m_bHelpMode) {
        m_bHelpMode = false;
        SetMessageText(GetIdleText());
    }
    return QMainWindow::event(e);
}

bool CFrameWnd::OnQueryEndSession() {
    CDocument* pDoc = GetActiveDocument();
    return pDoc == nullptr || pDoc->CanCloseFrame(this);
}

void CFrameWnd::OnCommitDataRequest(QSessionManager& manager) {
    // Asking needs the session manager's leave; without it the session ends as it will.
    if (manager.allowsInteraction() && !OnQueryEndSession()) {
        manager.cancel();
    }
}

void CFrameWnd::closeEvent(QCloseEvent* e) {
    CDocument* pDoc = GetActiveDocument();
    if (pDoc != nullptr && !pDoc->CanCloseFrame(this)) {
        e->ignore();
        return;
    }
    Q_EMIT Closing();
    e->accept();
}
