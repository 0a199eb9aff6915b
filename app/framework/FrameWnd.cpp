// SPDX-License-Identifier: MIT
#include "app/framework/FrameWnd.h"

#include "app/framework/CmdUI.h"
#include "app/framework/Document.h"
#include "frame/HelpWindow.h"
#include "frame/KeyboardIndicators.h"
#include "app/resources/Resources.h"
#include "frame/StatusBar.h"
#include "frame/ToolBar.h"
#include "app/framework/View.h"
#include "app/framework/WinApp.h"
#include "res/AcceleratorTable.h"
#include "res/MenuTable.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSessionManager>
#include <QSizeGrip>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolButton>
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
ON_UPDATE_COMMAND_UI_RANGE(ID_INDICATOR_CAPS, ID_INDICATOR_SCRL, OnUpdateKeyIndicator)
ON_UPDATE_COMMAND_UI(ID_INDICATOR_KANA, OnUpdateKeyIndicator)
END_MESSAGE_MAP()

CFrameWnd::CFrameWnd() : QMainWindow(nullptr) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &CFrameWnd::OnCommitDataRequest);
}

CFrameWnd::~CFrameWnd() {
    if (m_bHelpMode) {
        QWhatsThis::leaveWhatsThisMode();
    }
    qApp->removeEventFilter(this);
    delete m_pHelpWindow;
}

