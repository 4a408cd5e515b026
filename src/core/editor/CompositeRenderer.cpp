#include "editor/CompositeRenderer.h"
#include "Overloaded.h"

#include "editor/CompositeGeometry.h"
#include "editor/FigmaSquircle.h"
#include "editor/GradientRenderer.h"
#include "imaging/Blur.h"
#include "imaging/ImageView.h"
#include "imaging/ImagingLog.h"
#include "imaging/LargeImage.h"
#include "imaging/ParallelFor.h"
#include "imaging/ShadowLayer.h"

#include <QPainter>
#include <QRegion>

#include <atomic>
#include <cmath>

namespace velmora {

namespace {

QImage emptyImage(const QSize& pixels, double scale)
{
    QImage image(std::max(1, pixels.width()), std::max(1, pixels.height()),
                 QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull()) {
        image.fill(Qt::transparent);
        image.setDevicePixelRatio(scale);
    }
    return image;
}

// Draws the picture over the whole canvas, keeping its aspect ratio and cropping the overflow.
void drawAspectFill(QPainter& painter, const QImage& picture, const QSize& canvas)
{
    const double scale =
        std::max(double(canvas.width()) / picture.width(), double(canvas.height()) / picture.height());
    const QSizeF drawn(picture.width() * scale, picture.height() * scale);
    const QRectF target(QPointF((canvas.width() - drawn.width()) / 2, (canvas.height() - drawn.height()) / 2),
                        drawn);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setClipRect(QRect(QPoint(0, 0), canvas));
    // The picture covers the whole canvas, so it replaces the (uninitialised) pixels outright.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(target, unscaledView(picture));
    painter.restore();
}

bool isOpaque(const QImage& image)
{
    if (!image.hasAlphaChannel()) {
        return true;
    }
    const QImage argb =
        image.format() == QImage::Format_ARGB32_Premultiplied || image.format() == QImage::Format_ARGB32
            ? image
            : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Rows in bands on the compute pool, each AND-ed together without a branch per pixel: a 5K
    // screenshot is 60 MB to read.
    constexpr int BandRows = 64;
    const int width = argb.width();
    std::atomic<bool> opaque{true};
    parallelFor((argb.height() + BandRows - 1) / BandRows, [&](int band) {
        const int end = std::min(argb.height(), (band + 1) * BandRows);
        for (int y = band * BandRows; y < end && opaque.load(std::memory_order_relaxed); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            QRgb all = 0xff000000u;
            for (int x = 0; x < width; ++x) {
                all &= line[x];
            }
            if (qAlpha(all) != 255) {
                opaque = false;
            }
        }
    });
    return opaque;
}

// The parts of a rounded rectangle that are certainly covered: the rectangle without its corner
// squares, as two overlapping bands.
QRegion roundedInterior(const QRect& rect, double radius)
{
    const int corner = int(std::ceil(2 * std::min(radius, 0.25 * std::min(rect.width(), rect.height())))) + 1;
    if (radius <= 0) {
        return QRegion(rect);
    }
    QRegion interior(rect.adjusted(corner, 0, -corner, 0));
    interior += QRegion(rect.adjusted(0, corner, 0, -corner));
    return interior;
}

// Draws opaque content pixel for pixel with its corners rounded: the bulk is copied as is, and only
// the four corner squares go through the antialiased outline.
void drawRoundedOpaqueContent(QPainter& painter, const QImage& content, const QRect& rect, double radius)
{
    const QImage source = unscaledView(content);
    const QRegion interior = roundedInterior(rect, radius);
    painter.save();
    painter.setClipRegion(interior);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(rect.topLeft(), source);
    painter.restore();
    if (radius <= 0) {
        return;
    }
    painter.save();
    painter.setClipRegion(QRegion(rect) - interior);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    QBrush brush(source);
    brush.setTransform(QTransform::fromTranslate(rect.left(), rect.top()));
    painter.setBrush(brush);
    painter.drawPath(FigmaSquircle::path(QRectF(rect), radius));
    painter.restore();
}

struct GradientFill
{
    QVector<Color> colors;
    BackgroundGradientStyle style;
};

// The gradient to fill straight into the canvas, when there is one as large as the canvas. Such a
// gradient is too big for the gradient cache anyway, and a raster of its own would be one more
// buffer of the canvas's size to fault in and copy over (65 MB at 5K).
std::optional<GradientFill> gradientFilledInPlace(const CompositeInputs& in, const QSizeF& resultPoints,
                                                  double k, const QSize& canvasSize)
{
    const QSize pixels = GradientRenderer::pixelSize(resultPoints, k);
    if (in.backgroundBlur > 0 || pixels != canvasSize) {
        return std::nullopt;
    }
    if (const auto* g = std::get_if<PresetGradientBackground>(&in.background)) {
        if (qint64(pixels.width()) * pixels.height() * 4 <= GradientRenderer::maxCachedBytes) {
            return std::nullopt;
        }
        const auto pair = colors(g->preset);
        return GradientFill{{pair[0], pair[1]}, BackgroundGradientStyle::linear(angleDegrees(g->preset))};
    }
    if (const auto* g = std::get_if<AutoGradientBackground>(&in.background)) {
        return GradientFill{g->colors, BackgroundGradientStyle::linear(135)};
    }
    return std::nullopt;
}

// A picture (wallpaper, cached or blurred gradient) drawn to fill the canvas, or a fill colour.
void paintBackground(QPainter& painter, QImage& canvas, const CompositeInputs& in, const QSizeF& resultPoints,
                     double k)
{
    const auto backgroundImage =
        std::visit(Overloaded{
                       [](const Color&) { return QImage(); },
                       [](const QImage& image) { return image; },
                       [&](const PresetGradientBackground& g) {
                           return GradientRenderer::render(g.preset, resultPoints, k);
                       },
                       [&](const AutoGradientBackground& g) {
                           return GradientRenderer::render(g.colors, BackgroundGradientStyle::linear(135),
                                                           resultPoints, k);
                       },
                   },
                   in.background);
    QImage picture = backgroundImage;
    if (!picture.isNull() && in.backgroundBlur > 0) {
        const QImage soft = blurred(picture, in.backgroundBlur);
        if (!soft.isNull()) {
            picture = soft;
        }
    }
    if (!picture.isNull() && picture.width() >= 1 && picture.height() >= 1) {
        drawAspectFill(painter, picture, canvas.size());
    } else {
        const Color* fill = std::get_if<Color>(&in.background);
        canvas.fill(fill ? fill->toQColor() : QColor(Qt::white));
    }
}

} // namespace

ShadowParameters shadowParameters(double shadow, double k)
{
    const double ratio = shadow / 24;
    ShadowParameters p;
    p.opacity = std::clamp(std::min(ratio, 1.5) * 0.8, 0.0, 1.0);
    p.offsetPixels = std::min(shadow / 2, 6.0) * k;
    p.blurPixels = shadow * k;
    return p;
}

QImage maskedContentImage(const QImage& raster, double radius)
{
    if (radius <= 0 || raster.isNull()) {
        return raster;
    }
    const QImage converted = raster.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage source = unscaledView(converted);
    QImage masked = largeImage(source.size());
    if (masked.isNull()) {
        return {};
    }
    masked.fill(Qt::transparent);
    {
        QPainter painter(&masked);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QBrush(source));
        painter.drawPath(FigmaSquircle::path(QRectF(QPointF(0, 0), QSizeF(source.size())), radius));
    }
    masked.setDevicePixelRatio(raster.devicePixelRatio());
    return masked;
}

