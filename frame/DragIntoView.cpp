// SPDX-License-Identifier: MIT
#include "frame/DragIntoView.h"

#include "frame/ToolBar.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QSizeGrip>

CDragIntoView::CDragIntoView(QWidget* pFrame, QWidget* pView, const QList<QWidget*>& bars)
    : QObject(pFrame), m_pFrame(pFrame), m_pView(pView) {
    pFrame->installEventFilter(this);
    for (QWidget* pBar : bars) {
        pBar->installEventFilter(this);
        for (QWidget* pChild : pBar->findChildren<QWidget*>()) {
            pChild->installEventFilter(this);
        }
    }
}

bool CDragIntoView::IsBackground(QWidget* pWidget, const QPointF& globalPos) const {
    if (pWidget->window() != m_pFrame || qobject_cast<QAbstractButton*>(pWidget) != nullptr ||
        qobject_cast<QSizeGrip*>(pWidget) != nullptr) {
        return false;
    }
    const auto* pBar = qobject_cast<CToolBar*>(pWidget);
    return pBar == nullptr || !pBar->IsOnHandle(pBar->mapFromGlobal(globalPos).toPoint());
}

void CDragIntoView::OnMouseEvent(QWidget* pWidget, QMouseEvent* e) {
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
        if (pWidget == m_pDragSource && m_pView != nullptr && (e->buttons() & Qt::LeftButton)) {
            const QPointF pos = m_pView->mapFromGlobal(e->globalPosition());
            if (m_pView->rect().contains(pos.toPoint())) {
                QMouseEvent move(QEvent::MouseMove, pos, e->globalPosition(), Qt::NoButton, e->buttons(),
                                 e->modifiers());
                QCoreApplication::sendEvent(m_pView, &move);
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

bool CDragIntoView::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseMove ||
        e->type() == QEvent::MouseButtonRelease) {
        OnMouseEvent(static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(e));
    }
    return false;
}
