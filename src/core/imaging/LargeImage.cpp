#include "imaging/LargeImage.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace velmora {

void* allocateLarge(std::size_t bytes)
{
    constexpr std::size_t hugePage = 2u << 20;
    if (bytes < 4 * hugePage) {
        return std::malloc(std::max<std::size_t>(bytes, 1));
    }
    const std::size_t rounded = (bytes + hugePage - 1) / hugePage * hugePage;
    void* buffer = std::aligned_alloc(hugePage, rounded);
    if (buffer) {
        madvise(buffer, rounded, MADV_HUGEPAGE);
    }
    return buffer;
}

QImage largeImage(QSize size, QImage::Format format)
{
    if (size.isEmpty()) {
        return {};
    }
    const int bitsPerPixel = QImage::toPixelFormat(format).bitsPerPixel();
    const auto bytesPerLine = (std::size_t(size.width()) * std::size_t(bitsPerPixel) + 31) / 32 * 4;
    void* buffer = allocateLarge(bytesPerLine * std::size_t(size.height()));
    if (!buffer) {
        return {};
    }
    return QImage(
        static_cast<uchar*>(buffer), size.width(), size.height(), qsizetype(bytesPerLine), format,
        [](void* data) { std::free(data); }, buffer);
}

QImage largeCopy(const QImage& image)
{
    const QImage source = image.format() == QImage::Format_ARGB32_Premultiplied
                              ? image
                              : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage copy = largeImage(source.size());
    if (copy.isNull()) {
        return source.copy();
    }
    for (int y = 0; y < source.height(); ++y) {
        std::memcpy(copy.scanLine(y), source.constScanLine(y), std::size_t(source.width()) * 4);
    }
    copy.setDevicePixelRatio(image.devicePixelRatio());
    return copy;
}

} // namespace velmora
