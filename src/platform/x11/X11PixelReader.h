#pragma once

#include "x11/X11Connection.h"
#include "x11/X11ShmPool.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>

namespace velmora::x11 {

// Reads pixels of a window or pixmap into a QImage (Format_ARGB32_Premultiplied, device pixel ratio
// 1). Drawables of depth 32 keep their alpha (X's ARGB visuals are premultiplied); every other
// depth comes out opaque, since X leaves the padding byte of a 24-bit pixel undefined.
class X11PixelReader
{
public:
    enum class Method {
        automatic, // shared memory when the server offers it, else GetImage
        getImage,  // the image travels through the socket
        shm,       // the server writes into a shared segment
    };

    explicit X11PixelReader(std::shared_ptr<X11Connection> connection);

    // `area` in the drawable's own coordinates; it must lie inside the drawable. `depth` is the
    // drawable's. On failure, nothing and a one-line reason in `error`.
    std::optional<QImage> read(xcb_drawable_t drawable, const QRect& area, int depth,
                               Method method = Method::automatic, QString* error = nullptr);
    // Lets go of the shared-memory segment kept for the next read.
    void releaseIdleMemory();

private:
    struct Format;
    std::optional<Format> formatFor(int depth) const;
    std::optional<QImage> readGetImage(xcb_drawable_t drawable, const QRect& area, const Format& format);
    std::optional<QImage> readShm(xcb_drawable_t drawable, const QRect& area, const Format& format);

    std::shared_ptr<X11Connection> m_connection;
    // Shared by the pictures that live in its segments, which hand them back when they go.
    std::shared_ptr<X11ShmPool> m_pool;
};

} // namespace velmora::x11
