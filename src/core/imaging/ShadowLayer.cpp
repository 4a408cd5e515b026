#include "imaging/ShadowLayer.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
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

// One running-sum box pass along a line of `count` samples `stride` apart.
void boxLine(uchar* data, int count, int stride, int radius, std::vector<int>& scratch)
{
    scratch.assign(std::size_t(count), 0);
    for (int i = 0; i < count; ++i) {
        scratch[std::size_t(i)] = data[i * stride];
    }
    const int width = 2 * radius + 1;
    int sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        if (i >= 0 && i < count) {
            sum += scratch[std::size_t(i)];
        }
    }
    for (int i = 0; i < count; ++i) {
        data[i * stride] = uchar((sum + width / 2) / width);
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

} // namespace

void gaussianBlurAlpha(QImage& alpha, double sigma)
{
    if (sigma <= 0 || alpha.isNull()) {
        return;
    }
    std::vector<int> scratch;
    for (int width : boxWidths(sigma)) {
        const int radius = (width - 1) / 2;
        if (radius <= 0) {
            continue;
        }
        for (int y = 0; y < alpha.height(); ++y) {
            boxLine(alpha.scanLine(y), alpha.width(), 1, radius, scratch);
        }
        const int stride = int(alpha.bytesPerLine());
        uchar* bits = alpha.bits();
        for (int x = 0; x < alpha.width(); ++x) {
            boxLine(bits + x, alpha.height(), stride, radius, scratch);
        }
    }
}

ShadowLayer::ShadowLayer(const QSize& size) : m_mask(size, QImage::Format_Alpha8)
{
    m_mask.fill(0);
}

void ShadowLayer::addPath(const QPainterPath& path)
{
    QPainter painter(&m_mask);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(path, Qt::black);
}

void ShadowLayer::addImageAlpha(const QImage& image, const QPoint& at)
{
    QPainter painter(&m_mask);
    QImage source = image;
    source.setDevicePixelRatio(1);
    painter.drawImage(at, source);
}

QImage ShadowLayer::blurredMask(double sigma) const
{
    // Work at a scale where the blur is about four pixels wide: the result is smooth anyway.
    const double scale = sigma > 4 ? 4 / sigma : 1.0;
    QImage small = scale < 1 ? m_mask.scaled(std::max(1, int(std::round(m_mask.width() * scale))),
                                             std::max(1, int(std::round(m_mask.height() * scale))),
                                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             : m_mask.copy();
    if (small.format() != QImage::Format_Alpha8) {
        small = small.convertToFormat(QImage::Format_Alpha8);
    }
    gaussianBlurAlpha(small, sigma * scale);
    return small;
}

void ShadowLayer::paint(QPainter& painter, double sigma, double opacity, double offsetY) const
{
    if (opacity <= 0) {
        return;
    }
    const QImage mask = blurredMask(sigma);
    // Tint the coverage black: alpha-only images draw as black with their alpha.
    QImage tinted(mask.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < mask.height(); ++y) {
        const uchar* in = mask.constScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(tinted.scanLine(y));
        for (int x = 0; x < mask.width(); ++x) {
            out[x] = qRgba(0, 0, 0, in[x]);
        }
    }
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(QPointF(0, offsetY), QSizeF(m_mask.size())), tinted);
    painter.restore();
}

} // namespace velmora
