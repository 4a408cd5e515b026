// Resizing annotations by their grips, and the crop rectangle's geometry.
#include "Overloaded.h"
#include "annotation/AnnotationGeometry.h"
#include "annotation/TextLayout.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

QRectF spanned(const QPointF& a, const QPointF& b)
{
    return {QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
            QSizeF(std::abs(a.x() - b.x()), std::abs(a.y() - b.y()))};
}

// Resizes an axis-aligned box by one of its eight grips. The box flips through its anchor
// instead of taking a negative size.
QRectF resizedBox(const QRectF& box, ResizeHandle handle, const QPointF& anchor, const QPointF& p)
{
    switch (handle) {
    case ResizeHandle::topLeft:
    case ResizeHandle::topRight:
    case ResizeHandle::bottomLeft:
    case ResizeHandle::bottomRight:
        return spanned(anchor, p);
    case ResizeHandle::left:
    case ResizeHandle::right:
        return {std::min(anchor.x(), p.x()), box.y(), std::abs(anchor.x() - p.x()), box.height()};
    case ResizeHandle::top:
    case ResizeHandle::bottom:
        return {box.x(), std::min(anchor.y(), p.y()), box.width(), std::abs(anchor.y() - p.y())};
    default:
        return box;
    }
}

template <typename Boxed> Boxed withRect(Boxed boxed, const QRectF& rect)
{
    boxed.origin = rect.topLeft();
    boxed.size = rect.size();
    return boxed;
}

} // namespace

ResizeState setupResizeState(const Annotation& annotation, ResizeHandle handle)
{
    ResizeState state;
    std::visit(Overloaded{
                   [](const ArrowAnnotation&) {},
                   [&](const TextAnnotation& t) {
                       const double w = measuredTextSize(t).width();
                       if (handle == ResizeHandle::textLeft) {
                           state.anchor = QPointF(t.position.x() + w / 2, t.position.y());
                       } else if (handle == ResizeHandle::textRight) {
                           state.anchor = QPointF(t.position.x() - w / 2, t.position.y());
                       }
                   },
                   [&](const RectAnnotation& r) { state.anchor = rectResizeAnchor(r.rect(), handle); },
                   [&](const EllipseAnnotation& e) { state.anchor = rectResizeAnchor(e.rect(), handle); },
                   [&](const BlurAnnotation& b) { state.anchor = rectResizeAnchor(b.rect(), handle); },
                   [&](const DrawAnnotation& d) {
                       const QRectF b = d.boundingRect();
                       state.originalPoints = d.points;
                       state.originalBounds = b;
                       switch (handle) {
                       case ResizeHandle::topLeft:
                           state.anchor = QPointF(b.right(), b.bottom());
                           break;
                       case ResizeHandle::topRight:
                           state.anchor = QPointF(b.left(), b.bottom());
                           break;
                       case ResizeHandle::bottomLeft:
                           state.anchor = QPointF(b.right(), b.top());
                           break;
                       case ResizeHandle::bottomRight:
                           state.anchor = QPointF(b.left(), b.top());
                           break;
                       default:
                           break;
                       }
                   },
               },
               annotation);
    return state;
}

Annotation resizedAnnotation(const Annotation& annotation, ResizeHandle handle, const QPointF& p,
                             const ResizeState& state)
{
    const QPointF anchor = state.anchor.value_or(QPointF());
    return std::visit(
        Overloaded{
            [&](ArrowAnnotation a) -> Annotation {
                if (handle == ResizeHandle::arrowStart) {
                    a.startPoint = p;
                } else if (handle == ResizeHandle::arrowEnd) {
                    a.endPoint = p;
                }
                return a;
            },
            [&](TextAnnotation t) -> Annotation {
                if (!state.anchor ||
                    (handle != ResizeHandle::textLeft && handle != ResizeHandle::textRight)) {
                    return t;
                }
                t.maxWidth = std::max(std::abs(anchor.x() - p.x()), 30.0);
                t.position.setX((anchor.x() + p.x()) / 2);
                return t;
            },
            [&](const RectAnnotation& r) -> Annotation {
                return withRect(r, resizedBox(r.rect(), handle, anchor, p));
            },
            [&](const EllipseAnnotation& e) -> Annotation {
                return withRect(e, resizedBox(e.rect(), handle, anchor, p));
            },
            [&](const BlurAnnotation& b) -> Annotation {
                return withRect(b, resizedBox(b.rect(), handle, anchor, p));
            },
            [&](DrawAnnotation d) -> Annotation {
                if (!state.anchor) {
                    return d;
                }
                const QRectF b = state.originalBounds;
                QPointF corner;
                switch (handle) {
                case ResizeHandle::topLeft:
                    corner = b.topLeft();
                    break;
                case ResizeHandle::topRight:
                    corner = {b.right(), b.top()};
                    break;
                case ResizeHandle::bottomLeft:
                    corner = {b.left(), b.bottom()};
                    break;
                case ResizeHandle::bottomRight:
                    corner = {b.right(), b.bottom()};
                    break;
                default:
                    return d;
                }
                const double sx =
                    corner.x() != anchor.x() ? (p.x() - anchor.x()) / (corner.x() - anchor.x()) : 1;
                const double sy =
                    corner.y() != anchor.y() ? (p.y() - anchor.y()) / (corner.y() - anchor.y()) : 1;
                d.points.clear();
                d.points.reserve(state.originalPoints.size());
                for (const QPointF& q : state.originalPoints) {
                    d.points.append(anchor + QPointF(sx * (q.x() - anchor.x()), sy * (q.y() - anchor.y())));
                }
                return d;
            },
        },
        annotation);
}

void applyResize(AnnotationList& annotations, const QUuid& id, ResizeHandle handle, const QPointF& point,
                 const ResizeState& state)
{
    const qsizetype index = indexOfAnnotation(annotations, id);
    if (index >= 0) {
        annotations[index] = resizedAnnotation(annotations[index], handle, point, state);
    }
}

QRectF clampedCropRect(const QRectF& r, const QSizeF& canvas)
{
    const double width = std::min(r.width(), canvas.width());
    const double height = std::min(r.height(), canvas.height());
    const double x = std::max(0.0, std::min(canvas.width() - width, r.x()));
    const double y = std::max(0.0, std::min(canvas.height() - height, r.y()));
    return {x, y, width, height};
}

QRectF cropRectFromResize(const std::optional<QRectF>& currentCrop, ResizeHandle handle,
                          const QPointF& anchor, const QPointF& p, const QSizeF& canvas)
{
    const QRectF current = currentCrop.value_or(QRectF(QPointF(0, 0), canvas));
    QRectF result = current;
    switch (handle) {
    case ResizeHandle::topLeft:
    case ResizeHandle::topRight:
    case ResizeHandle::bottomLeft:
    case ResizeHandle::bottomRight:
        result = spanned(anchor, p);
        break;
    case ResizeHandle::top:
    case ResizeHandle::bottom:
        result = {current.x(), std::min(anchor.y(), p.y()), current.width(), std::abs(p.y() - anchor.y())};
        break;
    case ResizeHandle::left:
    case ResizeHandle::right:
        result = {std::min(anchor.x(), p.x()), current.y(), std::abs(p.x() - anchor.x()), current.height()};
        break;
    default:
        break;
    }
    return clampedCropRect(result, canvas);
}

} // namespace velmora
