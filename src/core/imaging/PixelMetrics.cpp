#include "imaging/PixelMetrics.h"

#include <cmath>

namespace velmora {

PixelMetrics pixelMetrics(const QImage& image)
{
    if (image.isNull()) {
        return {QSize(0, 0), fallbackPixelScale};
    }
    const double density = image.devicePixelRatio();
    return {image.size(), std::isfinite(density) && density > 0 ? density : fallbackPixelScale};
}

double nativePixelScale(const QImage& image)
{
    return pixelMetrics(image).scale;
}

QSizeF pointSize(const QImage& image)
{
    const PixelMetrics metrics = pixelMetrics(image);
    return QSizeF(metrics.pixelSize) / metrics.scale;
}

} // namespace velmora
