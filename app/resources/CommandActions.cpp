// SPDX-License-Identifier: MIT
#include "app/resources/CommandActions.h"

#include "app/resources/Resources.h"
#include "res/AcceleratorTable.h"
#include "res/MenuTable.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

CCommandActions::CCommandActions(QWidget* pOwner, std::function<void(int)> onTriggered)
    : m_pOwner(pOwner), m_onTriggered(std::move(onTriggered)) {}

QAction* CCommandActions::Find(int nID) const {
    const auto it = m_actions.find(nID);
    return it == m_actions.end() ? nullptr : it->second;
}

QAction* CCommandActions::Get(int nID) {
    if (QAction* pAction = Find(nID)) {
        return pAction;
    }
    auto* pAction = new QAction(m_pOwner);
    pAction->setData(nID);
    pAction->setStatusTip(CResources::Prompt(nID));
    pAction->setWhatsThis(CResources::Prompt(nID));
    pAction->setToolTip(CResources::Tooltip(nID));
    QObject::connect(pAction, &QAction::triggered, m_pOwner, [this, nID] { m_onTriggered(nID); });
    m_actions.emplace(nID, pAction);
    return pAction;
}

std::vector<QMenu*> CCommandActions::BuildMenus(QMenuBar* pMenuBar) {
    std::vector<QMenu*> menus;
    QMenu* pCurrent = nullptr;
    for (const MenuItemResource& item : g_mainMenu) {
        switch (item.kind) {
        case MenuItemKind::Popup:
            pCurrent = pMenuBar->addMenu(QString::fromUtf8(item.text));
            menus.push_back(pCurrent);
            break;
        case MenuItemKind::EndPopup:
            pCurrent = nullptr;
            break;
        case MenuItemKind::Separator:
            pCurrent->addSeparator();
            break;
        case MenuItemKind::Command: {
            QAction* pAction = Get(item.nID);
            pAction->setText(QString::fromUtf8(item.text));
            if (item.bGrayed) {
                pAction->setEnabled(false);
            }
            pCurrent->addAction(pAction);
            break;
        }
        }
    }
    return menus;
}

void CCommandActions::BuildAccelerators() {
    std::map<int, QList<QKeySequence>> keys;
    std::vector<int> order;
    for (const AcceleratorResource& accel : g_mainAccelerators) {
        if (keys.find(accel.nID) == keys.end()) {
            order.push_back(accel.nID);
        }
        keys[accel.nID].append(
            QKeySequence::fromString(QString::fromUtf8(accel.key), QKeySequence::PortableText));
    }
    for (int nID : order) {
        QAction* pAction = Get(nID);
        pAction->setShortcuts(keys[nID]);
        pAction->setShortcutContext(Qt::WindowShortcut);
        m_pOwner->addAction(pAction);
    }
}
