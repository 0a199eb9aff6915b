// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

// The help contents: a window of its own, beside the main window.
class CHelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent);
};
