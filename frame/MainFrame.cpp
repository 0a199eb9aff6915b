// SPDX-License-Identifier: MIT
#include "frame/MainFrame.h"

#include "app/framework/CmdUI.h"
#include "app/framework/StatusBar.h"
#include "app/framework/ToolBar.h"
#include "res/ResourceIds.h"
#include "res/ToolbarTable.h"

#include <QGuiApplication>
#include <QScreen>

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
    return 0;
}

void CMainFrame::OnViewPenBar() {
    ShowControlBar(m_wndPenBar, m_wndPenBar->isHidden(), false);
}

void CMainFrame::OnUpdateViewPenBar(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(!m_wndPenBar->isHidden());
}
