#include "EditorWindowGeometry.h"

#include <algorithm>

namespace velmora {

QSizeF editorWindowMinimumSize(bool tightFit)
{
    return tightFit ? QSizeF(260, 200) : QSizeF(953, 560);
}

QRectF editorWindowFrame(const QSizeF& displaySize, const QRectF& area, bool tightFit, int openEditors)
{
    const double maxW = 0.9 * area.width();
    const double maxH = 0.9 * area.height();
    const double w = std::max(displaySize.width(), 1.0);
    const double h = std::max(displaySize.height(), 1.0);
    double width = 0;
    double height = 0;
    if (tightFit) {
        const double s = std::min({(maxW - 56 - 250) / w, (maxH - 56 - 50) / h, 1.0});
        height = std::min(maxH, std::max(200.0, h * s + 56 + 50));
        width = std::min(maxW, std::max(260.0, w * s + 56 + 250));
    } else {
        height = std::min(maxH, std::max(560.0, h + 128 + 70));
        width = std::min(maxW, std::max(953.0, w * 1.14 + 16 + 250));
    }
    const double cascade = 20.0 * std::max(0, openEditors);
    // Screen coordinates run downward here, so a cascade step moves right and down.
    return {area.center().x() - width / 2 + cascade, area.center().y() - height / 2 + cascade, width, height};
}

QRectF pinnedWindowFrame(const QSizeF& imageSize, const QRectF& area, const QPointF& centre)
{
    const double aspect = imageSize.width() / imageSize.height();
    double width = std::min(imageSize.width(), 0.6 * area.width());
    double height = width / aspect;
    if (height > 0.6 * area.height()) {
        height = 0.6 * area.height();
        width = aspect * height;
    }
    double x = centre.x() - width / 2;
    double y = centre.y() - height / 2;
    x = std::max(area.left(), std::min(x, area.right() - width));
    y = std::max(area.top(), std::min(y, area.bottom() - height));
    return {x, y, width, height};
}

} // namespace velmora
