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

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // The window's size, position, maximised state and toolbars, kept in the settings between runs.
    void LoadWindowPlacement();
    void SaveWindowPlacement() const;
    // Never larger than the usable area of the window's screen, whoever asks for the size.
    void LimitSizeToScreen();

    bool m_bShownBefore = false;

    DECLARE_MESSAGE_MAP(CMainFrame)
};
