#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <optional>

namespace velmora::x11 {

// The atoms the backend asks about, interned once when the connection opens.
enum class Atom {
    NetSupported,
    NetClientListStacking,
    NetActiveWindow,
    NetRestackWindow,
    NetWmName,
    NetWmPid,
    NetWmState,
    NetWmStateHidden,
    NetWmWindowType,
    NetWmWindowTypeDesktop,
    NetWmWindowTypeDock,
    NetWmWindowTypeToolbar,
    NetWmWindowTypeMenu,
    NetWmWindowTypeUtility,
    NetWmWindowTypeSplash,
    NetWmWindowTypeDialog,
    NetWmWindowTypeNormal,
    NetWmWindowTypeNotification,
    NetFrameExtents,
    GtkFrameExtents,
    WmState,
    Utf8String,
    XRootPmapId,
    ESetRootPmapId,
    NetWmCmS, // _NET_WM_CM_S<screen>: owned while a compositing manager runs
    Count
};

template <typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

// Takes ownership of a reply xcb allocated with malloc.
template <typename T> XcbReply<T> adopt(T* reply)
{
    return XcbReply<T>(reply, &std::free);
}

// The backend's own X connection. Qt's connection belongs to its event loop, so the backend never
// borrows it; xcb connections may be used from any thread, which lets grabs run on the pool.
class X11Connection
{
public:
    // Null when no display can be reached.
    static std::shared_ptr<X11Connection> open(const char* displayName = nullptr);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    xcb_connection_t* get() const { return m_connection; }
    xcb_screen_t* screen() const { return m_screen; }
    xcb_window_t root() const { return m_screen->root; }
    xcb_atom_t atom(Atom atom) const { return m_atoms[size_t(atom)]; }
    bool hasShm() const { return m_hasShm; }
    bool hasComposite() const { return m_hasComposite; }

    // A property's raw value (format 8, 16 or 32 as the owner wrote it), nothing when absent or
    // when the window has gone. `type` XCB_ATOM_ANY accepts every type.
    std::optional<QByteArray> property(xcb_window_t window, xcb_atom_t property,
                                       xcb_atom_t type = XCB_ATOM_ANY) const;
    // A property of 32-bit items (CARDINAL, WINDOW, ATOM, PIXMAP).
    QList<quint32> property32(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) const;
    // _NET_WM_NAME in UTF-8, else WM_NAME (Latin-1 as ICCCM says).
    QString windowTitle(xcb_window_t window) const;
    // WM_CLASS class part.
    QString windowClass(xcb_window_t window) const;

    // The window's rectangle, border included, in root coordinates. Nothing when it has gone.
    std::optional<QRect> rootGeometry(xcb_window_t window) const;
    // The child of the root that contains `window` (its frame under a reparenting window manager),
    // or the window itself when it is a child of the root. 0 when it has gone.
    xcb_window_t topLevelAncestor(xcb_window_t window) const;
    // Drops what the server queued for this connection. It selects no events, so these are only
    // errors of requests that have no reply (a restack of a window that has just gone, say), which
    // nobody reads; dropped, they do not pile up for the life of the program.
    void discardQueuedEvents() const;
    // Whether a compositing manager owns this screen's selection.
    bool compositorRunning() const;

private:
    X11Connection() = default;

    xcb_connection_t* m_connection = nullptr;
    xcb_screen_t* m_screen = nullptr;
    std::array<xcb_atom_t, size_t(Atom::Count)> m_atoms{};
    bool m_hasShm = false;
    bool m_hasComposite = false;
};

} // namespace velmora::x11
