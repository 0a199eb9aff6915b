// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

struct wl_display;
struct wl_keyboard;
struct wl_registry;
struct wl_seat;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

// The keyboard's indicators as a Wayland compositor reports them to this program. A keyboard object of
// its own on the program's first seat receives the keymap and, whenever they change and whenever a window
// of the program takes the keyboard focus, the locked modifiers; libxkbcommon turns these into the lit
// indicators. The toolkit's own keyboard object is left alone.
class CWaylandKeyboard : public QObject {
    Q_OBJECT
public:
    // Listens on the toolkit's connection; does nothing when the program does not run on Wayland.
    explicit CWaylandKeyboard(QObject* pParent = nullptr);
    ~CWaylandKeyboard() override;

    bool IsListening() const { return m_pRegistry != nullptr; }
    // Whether the indicator of this name ("Caps Lock", "Num Lock", "Scroll Lock", "Kana") is lit.
    bool IsLit(const char* pName) const;

Q_SIGNALS:
    void Changed();

private:
    static void OnGlobal(void* pData, wl_registry* pRegistry, uint32_t nName, const char* pInterface,
                         uint32_t nVersion);
    static void OnGlobalRemove(void* pData, wl_registry* pRegistry, uint32_t nName);
    static void OnCapabilities(void* pData, wl_seat* pSeat, uint32_t nCapabilities);
    static void OnSeatName(void* pData, wl_seat* pSeat, const char* pName);
    static void OnKeymap(void* pData, wl_keyboard* pKeyboard, uint32_t nFormat, int32_t nFd, uint32_t nSize);
    static void OnModifiers(void* pData, wl_keyboard* pKeyboard, uint32_t nSerial, uint32_t nDepressed,
                            uint32_t nLatched, uint32_t nLocked, uint32_t nGroup);

    void ReleaseKeyboard();
    void ReleaseSeat();
    void SetKeymap(xkb_keymap* pKeymap);

    wl_display* m_pDisplay = nullptr;
    wl_registry* m_pRegistry = nullptr;
    wl_seat* m_pSeat = nullptr;
    uint32_t m_nSeatName = 0;
    wl_keyboard* m_pKeyboard = nullptr;
    xkb_context* m_pContext = nullptr;
    xkb_keymap* m_pKeymap = nullptr;
    xkb_state* m_pState = nullptr;
};
