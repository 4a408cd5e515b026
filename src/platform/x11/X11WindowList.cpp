#include "x11/X11WindowList.h"

#include <QFile>

#include <unistd.h>

namespace velmora::x11 {

namespace {

QString processName(qint64 pid)
{
    if (pid <= 0) {
        return {};
    }
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

} // namespace

X11WindowList::X11WindowList(std::shared_ptr<X11Connection> connection) : m_connection(std::move(connection))
{}

QList<WindowInfo> X11WindowList::visibleWindows() const
{
    m_connection->discardQueuedEvents();
    return pickableWindows(rawWindows(), qint64(getpid()));
}

QList<RawWindow> X11WindowList::rawWindows() const
{
    QList<RawWindow> windows;
    for (xcb_window_t client : clientsBottomToTop()) {
        if (auto raw = describeWindow(*m_connection, client)) {
            windows.append(std::move(*raw));
        }
    }
    return windows;
}

QList<xcb_window_t> X11WindowList::clientsBottomToTop() const
{
    const X11Connection& x = *m_connection;
    if (const auto stacking = x.property(x.root(), x.atom(Atom::NetClientListStacking), XCB_ATOM_WINDOW)) {
        QList<xcb_window_t> clients(stacking->size() / 4);
        if (!clients.isEmpty()) { // no windows at all: nothing to copy, and data() may be null
            memcpy(clients.data(), stacking->constData(), size_t(clients.size()) * 4);
        }
        return clients;
    }
    // No EWMH window manager: the root's children are the stacking order. Under a reparenting
    // manager without EWMH the client is the child carrying WM_STATE.
    QList<xcb_window_t> clients;
    xcb_connection_t* c = x.get();
    auto tree = adopt(xcb_query_tree_reply(c, xcb_query_tree(c, x.root()), nullptr));
    if (!tree) {
        return clients;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        xcb_window_t client = children[i];
        if (!x.property(client, x.atom(Atom::WmState))) {
            auto inner = adopt(xcb_query_tree_reply(c, xcb_query_tree(c, client), nullptr));
            const int count = inner ? xcb_query_tree_children_length(inner.get()) : 0;
            for (int j = 0; j < count; ++j) {
                const xcb_window_t candidate = xcb_query_tree_children(inner.get())[j];
                if (x.property(candidate, x.atom(Atom::WmState))) {
                    client = candidate;
                    break;
                }
            }
        }
        clients.append(client);
    }
    return clients;
}

std::optional<RawWindow> describeWindow(const X11Connection& x, xcb_window_t client)
{
    xcb_connection_t* c = x.get();
    auto attributes =
        adopt(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, client), nullptr));
    if (!attributes) {
        return std::nullopt;
    }
    const xcb_window_t frameWindow = x.topLevelAncestor(client);
    const auto frame = frameWindow ? x.rootGeometry(frameWindow) : std::nullopt;
    const auto clientRect = x.rootGeometry(client);
    if (!frame || !clientRect) {
        return std::nullopt;
    }

    RawWindow raw;
    raw.windowID = client;
    raw.frame = *frame;
    // Viewable means the window and all its ancestors (the frame) are mapped.
    raw.mapped = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    raw.overrideRedirect = attributes->override_redirect;

    // Shadow margins lie inside the client; they are cut from the frame only on the sides where the
    // client reaches the frame's edge (a client-side decorated window has no frame of its own).
    const QList<quint32> gtk = x.property32(client, x.atom(Atom::GtkFrameExtents), XCB_ATOM_CARDINAL);
    if (gtk.size() == 4) {
        raw.invisibleMargins = QMargins(clientRect->left() == frame->left() ? int(gtk[0]) : 0,
                                        clientRect->top() == frame->top() ? int(gtk[2]) : 0,
                                        clientRect->right() == frame->right() ? int(gtk[1]) : 0,
                                        clientRect->bottom() == frame->bottom() ? int(gtk[3]) : 0);
    }

    using Type = RawWindow::Type;
    const std::pair<Atom, Type> typeAtoms[] = {
        {Atom::NetWmWindowTypeNormal, Type::normal},
        {Atom::NetWmWindowTypeDialog, Type::dialog},
        {Atom::NetWmWindowTypeUtility, Type::utility},
        {Atom::NetWmWindowTypeDesktop, Type::desktop},
        {Atom::NetWmWindowTypeDock, Type::dock},
        {Atom::NetWmWindowTypeToolbar, Type::toolbar},
        {Atom::NetWmWindowTypeMenu, Type::menu},
        {Atom::NetWmWindowTypeSplash, Type::splash},
        {Atom::NetWmWindowTypeNotification, Type::notification},
    };
    for (quint32 atom : x.property32(client, x.atom(Atom::NetWmWindowType), XCB_ATOM_ATOM)) {
        Type type = Type::other;
        for (const auto& [name, value] : typeAtoms) {
            if (x.atom(name) == atom) {
                type = value;
            }
        }
        raw.types.append(type);
    }
    raw.hidden = x.property32(client, x.atom(Atom::NetWmState), XCB_ATOM_ATOM)
                     .contains(x.atom(Atom::NetWmStateHidden));
    const QList<quint32> pid = x.property32(client, x.atom(Atom::NetWmPid), XCB_ATOM_CARDINAL);
    raw.pid = pid.isEmpty() ? 0 : qint64(pid.first());
    raw.windowClass = x.windowClass(client);
    if (raw.windowClass.isEmpty()) {
        raw.processName = processName(raw.pid);
    }
    raw.title = x.windowTitle(client);
    return raw;
}

} // namespace velmora::x11
