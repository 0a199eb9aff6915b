// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QWidget;

// The keyboard comes back to the frame when one of its modal dialogs closes, also where no window manager
// hands it back.
class CFocusReturn : public QObject {
    Q_OBJECT
public:
    // Watches the frame for the dialogs it gets, and those dialogs for their closing.
    explicit CFocusReturn(QWidget* pFrame);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QWidget* m_pFrame;
};
