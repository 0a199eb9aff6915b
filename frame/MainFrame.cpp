// SPDX-License-Identifier: MIT
#include "frame/MainFrame.h"

#include "app/framework/CmdUI.h"
#include "app/framework/View.h"
#include "files/SettingsFile.h"
#include "frame/DragIntoView.h"
#include "frame/FocusReturn.h"
#include "frame/HelpWindow.h"
#include "frame/KeyboardIndicators.h"
#include "frame/PromptBlanker.h"
#include "frame/StatusBar.h"
#include "frame/ToolBar.h"
#include "res/ResourceIds.h"
#include "res/ToolbarTable.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWindow>
#include <algorithm>

namespace {

// Moves a window that lies partly off its screen the shortest way back onto it.
void MoveOntoScreen(QWindow* pWindow) {
    const QRect area = pWindow->screen()->availableGeometry();
    const QRect frame = pWindow->frameGeometry();
    const int x =
        std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() + 1 - frame.width()));
    const int y =
        std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height()));
    if (QPoint(x, y) != frame.topLeft()) {
        pWindow->setFramePosition(QPoint(x, y));
    }
}

const QString kGeometryKey = QStringLiteral("Window/Geometry");
// Where an earlier version kept the bars' places; dropped when the placement is next written.
const QString kOldBarStateKey = QStringLiteral("Window/State");

} // namespace

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
ON_COMMAND(ID_VIEW_PENBAR, OnViewPenBar)
ON_UPDATE_COMMAND_UI(ID_VIEW_PENBAR, OnUpdateViewPenBar)
ON_UPDATE_COMMAND_UI_RANGE(ID_INDICATOR_CAPS, ID_INDICATOR_SCRL, OnUpdateKeyIndicator)
ON_UPDATE_COMMAND_UI(ID_INDICATOR_KANA, OnUpdateKeyIndicator)
ON_COMMAND(ID_HELP_FINDER, OnHelpFinder)
ON_COMMAND(ID_HELP, OnHelp)
ON_COMMAND(ID_CONTEXT_HELP, OnContextHelp)
ON_COMMAND(ID_DEFAULT_HELP, OnHelpFinder)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() {
    setObjectName(QStringLiteral("mainFrame"));
}

bool CMainFrame::PreCreateWindow() {
    // The window system's default size: three quarters of the screen.
    if (QScreen* pScreen = QGuiApplication::primaryScreen()) {
        const QRect available = pScreen->availableGeometry();
        resize(available.width() * 3 / 4, available.height() * 3 / 4);
    }
    LimitSizeToScreen();
    return CFrameWnd::PreCreateWindow();
}

int CMainFrame::OnCreate(CCreateContext* pContext) {
    if (CFrameWnd::OnCreate(pContext) == -1) {
        return -1;
    }
    m_pSettingsFile = pContext != nullptr ? pContext->m_pSettingsFile : nullptr;

    m_wndToolBar = new CToolBar(this, QStringLiteral("standardToolBar"));
    if (!m_wndToolBar->LoadToolBar(g_standardToolbar)) {
        return -1;
    }
    RegisterControlBar(m_wndToolBar, AFX_IDW_TOOLBAR);

    m_wndPenBar = new CToolBar(this, QStringLiteral("penToolBar"));
    if (!m_wndPenBar->LoadToolBar(g_penToolbar)) {
        return -1;
    }
    RegisterControlBar(m_wndPenBar, AFX_IDW_TOOLBAR);

    m_wndStatusBar = new CStatusBar(this);
    if (!m_wndStatusBar->SetIndicators(g_indicators, static_cast<int>(std::size(g_indicators)))) {
        return -1;
    }
    setStatusBar(m_wndStatusBar);
    RegisterControlBar(m_wndStatusBar, AFX_IDW_STATUS_BAR);
    m_pIndicators = new CKeyboardIndicators(this);
    connect(m_pIndicators, &CKeyboardIndicators::Changed, this, &CMainFrame::UpdateIndicators);
    UpdateIndicators();

    new CDragIntoView(this, GetActiveView(), QList<QWidget*>{m_wndToolBar, m_wndPenBar, m_wndStatusBar});
    auto* pBlanker = new CPromptBlanker(this);
    pBlanker->Watch(m_wndToolBar);
    pBlanker->Watch(m_wndPenBar);
    new CFocusReturn(this);

    addToolBar(Qt::LeftToolBarArea, m_wndPenBar);
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
    for (CToolBar* pBar : {m_wndToolBar, m_wndPenBar}) {
        connect(pBar, &QToolBar::visibilityChanged, this, [this] { UpdateCommandUI(); });
    }
    LoadWindowPlacement();
    return 0;
}

