#include "imaging/ShadowLayer.h"

#include "imaging/ImageView.h"
#include "imaging/LargeImage.h"
#include "imaging/ParallelFor.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace velmora {

namespace {

// Widths of three boxes whose successive application approximates a Gaussian.
std::array<int, 3> boxWidths(double sigma)
{
    constexpr int n = 3;
    const double ideal = std::sqrt(12 * sigma * sigma / n + 1);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0) {
        --lower;
    }
    const int upper = lower + 2;
    const double m =
        std::round((12 * sigma * sigma - n * lower * lower - 4 * n * lower - 3 * n) / (-4 * lower - 4));
    std::array<int, 3> widths{};
    for (int i = 0; i < n; ++i) {
        widths[std::size_t(i)] = std::max(1, i < m ? lower : upper);
    }
    return widths;
}

// (sum + width / 2) / width for every sum a box of `width` 8-bit samples can have: a table lookup
// instead of an integer division per sample, which cost more than everything else in the blur.
std::vector<uchar> averages(int width)
{
    std::vector<uchar> table(std::size_t(255) * std::size_t(width) + 1);
    for (std::size_t sum = 0; sum < table.size(); ++sum) {
        table[sum] = uchar((sum + std::size_t(width / 2)) / std::size_t(width));
    }
    return table;
}

// One running-sum box pass along a row; samples outside the row count as zero.
void boxRow(uchar* data, int count, int radius, const uchar* average, std::vector<int>& scratch)
{
    scratch.assign(data, data + count);
    int sum = 0;
    for (int i = 0; i <= radius && i < count; ++i) {
        sum += scratch[std::size_t(i)];
    }
    for (int i = 0; i < count; ++i) {
        data[i] = average[sum];
        const int leaving = i - radius;
        const int entering = i + radius + 1;
        if (leaving >= 0) {
            sum -= scratch[std::size_t(leaving)];
        }
        if (entering < count) {
            sum += scratch[std::size_t(entering)];
        }
    }
}

// The same pass down the columns [left, right), computed a row at a time so that memory is read in
// order: one running sum per column, over `before`, the rows as they were before the pass.
void boxColumns(QImage& alpha, int left, int right, int radius, const uchar* average, const uchar* before)
{
    const int width = alpha.width();
    const int height = alpha.height();
    const int count = right - left;
    const auto row = [&](int y) { return before + std::size_t(y) * std::size_t(width) + std::size_t(left); };
    std::vector<int> sums(std::size_t(count), 0);
    for (int y = 0; y <= radius && y < height; ++y) {
        const uchar* in = row(y);
        for (int x = 0; x < count; ++x) {
            sums[std::size_t(x)] += in[x];
        }
    }
    for (int y = 0; y < height; ++y) {
        uchar* out = alpha.scanLine(y) + left;
        for (int x = 0; x < count; ++x) {
            out[x] = average[sums[std::size_t(x)]];
        }
        if (const int leaving = y - radius; leaving >= 0) {
            const uchar* in = row(leaving);
            for (int x = 0; x < count; ++x) {
                sums[std::size_t(x)] -= in[x];
            }
        }
        if (const int entering = y + radius + 1; entering < height) {
            const uchar* in = row(entering);
            for (int x = 0; x < count; ++x) {
                sums[std::size_t(x)] += in[x];
            }
        }
    }
}

} // namespace

void gaussianBlurAlpha(QImage& alpha, double sigma)
{
    if (sigma <= 0 || alpha.isNull()) {
        return;
    }
    const int width = alpha.width();
    const int height = alpha.height();
    // Rows go to the pool in bands, columns in strips; each is independent of the others.
    constexpr int BandRows = 64;
    constexpr int StripColumns = 256;
    const int bands = (height + BandRows - 1) / BandRows;
    const int strips = (width + StripColumns - 1) / StripColumns;
    const std::unique_ptr<uchar, LargeBufferDeleter> before(
        static_cast<uchar*>(allocateLarge(std::size_t(width) * std::size_t(height))));
    if (!before) {
        return;
    }
    for (int boxWidth : boxWidths(sigma)) {
        const int radius = (boxWidth - 1) / 2;
        if (radius <= 0) {
            continue;
        }
        const std::vector<uchar> average = averages(boxWidth);
        parallelFor(bands, [&](int band) {
            std::vector<int> scratch;
            for (int y = band * BandRows; y < std::min(height, (band + 1) * BandRows); ++y) {
                boxRow(alpha.scanLine(y), width, radius, average.data(), scratch);
            }
        });
        for (int y = 0; y < height; ++y) {
            std::memcpy(before.get() + std::size_t(y) * std::size_t(width), alpha.constScanLine(y),
                        std::size_t(width));
        }
        parallelFor(strips, [&](int strip) {
            boxColumns(alpha, strip * StripColumns, std::min(width, (strip + 1) * StripColumns), radius,
                       average.data(), before.get());
        });
    }
}

ShadowLayer::ShadowLayer(const QSize& size, double sigma)
    : m_size(size), m_sigma(sigma), m_scale(sigma > 2.5 ? 2.5 / sigma : 1.0)
{
    // A margin keeps the blur from being cut at the layer's edges.
    m_mask = largeImage(QSize(std::max(1, int(std::ceil(size.width() * m_scale))),
                              std::max(1, int(std::ceil(size.height() * m_scale)))),
                        QImage::Format_Alpha8);
    if (!m_mask.isNull()) {
        m_mask.fill(0);
    }
}

void ShadowLayer::addPath(const QPainterPath& path)
{
    QPainter painter(&m_mask);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.scale(m_scale, m_scale);
    painter.fillPath(path, Qt::black);
}

void ShadowLayer::addImageAlpha(const QImage& image, const QPoint& at)
{
    QPainter painter(&m_mask);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.scale(m_scale, m_scale);
    const QImage source = unscaledView(image);
    painter.drawImage(QRectF(at, QSizeF(source.size())), source);
}

QImage ShadowLayer::blurredMask(double sigma) const
{
    QImage blurredCopy = largeImage(m_mask.size(), m_mask.format());
    if (blurredCopy.isNull() || blurredCopy.bytesPerLine() != m_mask.bytesPerLine()) {
        blurredCopy = m_mask.copy();
    } else {
        std::memcpy(blurredCopy.bits(), m_mask.constBits(), std::size_t(m_mask.sizeInBytes()));
    }
    gaussianBlurAlpha(blurredCopy, sigma * m_scale);
    return blurredCopy;
}

bool ShadowLayer::paint(QPainter& painter, double sigma, double opacity, double offsetY) const
{
    ShadowLayer copy = *this;
    copy.m_sigma = sigma;
    return copy.paint(painter, opacity, offsetY);
}

bool ShadowLayer::paint(QPainter& painter, double opacity, double offsetY, const QRegion& clip) const
{
    if (opacity <= 0) {
        return true;
    }
    // An alpha-only image draws as black with that coverage.
    const QImage mask = blurredMask();
    if (mask.isNull()) {
        return false;
    }
    painter.save();
    if (!clip.isEmpty()) {
        painter.setClipRegion(clip, Qt::IntersectClip);
    }
    painter.setOpacity(painter.opacity() * opacity);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(QPointF(0, offsetY), QSizeF(mask.size()) / m_scale), mask);
    painter.restore();
    return true;
}

} // namespace velmora
