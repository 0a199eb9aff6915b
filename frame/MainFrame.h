// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/FrameWnd.h"

class CStatusBar;
class CToolBar;

class CMainFrame : public CFrameWnd {
    Q_OBJECT
    DECLARE_DYNCREATE(CMainFrame, CFrameWnd)
public:
    CMainFrame();

    bool PreCreateWindow() override;
    int OnCreate(CCreateContext* pContext) override;

    void OnViewPenBar();
    void OnUpdateViewPenBar(CCmdUI* pCmdUI);

    CStatusBar* m_wndStatusBar = nullptr;
    CToolBar* m_wndToolBar = nullptr;
    CToolBar* m_wndPenBar = nullptr;

    DECLARE_MESSAGE_MAP(CMainFrame)
};
