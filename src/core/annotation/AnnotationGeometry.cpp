#include "annotation/AnnotationGeometry.h"
#include "Overloaded.h"

#include "annotation/TextLayout.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr double segmentTolerance = 10;
constexpr double rectBand = 8;
constexpr double ellipseBand = 0.18;
constexpr double handleRadius = 8;

double distance(const QPointF& a, const QPointF& b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

double distanceToSegment(const QPointF& p, const QPointF& a, const QPointF& b)
{
    const QPointF ab = b - a;
    const double lengthSquared = ab.x() * ab.x() + ab.y() * ab.y();
    if (lengthSquared == 0) {
        return distance(p, a);
    }
    const double t = std::clamp(QPointF::dotProduct(p - a, ab) / lengthSquared, 0.0, 1.0);
    return distance(p, a + ab * t);
}

bool rangesOverlap(double a0, double a1, double b0, double b1)
{
    if (a1 > a0 && b1 > b0) {
        return a0 < b1 && b0 < a1;
    }
    return a0 <= b1 && b0 <= a1;
}

QRectF spanned(const QPointF& a, const QPointF& b)
{
    return {QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
            QSizeF(std::abs(a.x() - b.x()), std::abs(a.y() - b.y()))};
}

QRectF textHitBox(const TextAnnotation& text)
{
    const QSizeF size = measuredTextSize(text);
    const QRectF box(text.position.x() - size.width() / 2, text.position.y() - size.height() / 2,
                     std::max(size.width(), 50.0), std::max(size.height(), 20.0));
    return box.adjusted(-4, -4, 4, 4);
}

} // namespace

bool rectContainsPoint(const QRectF& rect, const QPointF& point)
{
    return rect.width() > 0 && rect.height() > 0 && point.x() >= rect.left() && point.x() < rect.right() &&
           point.y() >= rect.top() && point.y() < rect.bottom();
}

bool rectsIntersect(const QRectF& a, const QRectF& b)
{
    return rangesOverlap(a.left(), a.right(), b.left(), b.right()) &&
           rangesOverlap(a.top(), a.bottom(), b.top(), b.bottom());
}

bool annotationContainsPoint(const Annotation& annotation, const QPointF& p)
{
    return std::visit(Overloaded{
                          [&](const ArrowAnnotation& a) {
                              return distanceToSegment(p, a.startPoint, a.endPoint) < segmentTolerance;
                          },
                          [&](const TextAnnotation& t) { return rectContainsPoint(textHitBox(t), p); },
                          [&](const RectAnnotation& r) {
                              const QRectF outer =
                                  r.rect().adjusted(-rectBand, -rectBand, rectBand, rectBand);
                              const QRectF inner =
                                  r.rect().adjusted(rectBand, rectBand, -rectBand, -rectBand);
                              return rectContainsPoint(outer, p) && !rectContainsPoint(inner, p);
                          },
                          [&](const EllipseAnnotation& e) {
                              if (e.size.width() <= 0 || e.size.height() <= 0) {
                                  return false;
                              }
                              const QPointF c = e.rect().center();
                              const double a = e.size.width() / 2;
                              const double b = e.size.height() / 2;
                              const double d = std::hypot((p.x() - c.x()) / a, (p.y() - c.y()) / b);
                              return std::abs(d - 1) < ellipseBand;
                          },
                          [&](const DrawAnnotation& d) {
                              for (qsizetype i = 1; i < d.points.size(); ++i) {
                                  if (distanceToSegment(p, d.points[i - 1], d.points[i]) < segmentTolerance) {
                                      return true;
                                  }
                              }
                              return false;
                          },
                          [&](const BlurAnnotation& b) { return rectContainsPoint(b.rect(), p); },
                      },
                      annotation);
}

std::optional<QUuid> hitTest(const AnnotationList& annotations, const QPointF& point)
{
    for (qsizetype i = annotations.size() - 1; i >= 0; --i) {
        if (annotationContainsPoint(annotations[i], point)) {
            return annotationId(annotations[i]);
        }
    }
    return std::nullopt;
}

