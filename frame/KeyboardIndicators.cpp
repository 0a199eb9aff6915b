// SPDX-License-Identifier: MIT
#include "frame/KeyboardIndicators.h"

#include <QGuiApplication>

#include <iterator>

#ifdef ZELVORANDINE_HAVE_WAYLAND
#include "frame/WaylandKeyboard.h"
#endif

#ifdef ZELVORANDINE_HAVE_X11
#include <QtGui/qguiapplication_platform.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XKBproto.h>
#endif

namespace {

// The indicators' names, as XKB gives them on X11 and in a Wayland compositor's keymap; in the order of
// CKeyboardIndicators::m_nBits.
const char* const kIndicatorNames[] = {"Caps Lock", "Num Lock", "Scroll Lock", "Kana"};

} // namespace

CKeyboardIndicators::CKeyboardIndicators(QObject* pParent) : QObject(pParent) {
#ifdef ZELVORANDINE_HAVE_WAYLAND
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        for (std::size_t k = 0; k < std::size(m_nBits); ++k) {
            m_nBits[k] = 1u << k;
        }
        m_pWayland = new CWaylandKeyboard(this);
        connect(m_pWayland, &CWaylandKeyboard::Changed, this, &CKeyboardIndicators::ReadWaylandState);
        return;
    }
#endif
#ifdef ZELVORANDINE_HAVE_X11
    auto* pX11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* pDisplay = pX11 != nullptr ? pX11->display() : nullptr;
    int nOpcode = 0, nEvent = 0, nError = 0, nMajor = XkbMajorVersion, nMinor = XkbMinorVersion;
    if (pDisplay == nullptr || !XkbQueryExtension(pDisplay, &nOpcode, &nEvent, &nError, &nMajor, &nMinor)) {
        return;
    }
    // Only this kind of XKB event is added; what the toolkit selected for itself stays as it is. Each
    // event carries the state of every indicator, so nothing needs to be asked again.
    XkbSelectEvents(pDisplay, XkbUseCoreKbd, XkbIndicatorStateNotifyMask, XkbIndicatorStateNotifyMask);
    FindIndicatorBits(pDisplay);
    unsigned int nState = 0;
    if (XkbGetIndicatorState(pDisplay, XkbUseCoreKbd, &nState) == Success) {
        m_state = StateOf(nState);
    }
    m_nXkbEvent = nEvent;
    QCoreApplication::instance()->installNativeEventFilter(this);
#endif
}

CKeyboardIndicators::~CKeyboardIndicators() {
    if (m_nXkbEvent >= 0 && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

#ifdef ZELVORANDINE_HAVE_X11
void CKeyboardIndicators::FindIndicatorBits(_XDisplay* pDisplay) {
    char* names[std::size(kIndicatorNames)] = {};
    for (std::size_t k = 0; k < std::size(names); ++k) {
        names[k] = const_cast<char*>(kIndicatorNames[k]);
    }
    Atom atoms[std::size(names)] = {};
    XInternAtoms(pDisplay, names, int(std::size(names)), True, atoms);
    XkbDescPtr pKeyboard = XkbAllocKeyboard();
    if (pKeyboard == nullptr) {
        return;
    }
    if (XkbGetNames(pDisplay, XkbIndicatorNamesMask, pKeyboard) == Success && pKeyboard->names != nullptr) {
        for (int i = 0; i < XkbNumIndicators; ++i) {
            for (std::size_t k = 0; k < std::size(atoms); ++k) {
                if (atoms[k] != None && pKeyboard->names->indicators[i] == atoms[k]) {
                    m_nBits[k] = 1u << i;
                }
            }
        }
    }
    XkbFreeKeyboard(pKeyboard, 0, True);
}
#endif

CKeyboardIndicators::LockState CKeyboardIndicators::StateOf(unsigned int nIndicators) const {
    LockState state;
    state.bCaps = (nIndicators & m_nBits[0]) != 0;
    state.bNum = (nIndicators & m_nBits[1]) != 0;
    state.bScroll = (nIndicators & m_nBits[2]) != 0;
    state.bKana = (nIndicators & m_nBits[3]) != 0;
    return state;
}

void CKeyboardIndicators::SetState(const LockState& state) {
    if (!(state == m_state)) {
        m_state = state;
        Q_EMIT Changed();
    }
}

void CKeyboardIndicators::ReadWaylandState() {
#ifdef ZELVORANDINE_HAVE_WAYLAND
    unsigned int nLit = 0;
    for (std::size_t k = 0; k < std::size(kIndicatorNames); ++k) {
        if (m_pWayland->IsLit(kIndicatorNames[k])) {
            nLit |= m_nBits[k];
        }
    }
    SetState(StateOf(nLit));
#endif
}

bool CKeyboardIndicators::nativeEventFilter(const QByteArray& eventType, void* pMessage, qintptr*) {
#ifdef ZELVORANDINE_HAVE_X11
    if (m_nXkbEvent >= 0 && eventType == "xcb_generic_event_t") {
        const auto* pEvent = static_cast<const xkbIndicatorNotify*>(pMessage);
        if ((pEvent->type & 0x7F) == m_nXkbEvent && pEvent->xkbType == XkbIndicatorStateNotify) {
            SetState(StateOf(pEvent->state));
        }
    }
#else
    Q_UNUSED(eventType);
    Q_UNUSED(pMessage);
#endif
    return false; // the toolkit sees every event as before
}
