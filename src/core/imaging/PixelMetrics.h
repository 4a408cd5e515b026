#pragma once

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>

namespace velmora {

// How many pixels an image has per point, decided here and nowhere else: the composite, the
// annotations and blur boxes drawn over it, the canvas and the sizes the editor reports all convert
// through this, so they cannot put one point on different pixels. The scale is the image's own
// density (pixel width over point width) and is never clamped: the composite keeps the capture's
// pixels one for one, so a capture below density 1 stays below 1, and a reported size is always the
// size written. An image without pixels, or without a usable density, has no density of its own
// and gets `fallbackPixelScale` everywhere.
struct PixelMetrics
{
    QSize pixelSize;
    double scale = 1;
};

inline constexpr double fallbackPixelScale = 2;

PixelMetrics pixelMetrics(const QImage& image);
// The scale of pixelMetrics.
double nativePixelScale(const QImage& image);
// The image's size in points: its pixels divided by its scale.
QSizeF pointSize(const QImage& image);

// A rectangle in points scaled to pixels and rounded outward to whole pixels.
QRect pixelRectRoundedOutward(const QRectF& points, double sx, double sy);

} // namespace velmora
