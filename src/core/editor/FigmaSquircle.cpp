#include "editor/FigmaSquircle.h"

#include <algorithm>

namespace velmora {

QPainterPath FigmaSquircle::path(const QRectF& rect, double cornerRadius)
{
    const double w = rect.width();
    const double h = rect.height();
    const double r = std::min(cornerRadius, 0.25 * std::min(w, h));
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    if (r <= 0) {
        path.addRect(rect);
        return path;
    }
    const double d = 2 * r;
    const double a = 0.292893 * r;
    const double b = 1.05719 * r;
    const double c = 0.585786 * r;
    const double x0 = rect.left();
    const double y0 = rect.top();
    const double x1 = x0 + w;
    const double y1 = y0 + h;
    // QPainterPath::cubicTo takes the two control points first, then the end point.
    path.moveTo(x0, y0 + d);
    path.cubicTo(x0, y0 + b, x0, y0 + c, x0 + a, y0 + a);
    path.cubicTo(x0 + c, y0, x0 + b, y0, x0 + d, y0);
    path.lineTo(x1 - d, y0);
    path.cubicTo(x1 - b, y0, x1 - c, y0, x1 - a, y0 + a);
    path.cubicTo(x1, y0 + c, x1, y0 + b, x1, y0 + d);
    path.lineTo(x1, y1 - d);
    path.cubicTo(x1, y1 - b, x1, y1 - c, x1 - a, y1 - a);
    path.cubicTo(x1 - c, y1, x1 - b, y1, x1 - d, y1);
    path.lineTo(x0 + d, y1);
    path.cubicTo(x0 + b, y1, x0 + c, y1, x0 + a, y1 - a);
    path.cubicTo(x0, y1 - c, x0, y1 - b, x0, y1 - d);
    path.closeSubpath();
    return path;
}

} // namespace velmora
