// SPDX-License-Identifier: MIT
// The bridge from the menu, accelerator and string tables of res/ to Qt objects: actions, menus and keys.
#pragma once

#include <QList>
#include <functional>
#include <map>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

class CCommandActions {
public:
    CCommandActions(QWidget* pOwner, std::function<void(int)> onTriggered);
    CCommandActions(const CCommandActions&) = delete;
    CCommandActions& operator=(const CCommandActions&) = delete;

    // The command's one action, shared by its menu item, toolbar button and keys, made on first use with its
    // status prompt and tooltip; triggered, it reports the command's id.
    QAction* Get(int nID);
    QAction* Find(int nID) const;
    const std::map<int, QAction*>& All() const { return m_actions; }

    // Fills the menu bar from the main menu's table; the menus in their order.
    std::vector<QMenu*> BuildMenus(QMenuBar* pMenuBar);
    // Gives the commands of the accelerator table their keys, which work anywhere in the owner's window.
    void BuildAccelerators();

private:
    QWidget* m_pOwner;
    std::function<void(int)> m_onTriggered;
    std::map<int, QAction*> m_actions;
};
