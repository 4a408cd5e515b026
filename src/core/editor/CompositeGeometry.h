#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QSizeF>

namespace velmora {

// Where the content sits in the composite. The content is copied pixel for pixel, so it can only
// start on a pixel boundary: padding and inset become whole pixels at the content's scale (each
// rounded half away from zero), and every length in points — the content offset at which
// annotations, blur boxes and the canvas place the content, and the composite's size — is derived
// back from those whole pixels. Everything then puts the content on the same pixels.
struct CompositeGeometry
{
    double scale = 1;     // pixels per point, the content's (see pixelMetrics)
    QSize contentPixels;  // the content's raster
    int insetPixels = 0;  // the plate around the content
    int marginPixels = 0; // padding plus inset, from the canvas edge to the content
    QSize canvasPixels;   // the composite's raster

    QRect contentRect() const { return {QPoint(marginPixels, marginPixels), contentPixels}; }
    // The content's top-left corner in composite points, on both axes.
    double contentOffset() const { return marginPixels / scale; }
    // The plate's width in points.
    double insetPoints() const { return insetPixels / scale; }
    QSizeF pointSize() const { return QSizeF(canvasPixels) / scale; }
};

CompositeGeometry compositeGeometry(const QImage& content, double padding, double inset);

} // namespace velmora
