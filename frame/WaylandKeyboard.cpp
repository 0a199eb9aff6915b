// SPDX-License-Identifier: MIT
#include "frame/WaylandKeyboard.h"

#include <QGuiApplication>
#include <qpa/qplatformnativeinterface.h>

#include <algorithm>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

namespace {

constexpr uint32_t kSeatVersion = 5;            // from here on a seat is given back with release
constexpr uint32_t kKeyboardReleaseVersion = 3; // and from here on a keyboard

} // namespace

CWaylandKeyboard::CWaylandKeyboard(QObject* pParent) : QObject(pParent) {
    if (QGuiApplication::platformName() != QLatin1String("wayland")) {
        return;
    }
    QPlatformNativeInterface* pNative = QGuiApplication::platformNativeInterface();
    m_pDisplay = pNative != nullptr
                     ? static_cast<wl_display*>(pNative->nativeResourceForIntegration("wl_display"))
                     : nullptr;
    m_pContext = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (m_pDisplay == nullptr || m_pContext == nullptr) {
        return;
    }
    // Objects of the toolkit's default queue: their events are handled on this thread as the toolkit
    // dispatches its own.
    static constexpr wl_registry_listener kRegistryListener = {&OnGlobal, &OnGlobalRemove};
    m_pRegistry = wl_display_get_registry(m_pDisplay);
    wl_registry_add_listener(m_pRegistry, &kRegistryListener, this);
    wl_display_flush(m_pDisplay);
}

CWaylandKeyboard::~CWaylandKeyboard() {
    ReleaseSeat();
    if (m_pRegistry != nullptr) {
        wl_registry_destroy(m_pRegistry);
        wl_display_flush(m_pDisplay);
    }
    xkb_state_unref(m_pState);
    xkb_keymap_unref(m_pKeymap);
    xkb_context_unref(m_pContext);
}

bool CWaylandKeyboard::IsLit(const char* pName) const {
    return m_pState != nullptr && xkb_state_led_name_is_active(m_pState, pName) > 0;
}

void CWaylandKeyboard::OnGlobal(void* pData, wl_registry* pRegistry, uint32_t nName, const char* pInterface,
                                uint32_t nVersion) {
    auto* self = static_cast<CWaylandKeyboard*>(pData);
    // The toolkit's keyboard is that of the first seat; so is this one.
    if (self->m_pSeat != nullptr || std::strcmp(pInterface, wl_seat_interface.name) != 0) {
        return;
    }
    static constexpr wl_seat_listener kSeatListener = {&OnCapabilities, &OnSeatName};
    self->m_pSeat = static_cast<wl_seat*>(
        wl_registry_bind(pRegistry, nName, &wl_seat_interface, std::min(nVersion, kSeatVersion)));
    self->m_nSeatName = nName;
    wl_seat_add_listener(self->m_pSeat, &kSeatListener, self);
}

void CWaylandKeyboard::OnGlobalRemove(void* pData, wl_registry*, uint32_t nName) {
    auto* self = static_cast<CWaylandKeyboard*>(pData);
    if (self->m_pSeat != nullptr && nName == self->m_nSeatName) {
        self->ReleaseSeat();
        self->SetKeymap(nullptr);
    }
}

void CWaylandKeyboard::OnCapabilities(void* pData, wl_seat* pSeat, uint32_t nCapabilities) {
    auto* self = static_cast<CWaylandKeyboard*>(pData);
    const bool bHasKeyboard = (nCapabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (bHasKeyboard && self->m_pKeyboard == nullptr) {
        static constexpr wl_keyboard_listener kKeyboardListener = {
            &OnKeymap,
            [](void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}, // enter: the modifiers follow
            [](void*, wl_keyboard*, uint32_t, wl_surface*) {},            // leave: the locks stay as they are
            [](void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t) {}, // key
            &OnModifiers,
            [](void*, wl_keyboard*, int32_t, int32_t) {}, // repeat_info
        };
        self->m_pKeyboard = wl_seat_get_keyboard(pSeat);
        wl_keyboard_add_listener(self->m_pKeyboard, &kKeyboardListener, self);
    } else if (!bHasKeyboard && self->m_pKeyboard != nullptr) {
        self->ReleaseKeyboard();
        self->SetKeymap(nullptr);
    }
}

void CWaylandKeyboard::OnSeatName(void*, wl_seat*, const char*) {}

void CWaylandKeyboard::OnKeymap(void* pData, wl_keyboard*, uint32_t nFormat, int32_t nFd, uint32_t nSize) {
    auto* self = static_cast<CWaylandKeyboard*>(pData);
    xkb_keymap* pKeymap = nullptr;
    if (nFormat == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && nSize > 0) {
        // Private: the compositor may hand the same pages to every client.
        void* pText = mmap(nullptr, nSize, PROT_READ, MAP_PRIVATE, nFd, 0);
        if (pText != MAP_FAILED) {
            const auto* pChars = static_cast<const char*>(pText);
            pKeymap = xkb_keymap_new_from_buffer(self->m_pContext, pChars, strnlen(pChars, nSize),
                                                 XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
            munmap(pText, nSize);
        }
    }
    close(nFd);
    self->SetKeymap(pKeymap);
}

void CWaylandKeyboard::OnModifiers(void* pData, wl_keyboard*, uint32_t, uint32_t nDepressed,
                                   uint32_t nLatched, uint32_t nLocked, uint32_t nGroup) {
    auto* self = static_cast<CWaylandKeyboard*>(pData);
    if (self->m_pState != nullptr) {
        xkb_state_update_mask(self->m_pState, nDepressed, nLatched, nLocked, 0, 0, nGroup);
        Q_EMIT self->Changed();
    }
}

void CWaylandKeyboard::SetKeymap(xkb_keymap* pKeymap) {
    xkb_state_unref(m_pState);
    xkb_keymap_unref(m_pKeymap);
    m_pKeymap = pKeymap;
    m_pState = pKeymap != nullptr ? xkb_state_new(pKeymap) : nullptr;
    Q_EMIT Changed();
}

void CWaylandKeyboard::ReleaseKeyboard() {
    if (m_pKeyboard == nullptr) {
        return;
    }
    if (wl_keyboard_get_version(m_pKeyboard) >= kKeyboardReleaseVersion) {
        wl_keyboard_release(m_pKeyboard);
    } else {
        wl_keyboard_destroy(m_pKeyboard);
    }
    m_pKeyboard = nullptr;
}

void CWaylandKeyboard::ReleaseSeat() {
    ReleaseKeyboard();
    if (m_pSeat == nullptr) {
        return;
    }
    if (wl_seat_get_version(m_pSeat) >= kSeatVersion) {
        wl_seat_release(m_pSeat);
    } else {
        wl_seat_destroy(m_pSeat);
    }
    m_pSeat = nullptr;
}
