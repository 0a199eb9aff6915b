// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/Dialog.h"

class CAboutDlg : public CDialog {
    Q_OBJECT
public:
    CAboutDlg();
};
