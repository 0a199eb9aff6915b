// SPDX-License-Identifier: MIT
#include "app/framework/KeyboardIndicators.h"

#include <QGuiApplication>

#ifdef ZELVORANDINE_HAVE_X11
#include <QtGui/qguiapplication_platform.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace {

#ifdef ZELVORANDINE_HAVE_X11
bool IndicatorOn(Display* pDisplay, const char* name) {
    const Atom atom = XInternAtom(pDisplay, name, True);
    if (atom == None) {
        return false;
    }
    Bool bOn = False;
    if (!XkbGetNamedIndicator(pDisplay, atom, nullptr, &bOn, nullptr, nullptr)) {
        return false;
    }
    return bOn != False;
}
#endif

} // namespace

CKeyboardIndicators::LockState CKeyboardIndicators::Read() {
    LockState state;
#ifdef ZELVORANDINE_HAVE_X11
    auto* pX11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (pX11 != nullptr && pX11->display() != nullptr) {
        Display* pDisplay = pX11->display();
        state.bCaps = IndicatorOn(pDisplay, "Caps Lock");
        state.bNum = IndicatorOn(pDisplay, "Num Lock");
        state.bScroll = IndicatorOn(pDisplay, "Scroll Lock");
        state.bKana = IndicatorOn(pDisplay, "Kana");
    }
#endif
    return state;
}