std::optional<QRectF> selectionBoundingRect(const Annotation& annotation)
{
    return std::visit(Overloaded{
                          [](const ArrowAnnotation& a) -> std::optional<QRectF> {
                              const double pad = std::max(a.lineWidth * 2.5, 8.0);
                              return spanned(a.startPoint, a.endPoint).adjusted(-pad, -pad, pad, pad);
                          },
                          [](const TextAnnotation& t) -> std::optional<QRectF> {
                              const QSizeF size = measuredTextSize(t);
                              return QRectF(t.position.x() - size.width() / 2,
                                            t.position.y() - size.height() / 2, size.width(), size.height());
                          },
                          [](const RectAnnotation& r) -> std::optional<QRectF> { return r.rect(); },
                          [](const EllipseAnnotation& e) -> std::optional<QRectF> { return e.rect(); },
                          [](const DrawAnnotation& d) -> std::optional<QRectF> {
                              const QRectF bounds = d.boundingRect();
                              if (bounds.width() == 0 || bounds.height() == 0) {
                                  return std::nullopt;
                              }
                              return bounds;
                          },
                          [](const BlurAnnotation& b) -> std::optional<QRectF> { return b.rect(); },
                      },
                      annotation);
}

QVector<HandlePosition> rectHandles(const QRectF& r)
{
    const double midX = r.left() + r.width() / 2;
    const double midY = r.top() + r.height() / 2;
    return {
        {ResizeHandle::topLeft, {r.left(), r.top()}},   {ResizeHandle::top, {midX, r.top()}},
        {ResizeHandle::topRight, {r.right(), r.top()}}, {ResizeHandle::left, {r.left(), midY}},
        {ResizeHandle::right, {r.right(), midY}},       {ResizeHandle::bottomLeft, {r.left(), r.bottom()}},
        {ResizeHandle::bottom, {midX, r.bottom()}},     {ResizeHandle::bottomRight, {r.right(), r.bottom()}},
    };
}

QVector<HandlePosition> resizeHandlePositions(const Annotation& annotation)
{
    return std::visit(
        Overloaded{
            [](const ArrowAnnotation& a) -> QVector<HandlePosition> {
                return {{ResizeHandle::arrowStart, a.startPoint}, {ResizeHandle::arrowEnd, a.endPoint}};
            },
            [](const TextAnnotation& t) -> QVector<HandlePosition> {
                if (t.text.isEmpty()) {
                    return {};
                }
                const double w = measuredTextSize(t).width();
                return {{ResizeHandle::textLeft, {t.position.x() - w / 2, t.position.y()}},
                        {ResizeHandle::textRight, {t.position.x() + w / 2, t.position.y()}}};
            },
            [](const RectAnnotation& r) { return rectHandles(r.rect()); },
            [](const EllipseAnnotation& e) { return rectHandles(e.rect()); },
            [](const DrawAnnotation& d) -> QVector<HandlePosition> {
                const QRectF b = d.boundingRect();
                if (b.width() == 0 && b.height() == 0) {
                    return {};
                }
                return {{ResizeHandle::topLeft, b.topLeft()},
                        {ResizeHandle::topRight, {b.right(), b.top()}},
                        {ResizeHandle::bottomLeft, {b.left(), b.bottom()}},
                        {ResizeHandle::bottomRight, {b.right(), b.bottom()}}};
            },
            [](const BlurAnnotation& b) { return rectHandles(b.rect()); },
        },
        annotation);
}

std::optional<ResizeHandle> hitTestHandle(const QVector<HandlePosition>& handles, const QPointF& point,
                                          double zoom)
{
    const double limit = handleRadius / (zoom > 0 ? zoom : 1);
    std::optional<ResizeHandle> best;
    double bestDistance = limit;
    for (const auto& [handle, position] : handles) {
        const double d = distance(point, position);
        if (d < bestDistance) {
            bestDistance = d;
            best = handle;
        }
    }
    return best;
}

std::optional<ResizeHandle> hitTestHandle(const QRectF& rect, const QPointF& point, double zoom)
{
    return hitTestHandle(rectHandles(rect), point, zoom);
}

std::optional<ResizeHandle> hitTestHandle(const Annotation& annotation, const QPointF& point, double zoom)
{
    return hitTestHandle(resizeHandlePositions(annotation), point, zoom);
}