void CMainFrame::OnViewPenBar() {
    ShowControlBar(m_wndPenBar, m_wndPenBar->isHidden(), false);
}

void CMainFrame::OnUpdateViewPenBar(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(!m_wndPenBar->isHidden());
}

void CMainFrame::OnUpdateKeyIndicator(CCmdUI* pCmdUI) {
    const CKeyboardIndicators::LockState& state = m_pIndicators->State();
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
    default:
        pCmdUI->Enable(state.bKana);
    }
}

void CMainFrame::UpdateIndicators() {
    // A hidden status bar is kept up to date too: it shows the right state when it comes back.
    for (int i = 1; i < m_wndStatusBar->GetCount(); ++i) {
        const int nID = m_wndStatusBar->GetItemID(i);
        CCmdUI ui(nID);
        if (OnCmdMsg(nID, CmdCode::Update, &ui)) {
            m_wndStatusBar->SetIndicatorOn(nID, ui.m_bEnabled);
        }
    }
}

void CMainFrame::SetMessageText(const QString& text) {
    if (m_wndStatusBar != nullptr && m_wndStatusBar->GetCount() > 0) {
        m_wndStatusBar->SetPaneText(0, text);
    }
}

void CMainFrame::OnHelp() {
    OnHelpFinder();
}

void CMainFrame::OnHelpFinder() {
    if (!m_pHelpWindow) {
        m_pHelpWindow = new CHelpWindow(this);
    }
    m_pHelpWindow->show();
    m_pHelpWindow->raise();
    m_pHelpWindow->activateWindow();
}

void CMainFrame::closeEvent(QCloseEvent* e) {
    CFrameWnd::closeEvent(e);
    if (e->isAccepted()) {
        SaveWindowPlacement();
    }
}

void CMainFrame::setVisible(bool bVisible) {
    CFrameWnd::setVisible(bVisible);
    // The window system has placed the window now, also where -geometry or -qwindowgeometry asked.
    if (bVisible && !m_bPlaced && windowHandle() != nullptr) {
        m_bPlaced = true;
        if (!isMaximized() && !isFullScreen()) {
            MoveOntoScreen(windowHandle());
        }
    }
}

void CMainFrame::showEvent(QShowEvent* e) {
    CFrameWnd::showEvent(e);
    // The window's frame may be known from now on, and the window may move to a screen of another size.
    connect(windowHandle(), &QWindow::screenChanged, this, &CMainFrame::LimitSizeToScreen,
            Qt::UniqueConnection);
    LimitSizeToScreen();
}

void CMainFrame::resizeEvent(QResizeEvent* e) {
    CFrameWnd::resizeEvent(e);
    // A window system may resize the window without asking; it is brought back within the screen.
    LimitSizeToScreen();
}

void CMainFrame::LoadWindowPlacement() {
    const auto settings = m_pSettingsFile != nullptr ? m_pSettingsFile->Open() : nullptr;
    const QByteArray geometry =
        settings != nullptr ? settings->value(kGeometryKey).toByteArray() : QByteArray();
    if (!geometry.isEmpty() && restoreGeometry(geometry)) {
        LimitSizeToScreen();
    }
}

void CMainFrame::SaveWindowPlacement() const {
    if (m_pSettingsFile != nullptr) {
        m_pSettingsFile->Write([this](QSettings& settings) {
            settings.setValue(kGeometryKey, saveGeometry());
            settings.remove(kOldBarStateKey);
        });
    }
}

void CMainFrame::LimitSizeToScreen() {
    const QSize frame = frameGeometry().size() - size();
    setMaximumSize((screen()->availableGeometry().size() - frame).expandedTo(minimumSizeHint()));
    // The maximum binds every later request; a window already larger is brought within it here.
    if (width() > maximumWidth() || height() > maximumHeight()) {
        resize(size().boundedTo(maximumSize()));
    }
}
