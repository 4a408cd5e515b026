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

QRect pixelRectRoundedOutward(const QRectF& points, double sx, double sy)
{
    const int left = int(std::floor(points.left() * sx));
    const int top = int(std::floor(points.top() * sy));
    const int right = int(std::ceil(points.right() * sx));
    const int bottom = int(std::ceil(points.bottom() * sy));
    return {left, top, right - left, bottom - top};
}

} // namespace velmora
