// SPDX-License-Identifier: MIT
#pragma once

#include <QToolBar>

#include <climits>
#include <utility>
#include <vector>

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

    QSize sizeHint() const override;

protected:
    bool event(QEvent* e) override;
    void actionEvent(QActionEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    // Where the shown items of a floating bar go when its lines of buttons, which run along the bar's
    // orientation, may be nLineLength long; the longest line and the bar's size that holds them all.
    struct SFlow {
        std::vector<std::pair<QWidget*, QRect>> places;
        int nLongest = 0;
        QSize size;
    };
    SFlow Flow(int nLineLength) const;

    void OnTopLevelChanged(bool bFloating);
    void ShowCloseBox(bool bFloating);
    // The edges by which a floating bar is reshaped (its right and bottom ones) that lie under pos.
    Qt::Edges EdgesAt(const QPoint& pos) const;
    // The shape the user drags the edges to: as many buttons a line as it holds along the lines, as many
    // lines as it holds across them.
    void Reshape(const QSize& requested, Qt::Edges edges);
    // A floating bar takes the size its lines need and lays its items out in them.
    void FitFloating();
    void ArrangeFloating();

    CFrameWnd* m_pFrame;
    QAction* m_pCloseAction = nullptr;
    int m_nLineLength = INT_MAX; // while floating
    Qt::Edges m_resizing;        // the edges being dragged
    QPoint m_ptResizeFrom;       // where that drag started, in global coordinates
    QSize m_sizeResizeFrom;
};
