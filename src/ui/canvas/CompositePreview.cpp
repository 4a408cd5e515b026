#include "canvas/CompositePreview.h"

#include "editor/TransparentPreviewPattern.h"

#include "editor/CompositeRenderer.h"
#include "editor/FigmaSquircle.h"
#include "imaging/ImageView.h"
#include "imaging/PixelMetrics.h"
#include "imaging/ShadowLayer.h"

#include <QPainter>

#include <cmath>

namespace velmora {

namespace {

// Above this many device pixels the clipped capture is not kept but drawn through a brush at
// every repaint: at high zooms it would cost hundreds of megabytes, and the painter only fills
// the exposed part anyway.
constexpr qint64 keptContentPixelBudget = 16'000'000;
// The shadow is soft; this many pixels describe it well at any size.
constexpr double shadowPixelBudget = 4'000'000;

// The transparency checkerboard: 16-point cells, odd cells (column + row) in the second colour,
// counted from the area's top-left corner. One two-by-two tile repeated by the brush, so it costs
// the same at any zoom.
} // namespace

bool CanvasPresentation::operator==(const CanvasPresentation& other) const
{
    return image.cacheKey() == other.image.cacheKey() && canvasSize == other.canvasSize &&
           imageOrigin == other.imageOrigin && contentCornerRadius == other.contentCornerRadius &&
           contentInset == other.contentInset && contentInsetColor == other.contentInsetColor &&
           contentShadowRadius == other.contentShadowRadius &&
           contentShadowOpacity == other.contentShadowOpacity &&
           showsTransparencyBacking == other.showsTransparencyBacking;
}

QSizeF CanvasPresentation::imagePointSize() const
{
    return pointSize(image);
}

QSizeF CanvasPresentation::resolvedCanvasSize() const
{
    return canvasSize ? *canvasSize : imagePointSize();
}

QImage clippedContent(const QImage& bitmap, const QSize& pixels, double cornerRadiusPixels)
{
    if (bitmap.isNull() || pixels.isEmpty()) {
        return {};
    }
    QImage scaled = bitmap.size() == pixels
                        ? bitmap
                        : bitmap.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(1);
    // The export's own mask, so the corners on screen are the corners in the file.
    return maskedContentImage(scaled, cornerRadiusPixels);
}

QRectF CompositePreview::contentRect(const CanvasPresentation& presentation, double zoom)
{
    const QSizeF points = presentation.imagePointSize();
    return {presentation.imageOrigin * zoom,
            QSizeF(std::round(points.width() * zoom), std::round(points.height() * zoom))};
}

void CompositePreview::clear()
{
    m_shadowKey.reset();
    m_shadow = {};
    m_contentKey.reset();
    m_content = {};
}

void CompositePreview::paint(QPainter& painter, const CanvasPresentation& presentation, const QImage& bitmap,
                             double zoom, double pixelRatio, bool dark)
{
    const QRectF content = contentRect(presentation, zoom);
    if (content.isEmpty()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (presentation.showsTransparencyBacking) {
        paintTransparentPreviewPattern(painter, content, dark);
    }
    const double inset = zoom * std::max(presentation.contentInset, 0.0);
    const double radius = zoom * std::max(presentation.contentCornerRadius, 0.0);
    double contentRadius = radius;
    if (inset > 0) {
        const QRectF plate = content.adjusted(-inset, -inset, inset, inset);
        paintShadow(painter, plate, radius, true, bitmap, zoom, presentation.contentShadowRadius,
                    presentation.contentShadowOpacity, pixelRatio);
        painter.setPen(Qt::NoPen);
        painter.setBrush(presentation.contentInsetColor.toQColor());
        painter.drawPath(FigmaSquircle::path(plate, radius));
        contentRadius = zoom * std::max(presentation.contentCornerRadius - presentation.contentInset, 0.0);
    } else {
        paintShadow(painter, content, radius, false, bitmap, zoom, presentation.contentShadowRadius,
                    presentation.contentShadowOpacity, pixelRatio);
    }
    paintContent(painter, content, bitmap, contentRadius, pixelRatio);
    painter.restore();
}

void CompositePreview::paintShadow(QPainter& painter, const QRectF& shape, double cornerRadius, bool plate,
                                   const QImage& bitmap, double zoom, double shadowRadius, double opacity,
                                   double pixelRatio)
{
    opacity = std::clamp(opacity, 0.0, 1.0);
    if (shadowRadius <= 0 || opacity <= 0 || (!plate && bitmap.isNull())) {
        return;
    }
    // The export's blur and offset at the zoom, so the shadow falls where the file will have it.
    const ShadowParameters parameters = shadowParameters(shadowRadius, zoom);
    const double sigma = parameters.blurPixels / 2;
    const double offset = parameters.offsetPixels;
    const double margin = std::ceil(3 * sigma) + 1;
    const QSizeF area(shape.width() + 2 * margin, shape.height() + 2 * margin + offset);
    const double scale =
        std::min(pixelRatio, std::sqrt(shadowPixelBudget / std::max(area.width() * area.height(), 1.0)));

    const ShadowKey key{shape.size(), cornerRadius, plate, plate ? 0 : bitmap.cacheKey(),
                        sigma,        offset,       scale};
    if (m_shadowKey != key) {
        const QSize pixels(int(std::ceil(area.width() * scale)), int(std::ceil(area.height() * scale)));
        ShadowLayer layer(pixels);
        const QRectF shapePixels(margin * scale, margin * scale, shape.width() * scale,
                                 shape.height() * scale);
        if (plate) {
            layer.addPath(FigmaSquircle::path(shapePixels, cornerRadius * scale));
        } else {
            // Without a plate the capture itself casts the shadow, transparent corners included.
            const QSize size(std::max(1, int(std::round(shapePixels.width()))),
                             std::max(1, int(std::round(shapePixels.height()))));
            layer.addImageAlpha(clippedContent(bitmap, size, cornerRadius * scale),
                                shapePixels.topLeft().toPoint());
        }
        QImage shadow(pixels, QImage::Format_ARGB32_Premultiplied);
        shadow.fill(Qt::transparent);
        QPainter shadowPainter(&shadow);
        layer.paint(shadowPainter, sigma * scale, 1.0, offset * scale);
        shadowPainter.end();
        m_shadow = shadow;
        m_shadowKey = key;
        m_shadowOrigin = QPointF(-margin, -margin);
    }
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(shape.topLeft() + m_shadowOrigin, QSizeF(m_shadow.size()) / scale), m_shadow);
    painter.restore();
}

void CompositePreview::paintContent(QPainter& painter, const QRectF& target, const QImage& bitmap,
                                    double cornerRadius, double pixelRatio)
{
    if (bitmap.isNull()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (cornerRadius <= 0) {
        painter.drawImage(target, bitmap);
        painter.restore();
        return;
    }
    const QSize pixels(std::max(1, int(std::round(target.width() * pixelRatio))),
                       std::max(1, int(std::round(target.height() * pixelRatio))));
    if (qint64(pixels.width()) * pixels.height() <= keptContentPixelBudget) {
        const ContentKey key{bitmap.cacheKey(), pixels, cornerRadius * pixelRatio};
        if (m_contentKey != key) {
            m_content = clippedContent(bitmap, pixels, cornerRadius * pixelRatio);
            m_contentKey = key;
        }
        painter.drawImage(target, m_content);
        painter.restore();
        return;
    }
    // Pixel for pixel through a view of the same buffer: setting the density on a shared image
    // would deep-copy the whole capture on every paint.
    const QImage source = unscaledView(bitmap);
    QBrush brush(source);
    brush.setTransform(QTransform::fromTranslate(target.left(), target.top())
                           .scale(target.width() / source.width(), target.height() / source.height()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(brush);
    painter.drawPath(FigmaSquircle::path(target, cornerRadius));
    painter.restore();
}

} // namespace velmora
