// SPDX-License-Identifier: MIT
#include "frame/PromptBlanker.h"

#include "app/framework/FrameWnd.h"

#include <QAction>
#include <QChildEvent>
#include <QToolBar>
#include <QToolButton>

CPromptBlanker::CPromptBlanker(CFrameWnd* pFrame) : QObject(pFrame), m_pFrame(pFrame) {}

void CPromptBlanker::Watch(QToolBar* pBar) {
    pBar->installEventFilter(this);
    for (QToolButton* pButton : pBar->findChildren<QToolButton*>()) {
        pButton->installEventFilter(this);
    }
}

bool CPromptBlanker::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::ChildPolished) {
        // A button made after Watch, as the close box of a floating bar; polished before it first shows.
        if (auto* pButton = qobject_cast<QToolButton*>(static_cast<QChildEvent*>(e)->child())) {
            pButton->installEventFilter(this);
        }
        return false;
    }
    auto* pButton = qobject_cast<QToolButton*>(watched);
    if (pButton == nullptr || pButton->defaultAction() == nullptr ||
        !pButton->defaultAction()->statusTip().isEmpty()) {
        return false;
    }
    if (e->type() == QEvent::Enter) {
        m_pFrame->SetMessageText(QString());
    } else if (e->type() == QEvent::Leave) {
        m_pFrame->SetMessageText(m_pFrame->GetIdleText());
    }
    return false;
}
