#pragma once

#include <QPainterPath>
#include <QRectF>

namespace velmora {

// A rounded rectangle whose corners ease into the edges (two cubic segments per corner meeting on
// the diagonal), used for the content's corners and the inset plate. The radius is capped at a
// quarter of the smaller side.
struct FigmaSquircle
{
    double cornerRadius = 0;

    static QPainterPath path(const QRectF& rect, double cornerRadius);
    QPainterPath path(const QRectF& rect) const { return path(rect, cornerRadius); }
};

} // namespace velmora
