#pragma once

#include "ScreenCapture.h"
#include "WindowFilter.h"
#include "x11/X11Connection.h"

#include <memory>

namespace velmora::x11 {

// The window list from the window manager's EWMH stacking list, or from the root's children when
// no window manager keeps one.
class X11WindowList final : public WindowList
{
public:
    explicit X11WindowList(std::shared_ptr<X11Connection> connection);

    QList<WindowInfo> visibleWindows() const override;

    // Every top-level window as the display describes it, bottom to top, unfiltered.
    QList<RawWindow> rawWindows() const;

private:
    QList<xcb_window_t> clientsBottomToTop() const;

    std::shared_ptr<X11Connection> m_connection;
};

// One client window's description; its frame is looked up. Nothing when it has gone.
std::optional<RawWindow> describeWindow(const X11Connection& x, xcb_window_t client);

} // namespace velmora::x11