bool CFrameWnd::LoadFrame(int nIDResource, CCreateContext* pContext) {
    if (!PreCreateWindow()) {
        return false;
    }
    setWindowIcon(CResources::LoadIcon(nIDResource));
    BuildMenu();
    BuildAccelerators();
    if (OnCreate(pContext) == -1) {
        return false;
    }
    qApp->installEventFilter(this);
    m_pIndicators = new CKeyboardIndicators(this);
    connect(m_pIndicators, &CKeyboardIndicators::Changed, this, &CFrameWnd::UpdateIndicators);
    UpdateIndicators();
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
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && pApp->OnCmdMsg(nID, code, pCmdUI);
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
    for (const auto& [nID, pAction] : m_actions) {
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

QAction* CFrameWnd::FindCommandAction(int nID) const {
    const auto it = m_actions.find(nID);
    return it == m_actions.end() ? nullptr : it->second;
}

QAction* CFrameWnd::GetCommandAction(int nID) {
    if (QAction* pAction = FindCommandAction(nID)) {
        return pAction;
    }
    auto* pAction = new QAction(this);
    pAction->setData(nID);
    pAction->setStatusTip(CResources::Prompt(nID));
    pAction->setWhatsThis(CResources::Prompt(nID));
    pAction->setToolTip(CResources::Tooltip(nID));
    connect(pAction, &QAction::triggered, this, [this, nID] { SendCommand(nID); });
    m_actions.emplace(nID, pAction);
    return pAction;
}

QMenu* CFrameWnd::GetMenu(int nIndex) const {
    return nIndex >= 0 && nIndex < static_cast<int>(m_menus.size()) ? m_menus[nIndex] : nullptr;
}

void CFrameWnd::BuildMenu() {
    QMenu* pCurrent = nullptr;
    for (const MenuItemResource& item : g_mainMenu) {
        switch (item.kind) {
        case MenuItemKind::Popup:
            pCurrent = menuBar()->addMenu(QString::fromUtf8(item.text));
            m_menus.push_back(pCurrent);
            connect(pCurrent, &QMenu::aboutToShow, this, [this, pCurrent] { UpdateMenu(pCurrent); });
            break;
        case MenuItemKind::EndPopup:
            pCurrent = nullptr;
            break;
        case MenuItemKind::Separator:
            pCurrent->addSeparator();
            break;
        case MenuItemKind::Command: {
            QAction* pAction = GetCommandAction(item.nID);
            pAction->setText(QString::fromUtf8(item.text));
            if (item.bGrayed) {
                pAction->setEnabled(false);
            }
            pCurrent->addAction(pAction);
            break;
        }
        }
    }
}

void CFrameWnd::BuildAccelerators() {
    std::map<int, QList<QKeySequence>> keys;
    std::vector<int> order;
    for (const AcceleratorResource& accel : g_mainAccelerators) {
        if (keys.find(accel.nID) == keys.end()) {
            order.push_back(accel.nID);
        }
        keys[accel.nID].append(
            QKeySequence::fromString(QString::fromUtf8(accel.key), QKeySequence::PortableText));
    }
    for (int nID : order) {
        QAction* pAction = GetCommandAction(nID);
        pAction->setShortcuts(keys[nID]);
        pAction->setShortcutContext(Qt::WindowShortcut);
        addAction(pAction);
    }
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

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* pCmdUI) {
    const CKeyboardIndicators::LockState state =
        m_pIndicators != nullptr ? m_pIndicators->State() : CKeyboardIndicators::LockState();
    switch (pCmdUI->m_nID) {
    case ID_INDICATOR_CAPS:
        pCmdUI->Enable(state.bCaps);
        break;
    case ID_INDICATOR_NUM:
        pCmdUI->Enable(state.bNum);
        break;
    case ID_INDICATOR_SCRL:
        pCmdUI->Enable(state.bScroll);
        break;
    case ID_INDICATOR_KANA:
        pCmdUI->Enable(state.bKana);
        break;
    default:
        pCmdUI->Enable(false);
    }
}

void CFrameWnd::UpdateIndicators() {
    // A hidden status bar is kept up to date too: it shows the right state when it comes back.
    if (m_pStatusBar == nullptr) {
        return;
    }
    for (int i = 1; i < m_pStatusBar->GetCount(); ++i) {
        const int nID = m_pStatusBar->GetItemID(i);
        CCmdUI ui(nID);
        if (OnCmdMsg(nID, CmdCode::Update, &ui)) {
            m_pStatusBar->SetIndicatorOn(nID, ui.m_bEnabled);
        }
    }
}

void CFrameWnd::SetStatusBar(CStatusBar* pStatusBar) {
    m_pStatusBar = pStatusBar;
    setStatusBar(pStatusBar);
}

QString CFrameWnd::GetIdleText() const {
    return CResources::LoadString(m_bHelpMode ? AFX_IDS_HELPMODEMESSAGE : AFX_IDS_IDLEMESSAGE);
}

void CFrameWnd::SetMessageText(const QString& text) {
    if (m_pStatusBar != nullptr && m_pStatusBar->GetCount() > 0) {
        m_pStatusBar->SetPaneText(0, text);
    }
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

void CFrameWnd::OnHelp() {
    OnHelpFinder();
}

void CFrameWnd::OnHelpFinder() {
    if (!m_pHelpWindow) {
        m_pHelpWindow = new CHelpWindow(this);
    }
    m_pHelpWindow->show();
    m_pHelpWindow->raise();
    m_pHelpWindow->activateWindow();
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
    return QMainWindow::event(e);
}

bool CFrameWnd::IsBackground(QWidget* pWidget, const QPointF& globalPos) const {
    // Buttons, sliders, the menu bar, the size grip and a bar's grip have drags of their own.
    if (pWidget->window() != this || (m_pActiveView != nullptr && m_pActiveView->isAncestorOf(pWidget)) ||
        pWidget == m_pActiveView || qobject_cast<QAbstractButton*>(pWidget) != nullptr ||
        qobject_cast<QAbstractSlider*>(pWidget) != nullptr || qobject_cast<QMenuBar*>(pWidget) != nullptr ||
        qobject_cast<QSizeGrip*>(pWidget) != nullptr) {
        return false;
    }
    const auto* pBar = qobject_cast<CToolBar*>(pWidget);
    return pBar == nullptr || !pBar->IsOnHandle(pBar->mapFromGlobal(globalPos).toPoint());
}

void CFrameWnd::ForwardDragToView(QWidget* pWidget, QMouseEvent* e) {
    // The toolkit offers a press, then each move of the drag, first to the widget under the press and then to
    // its parents while they ignore it; only that first widget counts.
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        if (e->button() == Qt::LeftButton) {
            QWidget* pWindow = pWidget->window();
            QWidget* pUnder = pWindow->childAt(pWindow->mapFromGlobal(e->globalPosition()).toPoint());
            if (pWidget == (pUnder != nullptr ? pUnder : pWindow)) {
                m_pDragSource = IsBackground(pWidget, e->globalPosition()) ? pWidget : nullptr;
            }
        }
        break;
    case QEvent::MouseMove:
        // The view's own moves, the forwarded ones among them, are never forwarded.
        if (pWidget == m_pDragSource && pWidget != m_pActiveView && (e->buttons() & Qt::LeftButton) &&
            m_pActiveView != nullptr) {
            const QPointF pos = m_pActiveView->mapFromGlobal(e->globalPosition());
            if (m_pActiveView->rect().contains(pos.toPoint())) {
                QMouseEvent move(QEvent::MouseMove, pos, e->globalPosition(), Qt::NoButton, e->buttons(),
                                 e->modifiers());
                QCoreApplication::sendEvent(m_pActiveView, &move);
            }
        }
        break;
    case QEvent::MouseButtonRelease:
        if (pWidget == m_pDragSource && !(e->buttons() & Qt::LeftButton)) {
            m_pDragSource = nullptr;
        }
        break;
    default:
        break;
    }
}

bool CFrameWnd::eventFilter(QObject* watched, QEvent* e) {
    if (watched->isWidgetType() && (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseMove ||
                                    e->type() == QEvent::MouseButtonRelease)) {
        ForwardDragToView(static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(e));
    }
    if (e->type() == QEvent::LeaveWhatsThisMode && m_bHelpMode) {
        m_bHelpMode = false;
        SetMessageText(GetIdleText());
    } else if (auto* pButton = qobject_cast<QToolButton*>(watched);
               pButton != nullptr && qobject_cast<CToolBar*>(pButton->parentWidget()) != nullptr &&
               pButton->defaultAction() != nullptr && pButton->defaultAction()->statusTip().isEmpty()) {
        // A button without a prompt clears the message pane while the pointer rests on it.
        if (e->type() == QEvent::Enter) {
            SetMessageText(QString());
        } else if (e->type() == QEvent::Leave) {
            SetMessageText(GetIdleText());
        }
    } else if (e->type() == QEvent::Hide && watched->isWidgetType()) {
        auto* pWidget = static_cast<QWidget*>(watched);
        if (pWidget->isWindow() && pWidget->isModal() && pWidget->parentWidget() != nullptr &&
            pWidget->parentWidget()->window() == this) {
            // The keyboard comes back to the frame when its dialog closes, also where no window manager
            // hands it back.
            QTimer::singleShot(0, this, [this] {
                if (isVisible() && QApplication::activeModalWidget() == nullptr) {
                    activateWindow();
                }
            });
        }
    }
    return QMainWindow::eventFilter(watched, e);
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
    if (CWinApp* pApp = AfxGetApp()) {
        pApp->SaveStdProfileSettings();
    }
    e->accept();
}
