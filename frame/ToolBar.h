// SPDX-License-Identifier: MIT
#pragma once

#include <QToolBar>

struct ToolbarResource;
class CFrameWnd;

// A dockable toolbar built from a toolbar table and its image strip. Its buttons share the frame's
// command actions, so a button is enabled exactly when its menu item would be.
class CToolBar : public QToolBar {
    Q_OBJECT
public:
    CToolBar(CFrameWnd* pFrame, const QString& objectName);

    bool LoadToolBar(const ToolbarResource& resource);
    // The button that issues command nID, or nullptr.
    QWidget* GetButton(int nID) const;
    // Whether pos (in the bar's coordinates) lies on the grip that moves a docked bar.
    bool IsOnHandle(const QPoint& pos) const;

private:
    void ShowCloseBox(bool bFloating);

    CFrameWnd* m_pFrame;
    QAction* m_pCloseAction = nullptr;
};
