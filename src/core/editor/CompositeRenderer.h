#pragma once

#include "editor/BackgroundPresets.h"
#include "imaging/Color.h"
#include "imaging/PixelMetrics.h"

#include <QImage>
#include <QVector>

#include <optional>
#include <variant>

namespace velmora {

// What stands behind the content, resolved from the selection on the main thread so that the
// composite itself can be rendered on any thread.
struct PresetGradientBackground
{
    BackgroundGradientPreset preset;
};
struct AutoGradientBackground
{
    QVector<Color> colors;
};
using CompositeBackground = std::variant<Color, QImage, PresetGradientBackground, AutoGradientBackground>;

// Everything the composite depends on, as plain values.
struct CompositeInputs
{
    QImage content;
    CompositeBackground background = Color::white();
    double padding = 0;
    double inset = 0;
    double cornerRadius = 0;
    double shadow = 0;
    double backgroundBlur = 0;
    bool drawsShadow = true;
    Color edgeColor = Color::white();
    // The largest composite rendered, in pixels; see kMaxCompositePixels.
    qint64 maxPixels = 0;
};

// The largest composite Velmora renders: 268 million pixels (1 GiB at four bytes a pixel), and at
// most 32767 pixels a side (the painter's own limit). Far beyond any screen; what lies beyond is
// refused rather than attempted.
constexpr qint64 kMaxCompositePixels = qint64(1) << 28;
constexpr int kMaxCompositeSide = 32767;

// Whether a composite of this pixel size is within the bounds above (or `maxPixels` when set).
bool compositeSizeAllowed(const QSize& pixels, qint64 maxPixels = 0);

// Places the content on its background with padding, inset plate, smoothed corners and a drop
// shadow, at the content's own pixel density, laid out by compositeGeometry. The content is copied
// pixel for pixel. A null image when the composite would be too large or memory for it could not
// be had: never a picture with parts missing.
QImage renderComposite(const CompositeInputs& inputs);

// The content clipped to the smoothed outline with the given corner radius in pixels, with
// antialiased edges. A radius of zero or less returns the raster itself.
QImage maskedContentImage(const QImage& raster, double cornerRadiusPixels);

// Shadow parameters for a shadow setting D at k pixels per point.
struct ShadowParameters
{
    double opacity = 0;
    double offsetPixels = 0;
    double blurPixels = 0;
};
ShadowParameters shadowParameters(double shadow, double pixelScale);

} // namespace velmora
