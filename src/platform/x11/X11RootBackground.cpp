#include "x11/X11RootBackground.h"

namespace velmora::x11 {

X11RootBackground::X11RootBackground(std::shared_ptr<X11Connection> connection,
                                     std::shared_ptr<X11PixelReader> reader)
    : m_connection(std::move(connection)), m_reader(std::move(reader))
{}

std::optional<QImage> X11RootBackground::picture() const
{
    const X11Connection& x = *m_connection;
    QList<quint32> pixmap = x.property32(x.root(), x.atom(Atom::XRootPmapId), XCB_ATOM_PIXMAP);
    if (pixmap.isEmpty() || pixmap.first() == 0) {
        pixmap = x.property32(x.root(), x.atom(Atom::ESetRootPmapId), XCB_ATOM_PIXMAP);
    }
    if (pixmap.isEmpty() || pixmap.first() == 0) {
        return std::nullopt;
    }
    // The property outlives the pixmap when the tool that set it exits without keeping it.
    auto geometry =
        adopt(xcb_get_geometry_reply(x.get(), xcb_get_geometry(x.get(), pixmap.first()), nullptr));
    if (!geometry) {
        return std::nullopt;
    }
    const QRect area(0, 0, geometry->width, geometry->height);
    return m_reader->read(pixmap.first(), area, geometry->depth);
}

} // namespace velmora::x11
