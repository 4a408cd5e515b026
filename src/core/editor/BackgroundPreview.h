#pragma once

#include "editor/CompositeRenderer.h"

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <vector>

namespace velmora {

// What the editor needs to show the composite's background around and behind the canvas.
struct BackgroundPreviewInputs
{
    CompositeBackground background = Color::white();
    double backgroundBlur = 0;
    // The exported composite's raster size, and where the composite lies in the area, in the
    // area's pixels (zoomed and panned).
    QSize compositePixels;
    QRectF compositeRect;
    QSize areaPixels;
};

// Renders the composite's background as the export has it, seen at the scale the composite is
// shown: the picture placed over the composite as the export places it and blurred by the
// export's blur converted to the area's pixels, the gradient laid out over the composite and
// given the same blur and colour lift. Beyond the composite the picture continues as a mirror
// image of itself, so the area around the canvas carries on the same background without a seam.
//
// Only the visible part is rendered, so a deep zoom costs no more than the fitted view. Reduced
// copies of the picture are kept between calls, so zooming, panning and moving the blur slider
// only resample, blur and mirror what is on screen.
class BackgroundPreview
{
public:
    QImage render(const BackgroundPreviewInputs& inputs);

    // Where the export draws a background picture over a frame: scaled to cover it, centred,
    // the overflow cropped.
    static QRectF aspectFillRect(const QSizeF& picture, const QRectF& frame);

private:
    QImage renderPicture(const QImage& picture, double blur, const QRectF& compositeRect, const QSize& area);
    QImage scaledRegion(const QImage& picture, const QRectF& placed, const QRect& region);
    const QImage& level(const QImage& picture, double scale);

    qint64 m_levelsKey = 0;
    std::vector<QImage> m_levels;
};

} // namespace velmora
