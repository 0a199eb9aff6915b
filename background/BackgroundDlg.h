// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/Dialog.h"

// Asks whether to use the background just painted. DoModal gives 1 (use it), 0 (draw again),
// 2 (colour settings; also Escape and the close box) or 3 (quit).
class CBackgroundDlg : public CDialog {
    Q_OBJECT
public:
    explicit CBackgroundDlg(QWidget* pParent = nullptr);

    void OnUseThis();
    void OnRedraw();
    void OnColorSettings();
    void OnQuitProgram();

    DECLARE_MESSAGE_MAP(CBackgroundDlg)
};
