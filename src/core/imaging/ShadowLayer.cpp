#include "imaging/ShadowLayer.h"

#include "imaging/ImageView.h"

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

ShadowLayer::ShadowLayer(const QSize& size, double sigma)
    : m_size(size), m_sigma(sigma), m_scale(sigma > 2.5 ? 2.5 / sigma : 1.0)
{
    // A margin keeps the blur from being cut at the layer's edges.
    m_mask = QImage(std::max(1, int(std::ceil(size.width() * m_scale))),
                    std::max(1, int(std::ceil(size.height() * m_scale))), QImage::Format_Alpha8);
    m_mask.fill(0);
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
    QImage blurredCopy = m_mask.copy();
    gaussianBlurAlpha(blurredCopy, sigma * m_scale);
    return blurredCopy;
}

void ShadowLayer::paint(QPainter& painter, double sigma, double opacity, double offsetY) const
{
    ShadowLayer copy = *this;
    copy.m_sigma = sigma;
    copy.paint(painter, opacity, offsetY);
}

void ShadowLayer::paint(QPainter& painter, double opacity, double offsetY, const QRegion& clip) const
{
    if (opacity <= 0) {
        return;
    }
    const QImage mask = blurredMask();
    // Alpha-only images would draw in the pen colour; tint the coverage black explicitly.
    QImage tinted(mask.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < mask.height(); ++y) {
        const uchar* in = mask.constScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(tinted.scanLine(y));
        for (int x = 0; x < mask.width(); ++x) {
            out[x] = qRgba(0, 0, 0, in[x]);
        }
    }
    painter.save();
    if (!clip.isEmpty()) {
        painter.setClipRegion(clip, Qt::IntersectClip);
    }
    painter.setOpacity(painter.opacity() * opacity);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(QPointF(0, offsetY), QSizeF(mask.size()) / m_scale), tinted);
    painter.restore();
}

} // namespace velmora
