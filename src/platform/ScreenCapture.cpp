#include "ScreenCapture.h"

#include "AreaStream.h"

namespace velmora {

GrabAreaStream::GrabAreaStream(ScreenCapture& capture, const QRect& native, QObject* parent)
    : AreaStream(parent), m_capture(capture), m_native(native)
{}

CaptureJob* GrabAreaStream::grab()
{
    return m_capture.grabArea(m_native);
}

std::unique_ptr<AreaStream> ScreenCapture::openAreaStream(const QRect& native)
{
    return std::make_unique<GrabAreaStream>(*this, native);
}

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
