// SPDX-License-Identifier: MIT
#include "frame/MainFrame.h"

#include "app/framework/CmdUI.h"
#include "frame/StatusBar.h"
#include "frame/ToolBar.h"
#include "app/framework/WinApp.h"
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
void MoveOntoScreen(QWidget* pWindow) {
    const QRect area = pWindow->screen()->availableGeometry();
    const QRect frame = pWindow->frameGeometry();
    const int x =
        std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() + 1 - frame.width()));
    const int y =
        std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height()));
    if (QPoint(x, y) != frame.topLeft()) {
        pWindow->move(x, y);
    }
}

const QString kGeometryKey = QStringLiteral("Window/Geometry");
const QString kStateKey = QStringLiteral("Window/State");
// Raised when the bars change so that an older arrangement no longer applies.
constexpr int kBarStateVersion = 1;

} // namespace

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
ON_COMMAND(ID_VIEW_PENBAR, OnViewPenBar)
ON_UPDATE_COMMAND_UI(ID_VIEW_PENBAR, OnUpdateViewPenBar)
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
    SetStatusBar(m_wndStatusBar);
    RegisterControlBar(m_wndStatusBar, AFX_IDW_STATUS_BAR);

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

void CMainFrame::closeEvent(QCloseEvent* e) {
    CFrameWnd::closeEvent(e);
    if (e->isAccepted()) {
        SaveWindowPlacement();
    }
}

void CMainFrame::showEvent(QShowEvent* e) {
    CFrameWnd::showEvent(e);
    // The window's frame may be known from now on, and the window may move to a screen of another size.
    connect(windowHandle(), &QWindow::screenChanged, this, &CMainFrame::LimitSizeToScreen,
            Qt::UniqueConnection);
    LimitSizeToScreen();
    if (!m_bShownBefore && !isMaximized() && !isFullScreen()) {
        MoveOntoScreen(this);
    }
    m_bShownBefore = true;
}

void CMainFrame::resizeEvent(QResizeEvent* e) {
    CFrameWnd::resizeEvent(e);
    // A window system may resize the window without asking; it is brought back within the screen.
    LimitSizeToScreen();
}

void CMainFrame::LoadWindowPlacement() {
    const auto settings = AfxGetApp()->OpenSettings();
    if (settings == nullptr) {
        return;
    }
    const QByteArray geometry = settings->value(kGeometryKey).toByteArray();
    if (!geometry.isEmpty() && restoreGeometry(geometry)) {
        LimitSizeToScreen();
        MoveOntoScreen(this);
    }
    restoreState(settings->value(kStateKey).toByteArray(), kBarStateVersion);
    for (CToolBar* pBar : {m_wndToolBar, m_wndPenBar}) {
        if (pBar->isFloating()) {
            MoveOntoScreen(pBar);
        }
    }
}

void CMainFrame::SaveWindowPlacement() const {
    const auto settings = AfxGetApp()->OpenSettings();
    if (settings == nullptr) {
        return;
    }
    settings->setValue(kGeometryKey, saveGeometry());
    settings->setValue(kStateKey, saveState(kBarStateVersion));
    AfxGetApp()->SyncSettings(*settings);
}

void CMainFrame::LimitSizeToScreen() {
    const QSize frame = frameGeometry().size() - size();
    setMaximumSize((screen()->availableGeometry().size() - frame).expandedTo(minimumSizeHint()));
    // The maximum binds every later request; a window already larger is brought within it here.
    if (width() > maximumWidth() || height() > maximumHeight()) {
        resize(size().boundedTo(maximumSize()));
    }
}
