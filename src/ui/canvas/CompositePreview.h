#pragma once

#include "imaging/Color.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

class QPainter;

namespace velmora {

// How the capture is presented under the annotations, as the editor window computes it for the
// current session: where it sits on the canvas and how the composite's plate, corners and shadow
// look. All lengths are canvas points.
struct CanvasPresentation
{
    QImage image;
    std::optional<QSizeF> canvasSize; // absent: the capture's own size
    QPointF imageOrigin;
    double contentCornerRadius = 0;
    double contentInset = 0;
    Color contentInsetColor = Color::white();
    double contentShadowRadius = 0;
    double contentShadowOpacity = 0;
    bool showsTransparencyBacking = true;

    bool operator==(const CanvasPresentation& other) const;

    // The capture's size in points (its pixels divided by its pixel density).
    QSizeF imagePointSize() const;
    QSizeF resolvedCanvasSize() const;
};

// Paints the live preview of the composite in view coordinates: the transparency checkerboard,
// the inset plate with its shadow, and the capture clipped to the smoothed outline. It uses the
// export's own outline, shadow and shadow parameters, so what the canvas shows lines up with
// what is exported. Results that are costly to make (the clipped capture, the blurred shadow) are
// kept until their inputs change, so repaints during a drag only blit.
class CompositePreview
{
public:
    // The capture's rectangle in view coordinates at a zoom: whole view points in size.
    static QRectF contentRect(const CanvasPresentation& presentation, double zoom);

    // `bitmap` is the capture at (about) the size it is shown; `pixelRatio` is the device's.
    void paint(QPainter& painter, const CanvasPresentation& presentation, const QImage& bitmap, double zoom,
               double pixelRatio, bool dark);

    // Drops every kept result (a new capture, or the canvas going away).
    void clear();

private:
    struct ShadowKey
    {
        QSizeF shape;
        double cornerRadius = 0;
        bool plate = false;
        qint64 bitmapKey = 0;
        double sigma = 0;
        double offset = 0;
        double scale = 1;
        bool operator==(const ShadowKey&) const = default;
    };
    struct ContentKey
    {
        qint64 bitmapKey = 0;
        QSize pixels;
        double cornerRadius = 0;
        bool operator==(const ContentKey&) const = default;
    };

    void paintShadow(QPainter& painter, const QRectF& shape, double cornerRadius, bool plate,
                     const QImage& bitmap, double zoom, double shadowRadius, double opacity,
                     double pixelRatio);
    void paintContent(QPainter& painter, const QRectF& target, const QImage& bitmap, double cornerRadius,
                      double pixelRatio);

    std::optional<ShadowKey> m_shadowKey;
    QImage m_shadow;        // black, full strength; drawn with the shadow's opacity
    QPointF m_shadowOrigin; // top-left of m_shadow relative to the shape, in view points
    std::optional<ContentKey> m_contentKey;
    QImage m_content;
};

// The capture scaled into `pixels` and clipped to the smoothed outline with a corner radius in
// those pixels, with antialiased edges.
QImage clippedContent(const QImage& bitmap, const QSize& pixels, double cornerRadiusPixels);

} // namespace velmora