QPointF rectResizeAnchor(const QRectF& r, ResizeHandle handle)
{
    const double midX = r.left() + r.width() / 2;
    const double midY = r.top() + r.height() / 2;
    switch (handle) {
    case ResizeHandle::topLeft:
        return {r.right(), r.bottom()};
    case ResizeHandle::top:
        return {midX, r.bottom()};
    case ResizeHandle::topRight:
        return {r.left(), r.bottom()};
    case ResizeHandle::left:
        return {r.right(), midY};
    case ResizeHandle::right:
        return {r.left(), midY};
    case ResizeHandle::bottomLeft:
        return {r.right(), r.top()};
    case ResizeHandle::bottom:
        return {midX, r.top()};
    case ResizeHandle::bottomRight:
        return {r.left(), r.top()};
    default:
        return {0, 0};
    }
}

std::optional<QPointF> annotationAnchor(const Annotation& annotation)
{
    return std::visit(Overloaded{
                          [](const ArrowAnnotation& a) { return (a.startPoint + a.endPoint) / 2; },
                          [](const TextAnnotation& t) { return t.position; },
                          [](const RectAnnotation& r) { return r.rect().center(); },
                          [](const EllipseAnnotation& e) { return e.rect().center(); },
                          [](const DrawAnnotation& d) { return d.boundingRect().center(); },
                          [](const BlurAnnotation& b) { return b.rect().center(); },
                      },
                      annotation);
}

std::optional<QPointF> annotationAnchor(const AnnotationList& annotations, const QUuid& id)
{
    const Annotation* annotation = findAnnotation(annotations, id);
    return annotation ? annotationAnchor(*annotation) : std::nullopt;
}

QPointF annotationDragOffset(const AnnotationList& annotations, const QUuid& id, const QPointF& point)
{
    const auto anchor = annotationAnchor(annotations, id);
    return anchor ? *anchor - point : QPointF(0, 0);
}

Annotation movedAnnotation(const Annotation& annotation, const QPointF& target)
{
    return std::visit(Overloaded{
                          [&](TextAnnotation t) -> Annotation {
                              t.position = target;
                              return t;
                          },
                          [&](const auto& other) -> Annotation {
                              return translatedAnnotation(other, target - *annotationAnchor(other));
                          },
                      },
                      annotation);
}

void moveAnnotation(AnnotationList& annotations, const QUuid& id, const QPointF& target)
{
    const qsizetype index = indexOfAnnotation(annotations, id);
    if (index >= 0) {
        annotations[index] = movedAnnotation(annotations[index], target);
    }
}

Annotation translatedAnnotation(const Annotation& annotation, const QPointF& offset)
{
    return std::visit(Overloaded{
                          [&](ArrowAnnotation a) -> Annotation {
                              a.startPoint += offset;
                              a.endPoint += offset;
                              return a;
                          },
                          [&](TextAnnotation t) -> Annotation {
                              t.position += offset;
                              return t;
                          },
                          [&](DrawAnnotation d) -> Annotation {
                              for (QPointF& point : d.points) {
                                  point += offset;
                              }
                              return d;
                          },
                          [&](auto boxed) -> Annotation {
                              boxed.origin += offset;
                              return boxed;
                          },
                      },
                      annotation);
}

AnnotationList translatedAnnotations(const AnnotationList& annotations, const QPointF& offset)
{
    AnnotationList result;
    result.reserve(annotations.size());
    for (const Annotation& annotation : annotations) {
        result.append(translatedAnnotation(annotation, offset));
    }
    return result;
}

bool isKeptInBounds(const Annotation& annotation, const QRectF& bounds)
{
    return std::visit(Overloaded{
                          [&](const ArrowAnnotation& a) {
                              return rectContainsPoint(bounds, a.startPoint) ||
                                     rectContainsPoint(bounds, a.endPoint);
                          },
                          [&](const TextAnnotation& t) { return rectContainsPoint(bounds, t.position); },
                          [&](const DrawAnnotation& d) { return rectsIntersect(d.boundingRect(), bounds); },
                          [&](const auto& boxed) { return rectsIntersect(boxed.rect(), bounds); },
                      },
                      annotation);
}

AnnotationList translatedAndKept(const AnnotationList& annotations, const QPointF& offset,
                                 const QRectF& bounds)
{
    AnnotationList result;
    for (const Annotation& annotation : annotations) {
        Annotation shifted = translatedAnnotation(annotation, offset);
        if (isKeptInBounds(shifted, bounds)) {
            result.append(std::move(shifted));
        }
    }
    return result;
}

} // namespace velmora
