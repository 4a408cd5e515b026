#pragma once

#include "editor/BackgroundPresets.h"
#include "imaging/Color.h"

#include <QImage>
#include <QSizeF>
#include <QVector>

namespace velmora {

// How a gradient is laid out. Every background uses `linear`; radial exists for completeness.
struct BackgroundGradientStyle
{
    enum class Kind { linear, radial };
    Kind kind = Kind::linear;
    double angleDegrees = 135; // linear, measured with the y axis pointing up
    QPointF centre{0.5, 0.5};  // radial, fractions of the size, y from the top
    bool stretch = false;      // radial: elliptical instead of circular

    static BackgroundGradientStyle linear(double angle) { return {Kind::linear, angle, {}, false}; }
    static BackgroundGradientStyle radial(QPointF centre, bool stretch)
    {
        return {Kind::radial, 0, centre, stretch};
    }
};

// Renders gradient backgrounds. Preset gradients are cached process-wide by preset and pixel size
// (80 entries, 64 MiB; rasters over 16 MiB are not kept), safely across threads.
class GradientRenderer
{
public:
    static QImage render(const QVector<Color>& colors, const BackgroundGradientStyle& style,
                         const QSizeF& size, double pixelScale);
    static QImage render(BackgroundGradientPreset preset, const QSizeF& size, double pixelScale);
    // The gradient laid out over `frame` (in pixels of the result, which may lie partly outside
    // it) and continued across an image of `pixels`: how a gradient of frame's size looks where it
    // is shown inside a larger area. With frame = the whole image this is render() above.
    static QImage render(const QVector<Color>& colors, const BackgroundGradientStyle& style,
                         const QSize& pixels, const QRectF& frame);

    // Fills the whole target with what render() gives at the target's pixel size. For a gradient
    // as large as the caller's own raster: no raster of its own to fault in and copy over.
    static void fill(QImage& target, const QVector<Color>& colors, const BackgroundGradientStyle& style);
    // The same, laid out over `frame` (in the target's pixels), which may be larger or smaller than
    // the target.
    static void fill(QImage& target, const QVector<Color>& colors, const BackgroundGradientStyle& style,
                     const QRectF& frame);

    // The pixel size render() gives a gradient of `size` points at `pixelScale`.
    static QSize pixelSize(const QSizeF& size, double pixelScale);
    // Preset rasters larger than this many bytes are rendered every time, never cached.
    static constexpr qint64 maxCachedBytes = 16LL * 1024 * 1024;

    // For tests and diagnostics.
    static int renderCount();
    static void clearCache();
};

} // namespace velmora
