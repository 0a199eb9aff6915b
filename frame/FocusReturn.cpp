// SPDX-License-Identifier: MIT
#include "frame/FocusReturn.h"

#include <QApplication>
#include <QChildEvent>
#include <QTimer>
#include <QWidget>

CFocusReturn::CFocusReturn(QWidget* pFrame) : QObject(pFrame), m_pFrame(pFrame) {
    pFrame->installEventFilter(this);
}

bool CFocusReturn::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_pFrame && e->type() == QEvent::ChildAdded) {
        QObject* pChild = static_cast<QChildEvent*>(e)->child();
        if (pChild->isWidgetType() && static_cast<QWidget*>(pChild)->isWindow()) {
            pChild->installEventFilter(this);
        }
    } else if (watched != m_pFrame && e->type() == QEvent::Hide &&
               static_cast<QWidget*>(watched)->isModal()) {
        QTimer::singleShot(0, m_pFrame, [this] {
            if (m_pFrame->isVisible() && QApplication::activeModalWidget() == nullptr) {
                m_pFrame->activateWindow();
            }
        });
    }
    return false;
}
