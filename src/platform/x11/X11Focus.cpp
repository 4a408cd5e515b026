#include "x11/X11Focus.h"

namespace velmora::x11 {

namespace {

// Source indication 2: the request comes from a pager or taskbar, i.e. the user asked for it, so
// focus-stealing prevention does not hold it back.
constexpr uint32_t sourcePager = 2;

void sendToRoot(const X11Connection& x, xcb_window_t window, xcb_atom_t type, std::array<uint32_t, 5> data)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    for (size_t i = 0; i < data.size(); ++i) {
        event.data.data32[i] = data[i];
    }
    xcb_send_event(x.get(), 0, x.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(x.get());
}

bool windowManagerSupports(const X11Connection& x, Atom atom)
{
    return x.property32(x.root(), x.atom(Atom::NetSupported), XCB_ATOM_ATOM).contains(x.atom(atom));
}

} // namespace

X11FocusTracker::X11FocusTracker(std::shared_ptr<X11Connection> connection)
    : m_connection(std::move(connection))
{}

quint32 X11FocusTracker::activeWindow() const
{
    const X11Connection& x = *m_connection;
    const QList<quint32> active = x.property32(x.root(), x.atom(Atom::NetActiveWindow), XCB_ATOM_WINDOW);
    return active.isEmpty() ? 0 : active.first();
}

void X11FocusTracker::activate(quint32 windowID)
{
    if (windowID == 0) {
        return;
    }
    // data: source, timestamp (0: none known), the requester's currently active window.
    sendToRoot(*m_connection, windowID, m_connection->atom(Atom::NetActiveWindow),
               {sourcePager, XCB_CURRENT_TIME, activeWindow(), 0, 0});
}

void restackWindow(const X11Connection& x, xcb_window_t window, xcb_window_t sibling, uint32_t detail)
{
    if (windowManagerSupports(x, Atom::NetRestackWindow)) {
        sendToRoot(x, window, x.atom(Atom::NetRestackWindow), {sourcePager, sibling, detail, 0, 0});
        return;
    }
    const xcb_window_t frame = x.topLevelAncestor(window);
    const xcb_window_t siblingFrame = sibling ? x.topLevelAncestor(sibling) : 0;
    if (!frame) {
        return;
    }
    if (siblingFrame) {
        const uint32_t values[] = {siblingFrame, detail};
        xcb_configure_window(x.get(), frame, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE,
                             values);
    } else {
        const uint32_t values[] = {detail};
        xcb_configure_window(x.get(), frame, XCB_CONFIG_WINDOW_STACK_MODE, values);
    }
    xcb_flush(x.get());
}

} // namespace velmora::x11
