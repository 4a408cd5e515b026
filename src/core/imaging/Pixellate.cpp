#include "imaging/Pixellate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace velmora {

namespace {

// Pixels x with b·q ≤ x + 0.5 < (b + 1)·q belong to block b; a block starts at the first pixel whose
// centre reaches its left edge. Every range below is derived from this one function, so the blocks
// partition the image exactly even when q is fractional.
struct BlockGrid
{
    double size;
    int extent;

    int start(qint64 block) const
    {
        const double edge = std::ceil(double(block) * size - 0.5);
        return int(std::clamp(edge, 0.0, double(extent)));
    }
    qint64 blockOf(int pixel) const
    {
        auto block = qint64(std::floor((pixel + 0.5) / size));
        while (start(block) > pixel)
            --block;
        while (start(block + 1) <= pixel)
            ++block;
        return block;
    }
};

bool readsDirectly(QImage::Format format)
{
    return format == QImage::Format_ARGB32_Premultiplied || format == QImage::Format_RGB32;
}

// The pixellated patch of `rect` (non-empty, inside the image) in a 32-bit 0xAARRGGBB format:
// RGB32 for an RGB32 base, premultiplied ARGB32 otherwise.
QImage pixellatedPatch(const QImage& base, const QRect& rect, double blockSize)
{
    const BlockGrid columns{blockSize, base.width()};
    const BlockGrid rows{blockSize, base.height()};
    const qint64 firstColumn = columns.blockOf(rect.left());
    const qint64 lastColumn = columns.blockOf(rect.right());
    const qint64 firstRow = rows.blockOf(rect.top());
    const qint64 lastRow = rows.blockOf(rect.bottom());

    // Only the crop made of the blocks the region touches is read: the region padded by at most
    // one block on every side. Other formats are converted for that crop alone.
    const QRect padded(QPoint(columns.start(firstColumn), rows.start(firstRow)),
                       QPoint(columns.start(lastColumn + 1) - 1, rows.start(lastRow + 1) - 1));
    QImage source;
    QPoint origin;
    if (readsDirectly(base.format())) {
        source = base;
    } else {
        source = base.copy(padded).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        origin = padded.topLeft();
    }

    const QImage::Format patchFormat =
        base.format() == QImage::Format_RGB32 ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied;
    QImage patch(rect.size(), patchFormat);
    if (patch.isNull())
        return {};

    const auto blockCount = std::size_t(lastColumn - firstColumn + 1);
    std::vector<std::array<quint64, 4>> sums(blockCount);
    std::vector<int> bounds(blockCount + 1);
    for (std::size_t i = 0; i <= blockCount; ++i)
        bounds[i] = columns.start(firstColumn + qint64(i));

    for (qint64 blockRow = firstRow; blockRow <= lastRow; ++blockRow) {
        const int top = rows.start(blockRow);
        const int bottom = rows.start(blockRow + 1);
        std::fill(sums.begin(), sums.end(), std::array<quint64, 4>{});
        for (int y = top; y < bottom; ++y) {
            const auto* line = reinterpret_cast<const quint32*>(source.constScanLine(y - origin.y()));
            for (std::size_t i = 0; i < blockCount; ++i) {
                auto& sum = sums[i];
                for (int x = bounds[i]; x < bounds[i + 1]; ++x) {
                    const quint32 p = line[x - origin.x()];
                    sum[0] += p >> 24;
                    sum[1] += (p >> 16) & 0xff;
                    sum[2] += (p >> 8) & 0xff;
                    sum[3] += p & 0xff;
                }
            }
        }

        const int paintTop = std::max(top, rect.top());
        const int paintBottom = std::min(bottom, rect.bottom() + 1);
        for (std::size_t i = 0; i < blockCount; ++i) {
            const quint64 count = quint64(bottom - top) * quint64(bounds[i + 1] - bounds[i]);
            if (count == 0)
                continue;
            const auto average = [&](int channel) { return quint32((sums[i][channel] + count / 2) / count); };
            const quint32 colour = average(0) << 24 | average(1) << 16 | average(2) << 8 | average(3);
            const int left = std::max(bounds[i], rect.left());
            const int right = std::min(bounds[i + 1], rect.right() + 1);
            for (int y = paintTop; y < paintBottom; ++y) {
                auto* out = reinterpret_cast<quint32*>(patch.scanLine(y - rect.top()));
                std::fill(out + (left - rect.left()), out + (right - rect.left()), colour);
            }
        }
    }
    return patch;
}

bool usableBlockSize(double blockSize)
{
    return std::isfinite(blockSize) && blockSize >= 1.0;
}

} // namespace

QRect pixellationRect(const QImage& image, const QRectF& regionInPixels)
{
    if (image.isNull() || !regionInPixels.isValid())
        return {};
    const QRectF bounds(image.rect());
    const QRectF clipped = regionInPixels.intersected(bounds);
    if (clipped.isEmpty())
        return {};
    return clipped.toAlignedRect().intersected(image.rect());
}

QImage pixellated(const QImage& base, const QRectF& regionInPixels, double blockSizeInPixels)
{
    const QRect rect = pixellationRect(base, regionInPixels);
    if (rect.isEmpty())
        return {};
    if (!usableBlockSize(blockSizeInPixels))
        return base.copy(rect);
    QImage patch = pixellatedPatch(base, rect, blockSizeInPixels);
    if (patch.format() != base.format())
        patch.convertTo(base.format());
    patch.setDevicePixelRatio(base.devicePixelRatio());
    return patch;
}

void pixellateRegion(QImage& image, const QRectF& regionInPixels, double blockSizeInPixels)
{
    pixellateRegion(image, image, regionInPixels, blockSizeInPixels);
}

void pixellateRegion(QImage& target, const QImage& base, const QRectF& regionInPixels,
                     double blockSizeInPixels)
{
    if (target.size() != base.size() || !usableBlockSize(blockSizeInPixels))
        return;
    const QRect rect = pixellationRect(base, regionInPixels);
    if (rect.isEmpty())
        return;
    if (target.depth() < 8) {
        // Bit-packed formats cannot take a byte-aligned row copy; paint through a 32-bit twin.
        const QImage::Format format = target.format();
        target.convertTo(QImage::Format_ARGB32_Premultiplied);
        pixellateRegion(target, base, regionInPixels, blockSizeInPixels);
        target.convertTo(format);
        return;
    }
    // The whole patch is computed before the target is touched, so target and base may be the
    // same image.
    QImage patch = pixellatedPatch(base, rect, blockSizeInPixels);
    if (patch.isNull())
        return;
    if (patch.format() != target.format())
        patch.convertTo(target.format());
    const int bytesPerPixel = target.depth() / 8;
    const auto rowBytes = std::size_t(rect.width()) * std::size_t(bytesPerPixel);
    const auto offset = std::size_t(rect.left()) * std::size_t(bytesPerPixel);
    for (int y = 0; y < rect.height(); ++y)
        std::memcpy(target.scanLine(rect.top() + y) + offset, patch.constScanLine(y), rowBytes);
}

} // namespace velmora
