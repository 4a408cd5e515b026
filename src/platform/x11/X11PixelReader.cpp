#include "x11/X11PixelReader.h"

#include <QSysInfo>

#include <xcb/shm.h>

namespace velmora::x11 {

struct X11PixelReader::Format
{
    bool keepAlpha = false;
};

namespace {

// X leaves the padding byte of a 24-bit pixel undefined; a picture of the screen is opaque.
void forceOpaque(uchar* pixels, qsizetype count)
{
    auto* words = reinterpret_cast<quint32*>(pixels);
    for (qsizetype i = 0; i < count; ++i) {
        words[i] |= 0xff000000u;
    }
}

} // namespace

X11PixelReader::X11PixelReader(std::shared_ptr<X11Connection> connection)
    : m_connection(connection), m_pool(std::make_shared<X11ShmPool>(std::move(connection)))
{}

std::optional<X11PixelReader::Format> X11PixelReader::formatFor(int depth) const
{
    // Only the layout every current server uses for true colour: 32 bits per pixel, red in bits
    // 16–23, in this machine's byte order. Then a pixel is exactly a QImage ARGB32 pixel.
    const xcb_setup_t* setup = xcb_get_setup(m_connection->get());
    const bool littleEndian = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    if ((setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) != littleEndian) {
        return std::nullopt;
    }
    bool bpp32 = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
        if (it.data->depth == depth) {
            bpp32 = it.data->bits_per_pixel == 32;
        }
    }
    if (!bpp32 || (depth != 24 && depth != 32)) {
        return std::nullopt;
    }
    if (depth == 24) {
        const xcb_screen_t* screen = m_connection->screen();
        for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
                if (v.data->visual_id == screen->root_visual && v.data->red_mask != 0xff0000) {
                    return std::nullopt;
                }
            }
        }
    }
    return Format{depth == 32};
}

std::optional<QImage> X11PixelReader::read(xcb_drawable_t drawable, const QRect& area, int depth,
                                           Method method, QString* error)
{
    const auto fail = [error](const char* why) -> std::optional<QImage> {
        if (error) {
            *error = QString::fromLatin1(why);
        }
        return std::nullopt;
    };
    if (area.isEmpty() || area.width() > 0x7fff || area.height() > 0x7fff) {
        return fail("the area to capture is empty or too large");
    }
    const auto format = formatFor(depth);
    if (!format) {
        return fail("the display uses a pixel format Velmora cannot read (it needs 24- or 32-bit colour)");
    }
    std::optional<QImage> image;
    if (method != Method::getImage && m_connection->hasShm()) {
        image = readShm(drawable, area, *format);
    }
    if (!image && method != Method::shm) {
        image = readGetImage(drawable, area, *format);
    }
    if (!image) {
        return fail("the display refused to hand over the pixels");
    }
    return image;
}

std::optional<QImage> X11PixelReader::readGetImage(xcb_drawable_t drawable, const QRect& area,
                                                   const Format& format)
{
    xcb_connection_t* c = m_connection->get();
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, int16_t(area.x()), int16_t(area.y()),
                      uint16_t(area.width()), uint16_t(area.height()), ~0u),
        nullptr);
    if (!reply) {
        return std::nullopt;
    }
    const int length = xcb_get_image_data_length(reply);
    const int stride = area.width() * 4;
    if (length < stride * area.height()) {
        std::free(reply);
        return std::nullopt;
    }
    // The picture keeps the reply's buffer instead of copying it; alpha is fixed in place.
    uchar* data = xcb_get_image_data(reply);
    if (!format.keepAlpha) {
        forceOpaque(data, qsizetype(area.width()) * area.height());
    }
    return QImage(data, area.width(), area.height(), stride, QImage::Format_ARGB32_Premultiplied, &std::free,
                  reply);
}

namespace {

// What a picture living in a shared segment needs to give it back.
struct SegmentOwner
{
    std::shared_ptr<X11ShmPool> pool;
    ShmSegment segment;
};

void giveBack(void* owner)
{
    auto* segmentOwner = static_cast<SegmentOwner*>(owner);
    segmentOwner->pool->give(segmentOwner->segment);
    delete segmentOwner;
}

} // namespace

std::optional<QImage> X11PixelReader::readShm(xcb_drawable_t drawable, const QRect& area,
                                              const Format& format)
{
    const int stride = area.width() * 4;
    const auto segment = m_pool->take(size_t(stride) * size_t(area.height()));
    if (!segment) {
        return std::nullopt;
    }
    xcb_connection_t* c = m_connection->get();
    auto reply = adopt(xcb_shm_get_image_reply(
        c,
        xcb_shm_get_image(c, drawable, int16_t(area.x()), int16_t(area.y()), uint16_t(area.width()),
                          uint16_t(area.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, segment->id, 0),
        nullptr));
    if (!reply) {
        m_pool->give(*segment);
        return std::nullopt;
    }
    // The picture lives in the segment itself (copying a whole screen out of it would cost more
    // than the server's part of the grab); the segment goes back to the pool with the picture.
    if (!format.keepAlpha) {
        forceOpaque(segment->address, qsizetype(area.width()) * area.height());
    }
    return QImage(segment->address, area.width(), area.height(), stride, QImage::Format_ARGB32_Premultiplied,
                  &giveBack, new SegmentOwner{m_pool, *segment});
}

void X11PixelReader::releaseIdleMemory()
{
    if (m_pool) {
        m_pool->releaseSpare();
    }
}

} // namespace velmora::x11
