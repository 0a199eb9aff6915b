// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

struct _XDisplay;
class CWaylandKeyboard;

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

    // Starts watching; all off where the platform reports no indicators (X11 without XKB, a Wayland
    // compositor that gives the program no keyboard, other systems).
    explicit CKeyboardIndicators(QObject* pParent = nullptr);
    ~CKeyboardIndicators() override;

    const LockState& State() const { return m_state; }

    bool nativeEventFilter(const QByteArray& eventType, void* pMessage, qintptr* pResult) override;

Q_SIGNALS:
    void Changed();

private:
    // Finds which bit of the indicator state each lock key's indicator has.
    void FindIndicatorBits(_XDisplay* pDisplay);
    LockState StateOf(unsigned int nIndicators) const;
    void SetState(const LockState& state);
    void ReadWaylandState();

    LockState m_state;
    unsigned int m_nBits[4] = {}; // caps, num, scroll, kana; 0 where the keyboard has no such indicator
    int m_nXkbEvent = -1;         // the X event code of XKB's events, -1 while nothing is watched
    CWaylandKeyboard* m_pWayland = nullptr;
};
