#pragma once

#include "ScreenCapture.h"
#include "x11/X11Connection.h"
#include "x11/X11PixelReader.h"

#include <functional>
#include <memory>

namespace velmora::x11 {

// Grabs from the root window on the thread pool, with the backend's own connection.
class X11ScreenCapture final : public ScreenCapture
{
public:
    // `layout` says where the screens are (called on the thread that asks for a grab); tests
    // inject one.
    X11ScreenCapture(std::shared_ptr<X11Connection> connection, std::shared_ptr<X11PixelReader> reader,
                     std::function<ScreenLayout()> layout = &ScreenLayout::current);

    CaptureJob* grabScreens(const QList<ScreenGeometry>& screens) override;
    CaptureJob* grabArea(const QRect& native) override;
    CaptureJob* grabWindow(quint32 windowID) override;
    void releaseIdleMemory() override { m_reader->releaseIdleMemory(); }

private:
    std::shared_ptr<X11Connection> m_connection;
    std::shared_ptr<X11PixelReader> m_reader;
    std::function<ScreenLayout()> m_layout;
};

} // namespace velmora::x11
