// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

// The lock keys' state as the window system reports it. The state is read when the window system says
// it changed, never by asking again and again: nothing runs while nothing happens.
class CKeyboardIndicators : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    struct LockState {
        bool bCaps = false;
        bool bNum = false;
        bool bScroll = false;
        bool bKana = false;
        friend bool operator==(const LockState&, const LockState&) = default;
    };

    // Starts watching; all off where the platform reports no indicators (X11 without XKB, other systems).
    explicit CKeyboardIndicators(QObject* pParent = nullptr);
    ~CKeyboardIndicators() override;

    const LockState& State() const { return m_state; }

    bool nativeEventFilter(const QByteArray& eventType, void* pMessage, qintptr* pResult) override;

Q_SIGNALS:
    void Changed();

private:
    void Refresh();

    LockState m_state;
    int m_nXkbEvent = -1; // the X event code of XKB's events, -1 while nothing is watched
};
