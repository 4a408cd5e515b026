#pragma once

#include "ScreenCapture.h"
#include "x11/X11Connection.h"
#include "x11/X11PixelReader.h"

#include <memory>

namespace velmora::x11 {

// The root window's background pixmap as desktop-setting tools publish it (_XROOTPMAP_ID, or the
// older ESETROOT_PMAP_ID).
class X11RootBackground final : public RootBackground
{
public:
    X11RootBackground(std::shared_ptr<X11Connection> connection, std::shared_ptr<X11PixelReader> reader);

    std::optional<QImage> picture() const override;

private:
    std::shared_ptr<X11Connection> m_connection;
    std::shared_ptr<X11PixelReader> m_reader;
};

} // namespace velmora::x11
