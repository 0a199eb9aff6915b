// SPDX-License-Identifier: MIT
#include "background/BackgroundDlg.h"

#include "res/DialogTemplates.h"

BEGIN_MESSAGE_MAP(CBackgroundDlg, CDialog)
ON_COMMAND(IDC_USE_THIS, OnUseThis)
ON_COMMAND(IDC_REDRAW, OnRedraw)
ON_COMMAND(IDC_COLOR_SETTINGS, OnColorSettings)
ON_COMMAND(IDC_QUIT_PROGRAM, OnQuitProgram)
END_MESSAGE_MAP()

CBackgroundDlg::CBackgroundDlg(QWidget* pParent) : CDialog(g_backgroundDialog, pParent) {
    setObjectName(QStringLiteral("backgroundDlg"));
}

void CBackgroundDlg::OnUseThis() {
    EndDialog(1);
}
void CBackgroundDlg::OnRedraw() {
    EndDialog(0);
}
void CBackgroundDlg::OnColorSettings() {
    EndDialog(2);
}
void CBackgroundDlg::OnQuitProgram() {
    EndDialog(3);
}
