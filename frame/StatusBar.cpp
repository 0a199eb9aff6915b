// SPDX-License-Identifier: MIT
#include "frame/StatusBar.h"

#include "app/resources/Resources.h"
#include "res/ResourceIds.h"

#include <QLabel>

CStatusBar::CStatusBar(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(true);
}

bool CStatusBar::SetIndicators(const int* pIDs, int nCount) {
    for (int i = 0; i < nCount; ++i) {
        if (pIDs[i] != ID_SEPARATOR && !CResources::HasString(pIDs[i])) {
            return false;
        }
    }
    for (int i = 0; i < nCount; ++i) {
        auto* pane = new QLabel(this);
        const int nID = pIDs[i];
        if (nID == ID_SEPARATOR) {
            pane->setFrameShape(QFrame::NoFrame);
            pane->setMinimumWidth(0);
            pane->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            addWidget(pane, 1);
        } else {
            const QString text = CResources::LoadString(nID);
            pane->setFrameShape(QFrame::Panel);
            pane->setFrameShadow(QFrame::Sunken);
            pane->setAlignment(Qt::AlignCenter);
            pane->setFixedWidth(pane->fontMetrics().horizontalAdvance(text) + 8);
            addPermanentWidget(pane);
        }
        m_ids.push_back(nID);
        m_panes.push_back(pane);
    }
    return true;
}

int CStatusBar::CommandToIndex(int nID) const {
    for (int i = 0; i < GetCount(); ++i) {
        if (m_ids[i] == nID) {
            return i;
        }
    }
    return -1;
}

QString CStatusBar::GetPaneText(int nIndex) const {
    return m_panes.at(nIndex)->text();
}

void CStatusBar::SetPaneText(int nIndex, const QString& text) {
    if (m_panes.at(nIndex)->text() != text) {
        m_panes.at(nIndex)->setText(text);
    }
}

void CStatusBar::SetIndicatorOn(int nID, bool bOn) {
    const int nIndex = CommandToIndex(nID);
    if (nIndex >= 0) {
        SetPaneText(nIndex, bOn ? CResources::LoadString(nID) : QString());
    }
}
