// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

class QAction;
class QMenu;

// The state of one menu item or toolbar button while its owner is asked to update it.
class CCmdUI {
public:
    explicit CCmdUI(int nID) : m_nID(nID) {}

    void Enable(bool bOn = true) {
        m_bEnabled = bOn;
        m_bEnableChanged = true;
    }
    void SetCheck(int nCheck = 1) { m_check = nCheck != 0; }

    int m_nID;
    bool m_bEnabled = true;
    bool m_bEnableChanged = false;
    std::optional<bool> m_check;  // set only when a handler decided it
    QMenu* m_pMenu = nullptr;     // the menu holding the item, when it is a menu item
    QAction* m_pAction = nullptr; // the item's action
};
