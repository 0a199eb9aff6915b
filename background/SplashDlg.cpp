// SPDX-License-Identifier: MIT
#include "background/SplashDlg.h"

#include "res/DialogTemplates.h"

#include <QTimerEvent>

CSplashDlg::CSplashDlg(QWidget* pParent) : CDialog(g_splashDialog, pParent) {
    setObjectName(QStringLiteral("splashDlg"));
}

int CSplashDlg::OnCreate() {
    // A coarse timer may fire up to 5 % early; the title stays its full two seconds.
    m_timer.start(kTimerPeriod, Qt::PreciseTimer, this);
    return 0;
}

void CSplashDlg::timerEvent(QTimerEvent* e) {
    if (e->timerId() == m_timer.timerId()) {
        OnTimer(kTimerID);
        return;
    }
    CDialog::timerEvent(e);
}

void CSplashDlg::OnTimer(int) {
    // The timer is not stopped: it ends with the dialog.
    OnOK();
}
