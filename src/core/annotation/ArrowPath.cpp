#include "annotation/ArrowPath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {

constexpr double pi = std::numbers::pi;

QPointF polar(double length, double angle)
{
    return {length * std::cos(angle), length * std::sin(angle)};
}

QPainterPath segment(const QPointF& a, const QPointF& b)
{
    QPainterPath path(a);
    path.lineTo(b);
    return path;
}

QPainterPath triangleHead(const QPointF& tip, double angle, double size)
{
    QPainterPath path(tip);
    path.lineTo(tip - polar(size, angle - pi / 6));
    path.lineTo(tip - polar(size, angle + pi / 6));
    path.closeSubpath();
    return path;
}

QPainterPath filledArrow(const QPointF& s, const QPointF& e, double w)
{
    const QPointF d = e - s;
    const double length = std::max(std::hypot(d.x(), d.y()), 1.0);
    const QPointF u = d / length;
    const QPointF n(u.y(), -u.x());
    const double a = std::max(0.9 * w, 3.0);
    const double b = std::max(2.4 * w, 9.0);
    const double h = std::min(std::max(3.5 * w, 14.0), length);
    const QPointF c = s + u * (length - h);
    QPainterPath path(s + a * n);
    path.lineTo(c + a * n);
    path.lineTo(c + b * n);
    path.lineTo(e);
    path.lineTo(c - b * n);
    path.lineTo(c - a * n);
    path.lineTo(s - a * n);
    path.closeSubpath();
    path.setFillRule(Qt::WindingFill);
    return path;
}

} // namespace

ArrowGeometry arrowGeometry(const ArrowAnnotation& arrow)
{
    const QPointF s = arrow.startPoint;
    const QPointF e = arrow.endPoint;
    const double w = arrow.lineWidth;
    ArrowGeometry geometry;
    // A zero-length arrow (dragged away and back to its start) has no direction: every style
    // shows nothing rather than a head pointing nowhere in particular.
    if (s == e) {
        return geometry;
    }
    const double theta = std::atan2(e.y() - s.y(), e.x() - s.x());

    switch (arrow.style) {
    case ArrowStyle::filled:
        geometry.filledPolygon = filledArrow(s, e, w);
        break;
    case ArrowStyle::single:
    case ArrowStyle::double_:
    case ArrowStyle::none: {
        const double head = std::max(4 * w, 14.0);
        const double inset = 0.6 * head;
        const bool endHead = arrow.style != ArrowStyle::none;
        const bool startHead = arrow.style == ArrowStyle::double_;
        const QPointF shaftStart = startHead ? s + polar(inset, theta) : s;
        const QPointF shaftEnd = endHead ? e - polar(inset, theta) : e;
        geometry.strokes.append(segment(shaftStart, shaftEnd));
        geometry.headStrokeWidth = std::max(0.5 * w, 2.0);
        if (endHead) {
            geometry.heads.append(triangleHead(e, theta, head));
        }
        if (startHead) {
            geometry.heads.append(triangleHead(s, std::atan2(s.y() - e.y(), s.x() - e.x()), head));
        }
        break;
    }
    case ArrowStyle::sketch:
    case ArrowStyle::sketchDouble: {
        const double barb = std::max(3.2 * w, 14.0);
        geometry.strokes.append(segment(s, e));
        geometry.strokes.append(segment(e, e + polar(barb, theta + pi + pi / 5)));
        geometry.strokes.append(segment(e, e + polar(barb, theta + pi - pi / 5)));
        if (arrow.style == ArrowStyle::sketchDouble) {
            geometry.strokes.append(segment(s, s + polar(barb, theta + pi / 5)));
            geometry.strokes.append(segment(s, s + polar(barb, theta - pi / 5)));
        }
        break;
    }
    }
    return geometry;
}

} // namespace velmora
