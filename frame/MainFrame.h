// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/FrameWnd.h"

#include <QPointer>

class CHelpWindow;
class CKeyboardIndicators;
class CSettingsFile;
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
    void OnUpdateKeyIndicator(CCmdUI* pCmdUI);
    void OnHelp();
    void OnHelpFinder();

    void SetMessageText(const QString& text) override;

    CStatusBar* m_wndStatusBar = nullptr;
    CToolBar* m_wndToolBar = nullptr;
    CToolBar* m_wndPenBar = nullptr;

    void setVisible(bool bVisible) override;

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // Shows each lock key's indicator as its update handler says.
    void UpdateIndicators();

    CKeyboardIndicators* m_pIndicators = nullptr;
    QPointer<CHelpWindow> m_pHelpWindow;

    // The window's size, position and maximised state, kept in the settings between runs. The bars are not:
    // every run starts with them where they belong.
    void LoadWindowPlacement();
    void SaveWindowPlacement() const;
    // Never larger than the usable area of the window's screen, whoever asks for the size.
    void LimitSizeToScreen();

    CSettingsFile* m_pSettingsFile = nullptr;
    bool m_bPlaced = false; // brought onto the screen where it was first shown

    DECLARE_MESSAGE_MAP(CMainFrame)
};
