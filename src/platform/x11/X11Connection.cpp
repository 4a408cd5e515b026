#include "x11/X11Connection.h"

#include <xcb/composite.h>
#include <xcb/shm.h>

namespace velmora::x11 {

namespace {

const char* const atomNames[] = {
    "_NET_SUPPORTED",
    "_NET_CLIENT_LIST_STACKING",
    "_NET_ACTIVE_WINDOW",
    "_NET_RESTACK_WINDOW",
    "_NET_WM_NAME",
    "_NET_WM_PID",
    "_NET_WM_STATE",
    "_NET_WM_STATE_HIDDEN",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_DESKTOP",
    "_NET_WM_WINDOW_TYPE_DOCK",
    "_NET_WM_WINDOW_TYPE_TOOLBAR",
    "_NET_WM_WINDOW_TYPE_MENU",
    "_NET_WM_WINDOW_TYPE_UTILITY",
    "_NET_WM_WINDOW_TYPE_SPLASH",
    "_NET_WM_WINDOW_TYPE_DIALOG",
    "_NET_WM_WINDOW_TYPE_NORMAL",
    "_NET_WM_WINDOW_TYPE_NOTIFICATION",
    "_NET_FRAME_EXTENTS",
    "_GTK_FRAME_EXTENTS",
    "WM_STATE",
    "UTF8_STRING",
    "_XROOTPMAP_ID",
    "ESETROOT_PMAP_ID",
    nullptr, // _NET_WM_CM_S<screen>, named at run time
};
static_assert(std::size(atomNames) == size_t(Atom::Count));

} // namespace

std::shared_ptr<X11Connection> X11Connection::open(const char* displayName)
{
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(displayName, &screenNumber);
    if (!connection || xcb_connection_has_error(connection)) {
        if (connection) {
            xcb_disconnect(connection);
        }
        return nullptr;
    }
    std::shared_ptr<X11Connection> self(new X11Connection);
    self->m_connection = connection;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && it.rem; ++i) {
        xcb_screen_next(&it);
    }
    if (!it.rem) {
        return nullptr;
    }
    self->m_screen = it.data;

    // Every request first, then every reply: one round trip for all of them.
    const QByteArray cmName = "_NET_WM_CM_S" + QByteArray::number(screenNumber);
    std::array<xcb_intern_atom_cookie_t, size_t(Atom::Count)> cookies;
    for (size_t i = 0; i < cookies.size(); ++i) {
        const char* name = atomNames[i] ? atomNames[i] : cmName.constData();
        cookies[i] = xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name);
    }
    const auto shmCookie = xcb_shm_query_version(connection);
    const auto compositeCookie = xcb_composite_query_version(connection, 0, 2);
    for (size_t i = 0; i < cookies.size(); ++i) {
        auto reply = adopt(xcb_intern_atom_reply(connection, cookies[i], nullptr));
        self->m_atoms[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    self->m_hasShm = bool(adopt(xcb_shm_query_version_reply(connection, shmCookie, nullptr)));
    auto composite = adopt(xcb_composite_query_version_reply(connection, compositeCookie, nullptr));
    // NameWindowPixmap came with version 0.2.
    self->m_hasComposite = composite && (composite->major_version > 0 || composite->minor_version >= 2);
    return self;
}

X11Connection::~X11Connection()
{
    xcb_disconnect(m_connection);
}

std::optional<QByteArray> X11Connection::property(xcb_window_t window, xcb_atom_t property,
                                                  xcb_atom_t type) const
{
    if (property == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    // Titles and lists are small; 1 MiB bounds what a misbehaving client can make us read.
    auto reply = adopt(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, property, type, 0, 1 << 18), nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE || (type != XCB_ATOM_ANY && reply->type != type)) {
        return std::nullopt;
    }
    const int length = xcb_get_property_value_length(reply.get());
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
}

QList<quint32> X11Connection::property32(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) const
{
    QList<quint32> values;
    if (const auto bytes = this->property(window, property, type)) {
        values.resize(bytes->size() / 4);
        // An empty property: no copy, since an empty list's data() may be null.
        if (!values.isEmpty()) {
            memcpy(values.data(), bytes->constData(), size_t(values.size()) * 4);
        }
    }
    return values;
}

QString X11Connection::windowTitle(xcb_window_t window) const
{
    if (const auto name = property(window, atom(Atom::NetWmName), atom(Atom::Utf8String))) {
        return QString::fromUtf8(*name);
    }
    if (const auto name = property(window, XCB_ATOM_WM_NAME, XCB_ATOM_ANY)) {
        // COMPOUND_TEXT titles are rare; their ASCII part reads the same as Latin-1.
        return QString::fromLatin1(*name);
    }
    return {};
}

QString X11Connection::windowClass(xcb_window_t window) const
{
    // "instance\0class\0".
    const auto value = property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    if (!value) {
        return {};
    }
    const QList<QByteArray> parts = value->split('\0');
    return parts.size() > 1 ? QString::fromLocal8Bit(parts[1]) : QString();
}

std::optional<QRect> X11Connection::rootGeometry(xcb_window_t window) const
{
    auto geometry =
        adopt(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
    if (!geometry) {
        return std::nullopt;
    }
    auto translated = adopt(xcb_translate_coordinates_reply(
        m_connection, xcb_translate_coordinates(m_connection, window, root(), 0, 0), nullptr));
    if (!translated) {
        return std::nullopt;
    }
    // Translation gives the inside corner; the border lies outside it.
    const int border = geometry->border_width;
    return QRect(translated->dst_x - border, translated->dst_y - border, geometry->width + 2 * border,
                 geometry->height + 2 * border);
}

xcb_window_t X11Connection::topLevelAncestor(xcb_window_t window) const
{
    xcb_window_t current = window;
    // Bounded: a reparenting window manager nests a client two or three levels deep.
    for (int depth = 0; depth < 64; ++depth) {
        auto tree = adopt(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, current), nullptr));
        if (!tree) {
            return 0;
        }
        if (tree->parent == root() || tree->parent == XCB_WINDOW_NONE) {
            return current;
        }
        current = tree->parent;
    }
    return window;
}

void X11Connection::discardQueuedEvents() const
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        std::free(event);
    }
}

bool X11Connection::compositorRunning() const
{
    auto owner = adopt(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, atom(Atom::NetWmCmS)), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

} // namespace velmora::x11
