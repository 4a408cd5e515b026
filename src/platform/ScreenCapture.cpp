#include "ScreenCapture.h"

namespace velmora {

std::optional<WindowInfo> WindowList::windowInfo(quint32 windowID) const
{
    for (const WindowInfo& window : visibleWindows()) {
        if (window.windowID == windowID) {
            return window;
        }
    }
    return std::nullopt;
}

std::optional<WindowInfo> WindowList::windowAtPoint(const QPoint& native) const
{
    return windowAt(visibleWindows(), native);
}

std::optional<WindowInfo> windowAt(const QList<WindowInfo>& windows, const QPoint& native)
{
    for (const WindowInfo& window : windows) {
        const QRect& f = window.frame;
        if (native.x() >= f.left() && native.x() <= f.left() + f.width() && native.y() >= f.top() &&
            native.y() <= f.top() + f.height()) {
            return window;
        }
    }
    return std::nullopt;
}

} // namespace velmora
