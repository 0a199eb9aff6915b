// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QMouseEvent;
class QWidget;

// A drag that starts on the frame's own background (a bar's empty end, a status pane) keeps going to the
// widget pressed; its moves over the view are given to the view too, so that the drag etches once it gets
// there.
class CDragIntoView : public QObject {
    Q_OBJECT
public:
    // Watches the frame and each bar with everything inside it.
    CDragIntoView(QWidget* pFrame, QWidget* pView, const QList<QWidget*>& bars);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Buttons, the size grip and a docked bar's grip have drags of their own; a floating bar is a window
    // of its own.
    bool IsBackground(QWidget* pWidget, const QPointF& globalPos) const;
    void OnMouseEvent(QWidget* pWidget, QMouseEvent* e);

    QWidget* m_pFrame;
    QPointer<QWidget> m_pView; // the frame outlives its view while it closes down
    // The background widget that took the left button's press, while the button is held.
    QPointer<QWidget> m_pDragSource;
};
