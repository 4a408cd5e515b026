#include "x11/X11PixelReader.h"

#include <QMutexLocker>
#include <QSysInfo>

#include <xcb/shm.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>

namespace velmora::x11 {

struct X11PixelReader::Format
{
    bool keepAlpha = false;
};

namespace {

// The rows of a 32-bit ZPixmap image, copied into `image` with alpha forced when the source has
// none. ZPixmap rows are padded to the server's scanline pad; at 32 bits per pixel that is none.
void copyRows(const uchar* source, int sourceStride, QImage& image, bool keepAlpha)
{
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto* from = reinterpret_cast<const quint32*>(source + qsizetype(y) * sourceStride);
        auto* to = reinterpret_cast<quint32*>(image.scanLine(y));
        if (keepAlpha) {
            std::memcpy(to, from, size_t(width) * 4);
        } else {
            for (int x = 0; x < width; ++x) {
                to[x] = from[x] | 0xff000000u;
            }
        }
    }
}

} // namespace

X11PixelReader::X11PixelReader(std::shared_ptr<X11Connection> connection)
    : m_connection(std::move(connection))
{}

X11PixelReader::~X11PixelReader()
{
    releaseSegment();
}

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
        auto* pixels = reinterpret_cast<quint32*>(data);
        const qsizetype count = qsizetype(area.width()) * area.height();
        for (qsizetype i = 0; i < count; ++i) {
            pixels[i] |= 0xff000000u;
        }
    }
    return QImage(data, area.width(), area.height(), stride, QImage::Format_ARGB32_Premultiplied, &std::free,
                  reply);
}

bool X11PixelReader::ensureSegment(size_t bytes)
{
    if (m_shmAddress && m_shmSize >= bytes) {
        return true;
    }
    releaseSegment();
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0) {
        return false;
    }
    void* address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return false;
    }
    xcb_connection_t* c = m_connection->get();
    const xcb_shm_seg_t segment = xcb_generate_id(c);
    xcb_generic_error_t* attachError = xcb_request_check(c, xcb_shm_attach_checked(c, segment, id, 0));
    // Marked for removal now: the kernel frees it once both sides have detached, even if we crash.
    shmctl(id, IPC_RMID, nullptr);
    if (attachError) {
        // A server on another machine (or in another IPC namespace) cannot see the segment.
        std::free(attachError);
        shmdt(address);
        return false;
    }
    m_segment = segment;
    m_shmAddress = address;
    m_shmSize = bytes;
    return true;
}

void X11PixelReader::releaseSegment()
{
    if (m_shmAddress) {
        xcb_shm_detach(m_connection->get(), m_segment);
        xcb_flush(m_connection->get());
        shmdt(m_shmAddress);
        m_shmAddress = nullptr;
        m_shmSize = 0;
    }
}

std::optional<QImage> X11PixelReader::readShm(xcb_drawable_t drawable, const QRect& area,
                                              const Format& format)
{
    QMutexLocker locker(&m_shmLock);
    const size_t bytes = size_t(area.width()) * size_t(area.height()) * 4;
    if (m_shmBroken || !ensureSegment(bytes)) {
        m_shmBroken = true;
        return std::nullopt;
    }
    xcb_connection_t* c = m_connection->get();
    auto reply = adopt(xcb_shm_get_image_reply(
        c,
        xcb_shm_get_image(c, drawable, int16_t(area.x()), int16_t(area.y()), uint16_t(area.width()),
                          uint16_t(area.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, m_segment, 0),
        nullptr));
    if (!reply) {
        return std::nullopt;
    }
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return std::nullopt;
    }
    copyRows(static_cast<const uchar*>(m_shmAddress), area.width() * 4, image, format.keepAlpha);
    return image;
}

} // namespace velmora::x11