bool compositeSizeAllowed(const QSize& pixels, qint64 maxPixels)
{
    const qint64 limit = maxPixels > 0 ? maxPixels : kMaxCompositePixels;
    return pixels.width() <= kMaxCompositeSide && pixels.height() <= kMaxCompositeSide &&
           qint64(pixels.width()) * pixels.height() <= limit;
}

QImage renderComposite(const CompositeInputs& in)
{
    const QImage& content = in.content;
    const CompositeGeometry geometry = compositeGeometry(content, in.padding, in.inset);
    const double k = geometry.scale;
    const QSizeF resultPoints = geometry.pointSize();
    const QSize canvasSize = geometry.canvasPixels;
    if (content.isNull()) {
        return emptyImage(canvasSize, k);
    }

    if (!compositeSizeAllowed(canvasSize, in.maxPixels)) {
        qCWarning(lcImaging).noquote() << "The composite would be" << canvasSize.width() << "x"
                                       << canvasSize.height() << "pixels, more than Velmora renders";
        return {};
    }
    const int ins = geometry.insetPixels;
    QImage canvas = largeImage(canvasSize);
    if (canvas.isNull()) {
        qCWarning(lcImaging).noquote()
            << "No memory for a composite of" << canvasSize.width() << "x" << canvasSize.height() << "pixels";
        return {};
    }

    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing, true);

    // Background.
    if (const auto gradient = gradientFilledInPlace(in, resultPoints, k, canvasSize)) {
        GradientRenderer::fill(canvas, gradient->colors, gradient->style);
    } else {
        paintBackground(painter, canvas, in, resultPoints, k);
    }

    // Content and plate share one smoothed outline.
    const QRect contentRect = geometry.contentRect();
    const QRect plateRect = contentRect.adjusted(-ins, -ins, ins, ins);
    const double radiusPixels = in.cornerRadius * k;
    const double maskRadius = ins > 0 ? std::max(radiusPixels - ins, 0.0) : radiusPixels;
    const QPainterPath platePath = FigmaSquircle::path(QRectF(plateRect), radiusPixels);
    const bool opaque = isOpaque(content);
    QImage maskedRaster; // owns the pixels `masked` shows
    QImage masked;
    if (!opaque) {
        maskedRaster = maskedContentImage(content, maskRadius);
        if (maskedRaster.isNull()) {
            qCWarning(lcImaging) << "No memory for the content's rounded corners";
            return {};
        }
        masked = unscaledView(maskedRaster);
    }

    if (in.drawsShadow && in.shadow > 0) {
        const ShadowParameters shadow = shadowParameters(in.shadow, k);
        // A shadow's blur is twice its Gaussian's standard deviation.
        ShadowLayer layer(canvasSize, shadow.blurPixels / 2);
        if (!layer.isValid()) {
            qCWarning(lcImaging) << "No memory for the shadow";
            return {};
        }
        QRegion visible(canvas.rect());
        if (ins >= 1) {
            layer.addPath(platePath);
            visible -= roundedInterior(plateRect, radiusPixels);
        } else if (opaque) {
            layer.addPath(FigmaSquircle::path(QRectF(contentRect), maskRadius));
            visible -= roundedInterior(contentRect, maskRadius);
        } else {
            layer.addImageAlpha(masked, contentRect.topLeft());
        }
        // What the plate or an opaque picture covers needs no shadow drawn under it.
        if (!layer.paint(painter, shadow.opacity, shadow.offsetPixels, visible)) {
            qCWarning(lcImaging) << "No memory for the blurred shadow";
            return {};
        }
    }
    if (ins > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(in.edgeColor.toQColor());
        painter.drawPath(platePath);
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (opaque) {
        drawRoundedOpaqueContent(painter, content, contentRect, maskRadius);
    } else {
        painter.drawImage(contentRect.topLeft(), masked);
    }
    painter.end();

    canvas.setDevicePixelRatio(k);
    return canvas;
}

} // namespace velmora
