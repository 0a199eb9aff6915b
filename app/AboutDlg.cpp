// SPDX-License-Identifier: MIT
#include "app/AboutDlg.h"

#include "res/DialogTemplates.h"

CAboutDlg::CAboutDlg() : CDialog(g_aboutDialog) {}
