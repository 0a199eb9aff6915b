// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class CFrameWnd;
class QToolBar;

// A toolbar button without a status prompt blanks the message pane while the pointer rests on it, where a
// button with a prompt shows its prompt.
class CPromptBlanker : public QObject {
    Q_OBJECT
public:
    explicit CPromptBlanker(CFrameWnd* pFrame);

    // Watches the buttons of pBar, also those it gets later.
    void Watch(QToolBar* pBar);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    CFrameWnd* m_pFrame;
};
