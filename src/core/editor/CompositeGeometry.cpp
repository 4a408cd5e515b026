#include "editor/CompositeGeometry.h"

#include "imaging/PixelMetrics.h"

#include <cmath>

namespace velmora {

CompositeGeometry compositeGeometry(const QImage& content, double padding, double inset)
{
    const PixelMetrics metrics = pixelMetrics(content);
    CompositeGeometry g;
    g.scale = metrics.scale;
    g.contentPixels = metrics.pixelSize;
    // std::round rounds halves away from zero.
    const int pad = int(std::round(padding * g.scale));
    g.insetPixels = int(std::round(inset * g.scale));
    g.marginPixels = pad + g.insetPixels;
    g.canvasPixels = g.contentPixels + QSize(2 * g.marginPixels, 2 * g.marginPixels);
    return g;
}

} // namespace velmora
