#include "portal/StreamFrame.h"

#include <cmath>
#include <cstring>

namespace velmora::portal {

QRect StreamFrame::contentRect() const
{
    const QRect whole(QPoint(0, 0), size);
    return content.isEmpty() ? whole : content.intersected(whole);
}

QImage cropStreamFrame(const StreamFrame& frame, const QRect& crop)
{
    const QRect content = frame.contentRect();
    if (!frame.data || crop.isEmpty() || frame.stride < 4 * frame.size.width() ||
        !QRect(QPoint(0, 0), content.size()).contains(crop)) {
        return {};
    }
    QImage image(crop.size(), QImage::Format_RGB32);
    const int left = content.x() + crop.x();
    const bool swapped = frame.format == StreamPixelFormat::rgbx || frame.format == StreamPixelFormat::rgba;
    for (int y = 0; y < crop.height(); ++y) {
        const uchar* from = frame.data + qsizetype(content.y() + crop.y() + y) * frame.stride + left * 4;
        auto* to = reinterpret_cast<quint32*>(image.scanLine(y));
        if (!swapped) {
            // B, G, R, x in memory is RGB32's own little-endian word; only the fourth byte is set.
            std::memcpy(to, from, size_t(crop.width()) * 4);
            for (int x = 0; x < crop.width(); ++x) {
                to[x] |= 0xff000000u;
            }
            continue;
        }
        for (int x = 0; x < crop.width(); ++x, from += 4) {
            to[x] = 0xff000000u | quint32(from[0]) << 16 | quint32(from[1]) << 8 | quint32(from[2]);
        }
    }
    return image;
}

std::optional<QRect> regionInStream(const QRect& native, const ScreenGeometry& screen,
                                    const std::optional<QRect>& monitor, const QSize& contentPixels)
{
    if (native.isEmpty() || contentPixels.isEmpty()) {
        return std::nullopt;
    }
    const QRect area = monitor.value_or(screen.geometry);
    if (area.isEmpty()) {
        return std::nullopt;
    }
    const QRectF logical = screen.nativeToGlobal(native);
    const double sx = double(contentPixels.width()) / area.width();
    const double sy = double(contentPixels.height()) / area.height();
    // Each edge to the nearest pixel, so a region of whole points keeps its size in pixels.
    const int left = int(std::lround((logical.left() - area.x()) * sx));
    const int top = int(std::lround((logical.top() - area.y()) * sy));
    const int right = int(std::lround((logical.right() - area.x()) * sx));
    const int bottom = int(std::lround((logical.bottom() - area.y()) * sy));
    const QRect inFrame(QPoint(left, top), QPoint(right - 1, bottom - 1));
    if (inFrame.isEmpty() || !QRect(QPoint(0, 0), contentPixels).contains(inFrame)) {
        return std::nullopt;
    }
    return inFrame;
}

} // namespace velmora::portal
