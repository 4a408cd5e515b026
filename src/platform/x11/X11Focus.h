#pragma once

#include "ScreenCapture.h"
#include "x11/X11Connection.h"

#include <memory>

namespace velmora::x11 {

// The active window as the EWMH window manager reports it, and a pager's request to change it.
class X11FocusTracker final : public FocusTracker
{
public:
    explicit X11FocusTracker(std::shared_ptr<X11Connection> connection);

    quint32 activeWindow() const override;
    void activate(quint32 windowID) override;

private:
    std::shared_ptr<X11Connection> m_connection;
};

// Asks the window manager to restack `window` relative to `sibling` (0: the whole stack) with
// `detail` XCB_STACK_MODE_ABOVE or _BELOW, as a pager would. Without an EWMH manager, restacks
// the window's frame directly.
void restackWindow(const X11Connection& x, xcb_window_t window, xcb_window_t sibling, uint32_t detail);

} // namespace velmora::x11
