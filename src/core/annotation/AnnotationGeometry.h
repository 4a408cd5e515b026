#pragma once

#include "annotation/Annotation.h"

#include <QPointF>
#include <QRectF>
#include <QVector>

#include <optional>
#include <utility>

namespace velmora {

// Everything here works in canvas coordinates (points of the unzoomed canvas, y down).

// Half-open containment (min ≤ v < max), the rule every hit and keep test uses.
bool rectContainsPoint(const QRectF& rect, const QPointF& point);
// Overlap of two rectangles; a degenerate (zero-width or zero-height) rectangle still counts when
// it lies inside the other, so a perfectly straight stroke is not lost.
bool rectsIntersect(const QRectF& a, const QRectF& b);

// Topmost annotation under the point, walking from the last (top) element down.
std::optional<QUuid> hitTest(const AnnotationList& annotations, const QPointF& point);
bool annotationContainsPoint(const Annotation& annotation, const QPointF& point);

std::optional<QRectF> selectionBoundingRect(const Annotation& annotation);

using HandlePosition = std::pair<ResizeHandle, QPointF>;
QVector<HandlePosition> rectHandles(const QRectF& rect);
QVector<HandlePosition> resizeHandlePositions(const Annotation& annotation);

// The grip nearest to the point and closer than 8 view points; earlier grips win ties.
std::optional<ResizeHandle> hitTestHandle(const QVector<HandlePosition>& handles, const QPointF& point,
                                          double zoom);
std::optional<ResizeHandle> hitTestHandle(const QRectF& rect, const QPointF& point, double zoom);
std::optional<ResizeHandle> hitTestHandle(const Annotation& annotation, const QPointF& point, double zoom);

// The fixed point opposite a grip of a rectangle; (0, 0) for non-rectangle grips.
QPointF rectResizeAnchor(const QRectF& rect, ResizeHandle handle);

// What a resize drag remembers when it begins.
struct ResizeState
{
    std::optional<QPointF> anchor;
    QVector<QPointF> originalPoints; // freehand strokes scale from the pre-drag points
    QRectF originalBounds;
};

ResizeState setupResizeState(const Annotation& annotation, ResizeHandle handle);
Annotation resizedAnnotation(const Annotation& annotation, ResizeHandle handle, const QPointF& point,
                             const ResizeState& state);
// Replaces the annotation with this id by its resized form; unknown ids change nothing.
void applyResize(AnnotationList& annotations, const QUuid& id, ResizeHandle handle, const QPointF& point,
                 const ResizeState& state);

std::optional<QPointF> annotationAnchor(const Annotation& annotation);
std::optional<QPointF> annotationAnchor(const AnnotationList& annotations, const QUuid& id);
QPointF annotationDragOffset(const AnnotationList& annotations, const QUuid& id, const QPointF& point);
Annotation movedAnnotation(const Annotation& annotation, const QPointF& anchorTarget);
void moveAnnotation(AnnotationList& annotations, const QUuid& id, const QPointF& anchorTarget);

// Shifts every point field by the offset; sizes do not change.
Annotation translatedAnnotation(const Annotation& annotation, const QPointF& offset);
AnnotationList translatedAnnotations(const AnnotationList& annotations, const QPointF& offset);
// Whether an annotation is still visible in the bounds after a crop.
bool isKeptInBounds(const Annotation& annotation, const QRectF& bounds);
// Shift for a crop, then drop what no longer shows; nothing is clipped.
AnnotationList translatedAndKept(const AnnotationList& annotations, const QPointF& offset,
                                 const QRectF& bounds);

// Crop rectangle geometry within a canvas of the given size.
QRectF clampedCropRect(const QRectF& rect, const QSizeF& canvasSize);
QRectF cropRectFromResize(const std::optional<QRectF>& currentCrop, ResizeHandle handle,
                          const QPointF& anchor, const QPointF& point, const QSizeF& canvasSize);

} // namespace velmora
