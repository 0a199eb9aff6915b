// SPDX-License-Identifier: MIT
#include "app/framework/KeyboardIndicators.h"

#include <QGuiApplication>

#ifdef ZELVORANDINE_HAVE_X11
#include <QtGui/qguiapplication_platform.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>
#endif

namespace {

#ifdef ZELVORANDINE_HAVE_X11
Display* X11Display() {
    auto* pX11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return pX11 != nullptr ? pX11->display() : nullptr;
}

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

CKeyboardIndicators::CKeyboardIndicators(QObject* pParent) : QObject(pParent) {
#ifdef ZELVORANDINE_HAVE_X11
    Display* pDisplay = X11Display();
    int nOpcode = 0, nEvent = 0, nError = 0, nMajor = XkbMajorVersion, nMinor = XkbMinorVersion;
    if (pDisplay == nullptr || !XkbQueryExtension(pDisplay, &nOpcode, &nEvent, &nError, &nMajor, &nMinor)) {
        return;
    }
    // Only this kind of XKB event is added; what the toolkit selected for itself stays as it is.
    XkbSelectEvents(pDisplay, XkbUseCoreKbd, XkbIndicatorStateNotifyMask, XkbIndicatorStateNotifyMask);
    XFlush(pDisplay);
    m_nXkbEvent = nEvent;
    QCoreApplication::instance()->installNativeEventFilter(this);
    Refresh();
#endif
}

CKeyboardIndicators::~CKeyboardIndicators() {
    if (m_nXkbEvent >= 0 && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool CKeyboardIndicators::nativeEventFilter(const QByteArray& eventType, void* pMessage, qintptr*) {
#ifdef ZELVORANDINE_HAVE_X11
    if (eventType == "xcb_generic_event_t") {
        const auto* pEvent = static_cast<const xcb_generic_event_t*>(pMessage);
        // An XKB event names its kind in the byte after the event code.
        const auto* pBytes = static_cast<const unsigned char*>(pMessage);
        if ((pEvent->response_type & 0x7F) == m_nXkbEvent && pBytes[1] == XkbIndicatorStateNotify) {
            Refresh();
        }
    }
#else
    Q_UNUSED(eventType);
    Q_UNUSED(pMessage);
#endif
    return false; // the toolkit sees every event as before
}

void CKeyboardIndicators::Refresh() {
#ifdef ZELVORANDINE_HAVE_X11
    Display* pDisplay = X11Display();
    if (pDisplay == nullptr) {
        return;
    }
    LockState state;
    state.bCaps = IndicatorOn(pDisplay, "Caps Lock");
    state.bNum = IndicatorOn(pDisplay, "Num Lock");
    state.bScroll = IndicatorOn(pDisplay, "Scroll Lock");
    state.bKana = IndicatorOn(pDisplay, "Kana");
    if (state == m_state) {
        return;
    }
    m_state = state;
    Q_EMIT Changed();
#endif
}
