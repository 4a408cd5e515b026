#include "x11/X11GlobalShortcuts.h"

#include "preferences/X11KeyCodes.h"
#include "x11/X11Connection.h"

#include <QSocketNotifier>

#include <array>

namespace velmora::x11 {

namespace {

// Caps Lock is Lock and Num Lock is Mod2 on every common layout.
constexpr std::array<quint16, 4> lockVariants{0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                              XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
// What a shortcut can hold; the state of a press also carries locks, mouse buttons and AltGr.
constexpr quint16 shortcutMask = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

quint16 x11Modifiers(quint64 bits)
{
    quint16 modifiers = 0;
    if (bits & Hotkey::shift) {
        modifiers |= XCB_MOD_MASK_SHIFT;
    }
    if (bits & Hotkey::command) {
        modifiers |= XCB_MOD_MASK_CONTROL;
    }
    if (bits & Hotkey::option) {
        modifiers |= XCB_MOD_MASK_1;
    }
    if (bits & Hotkey::control) {
        modifiers |= XCB_MOD_MASK_4;
    }
    return modifiers;
}

} // namespace

X11GlobalShortcuts::X11GlobalShortcuts(std::shared_ptr<X11Connection> connection)
    : m_connection(std::move(connection)),
      m_notifier(std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection->get()),
                                                   QSocketNotifier::Read))
{
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11GlobalShortcuts::readEvents);
}

X11GlobalShortcuts::~X11GlobalShortcuts()
{
    release();
}

void X11GlobalShortcuts::release()
{
    xcb_connection_t* c = m_connection->get();
    for (const Grab& grab : std::as_const(m_grabs)) {
        for (const quint16 locks : lockVariants) {
            xcb_ungrab_key(c, grab.keyCode, m_connection->root(), grab.modifiers | locks);
        }
    }
    m_grabs.clear();
    xcb_flush(c);
}

QList<Hotkey> X11GlobalShortcuts::grab(const QList<Hotkey>& hotkeys)
{
    release();
    xcb_connection_t* c = m_connection->get();
    QList<Hotkey> refused;
    for (const Hotkey& hotkey : hotkeys) {
        const std::optional<quint32> keyCode = x11KeyCode(hotkey.keyCode);
        if (!keyCode) {
            refused.append(hotkey);
            continue;
        }
        const Grab grab{hotkey, quint8(*keyCode), x11Modifiers(hotkey.modifierRawValue)};
        std::array<xcb_void_cookie_t, lockVariants.size()> cookies{};
        for (size_t i = 0; i < lockVariants.size(); ++i) {
            cookies[i] = xcb_grab_key_checked(c, 1, m_connection->root(), grab.modifiers | lockVariants[i],
                                              grab.keyCode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        }
        // Another client's grab of any variant (BadAccess) makes the whole combination unusable:
        // the variants taken are given back, so the combination is either ours or not at all.
        bool taken = true;
        for (const xcb_void_cookie_t cookie : cookies) {
            if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
                taken = false;
                std::free(error);
            }
        }
        if (taken) {
            m_grabs.append(grab);
        } else {
            for (const quint16 locks : lockVariants) {
                xcb_ungrab_key(c, grab.keyCode, m_connection->root(), grab.modifiers | locks);
            }
            refused.append(hotkey);
        }
    }
    xcb_flush(c);
    // Checking the grabs read from the socket: presses already in xcb's queue would not wake
    // the notifier.
    readEvents();
    return refused;
}

void X11GlobalShortcuts::readEvents()
{
    xcb_connection_t* c = m_connection->get();
    if (xcb_connection_has_error(c)) {
        m_notifier->setEnabled(false);
        return;
    }
    while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
        if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
            const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
            const quint16 modifiers = press->state & shortcutMask;
            for (const Grab& grab : std::as_const(m_grabs)) {
                if (grab.keyCode == press->detail && grab.modifiers == modifiers) {
                    Q_EMIT pressed(grab.hotkey);
                    break;
                }
            }
        }
        std::free(event);
    }
}

} // namespace velmora::x11
