// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/Dialog.h"

#include <QBasicTimer>

// The title picture, shown for two seconds at program start; Enter or Escape end it at once.
class CSplashDlg : public CDialog {
    Q_OBJECT
public:
    explicit CSplashDlg(QWidget* pParent = nullptr);

    void OnTimer(int nIDEvent);

    static constexpr int kTimerID = 1;
    static constexpr int kTimerPeriod = 2000;

protected:
    int OnCreate() override;
    void timerEvent(QTimerEvent* e) override;

private:
    QBasicTimer m_timer;
};
