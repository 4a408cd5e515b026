#include "canvas/CanvasInteraction.h"

#include "Overloaded.h"
#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"

#include <cmath>
#include <utility>

// The drag state machine: what a drag does is decided on its first move, from the tool and what
// lies under the press point, and kept in one state until release.

namespace velmora {

namespace {

QRectF spannedRect(const QPointF& a, const QPointF& b)
{
    return QRectF(QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                  QSizeF(std::abs(a.x() - b.x()), std::abs(a.y() - b.y())));
}

bool isLargeEnough(const QSizeF& size)
{
    return size.width() > 3 && size.height() > 3;
}

// Shapes too small to see are dropped on release; an arrow of any length is kept.
bool isWorthKeeping(const Annotation& shape)
{
    return std::visit(Overloaded{
                          [](const ArrowAnnotation&) { return true; },
                          [](const DrawAnnotation& stroke) { return stroke.points.size() >= 2; },
                          [](const TextAnnotation&) { return false; },
                          [](const auto& box) { return isLargeEnough(box.size); },
                      },
                      shape);
}

} // namespace

std::optional<QCursor> CanvasInteraction::dragCursor() const
{
    if (const auto* grip = std::get_if<Resizing>(&m_drag)) {
        return cursorForHandle(grip->handle);
    }
    if (const auto* grip = std::get_if<ResizingCrop>(&m_drag)) {
        return cursorForHandle(grip->handle);
    }
    if (std::holds_alternative<Moving>(m_drag) || std::holds_alternative<MovingCrop>(m_drag)) {
        return QCursor(Qt::ClosedHandCursor);
    }
    return std::nullopt;
}

void CanvasInteraction::dragChanged(const QPointF& s, const QPointF& c)
{
    std::visit([&](auto& state) { dragMoved(state, s, c); }, m_drag);
}

void CanvasInteraction::dragEnded()
{
    const DragState ended = std::exchange(m_drag, Idle{});
    if (const auto* drawing = std::get_if<Drawing>(&ended)) {
        dragReleased(*drawing);
    }
}

void CanvasInteraction::dragMoved(Idle&, const QPointF& s, const QPointF& c)
{
    switch (const AnnotationTool current = tool()) {
    case AnnotationTool::crop:
        beginCropDrag(s, c);
        return;
    case AnnotationTool::select:
        beginSelectDrag(s, c);
        return;
    case AnnotationTool::text:
        return; // a text is placed by a click
    case AnnotationTool::arrow:
    case AnnotationTool::rect:
    case AnnotationTool::ellipse:
    case AnnotationTool::draw:
    case AnnotationTool::blur:
        beginDrawing(current, s, c);
        return;
    }
}

void CanvasInteraction::beginDrawing(AnnotationTool current, const QPointF& s, const QPointF& c)
{
    if (!m_session || !m_tools) {
        return;
    }
    const Color color = m_tools->annotationColor();
    const bool outline = m_tools->annotationHasWhiteStroke();
    const double width = m_session->strokeWidth();
    const QRectF span = spannedRect(s, c);
    const QUuid id = QUuid::createUuid();
    switch (current) {
    case AnnotationTool::arrow:
        m_drag = Drawing{current, ArrowAnnotation{id, s, c, color, width, outline, m_tools->arrowStyle()}};
        return;
    case AnnotationTool::rect:
        m_drag = Drawing{current, RectAnnotation{id, span.topLeft(), span.size(), color, width, 6, outline}};
        return;
    case AnnotationTool::ellipse:
        m_drag = Drawing{current, EllipseAnnotation{id, span.topLeft(), span.size(), color, width, outline}};
        return;
    case AnnotationTool::draw:
        m_drag = Drawing{current, DrawAnnotation{id, {s, c}, color, width, outline}};
        return;
    case AnnotationTool::blur:
        m_drag = Drawing{current, BlurAnnotation{id, span.topLeft(), span.size(), m_session->blurRadius()}};
        return;
    default:
        return;
    }
}

void CanvasInteraction::dragMoved(Drawing& state, const QPointF& s, const QPointF& c)
{
    const QRectF span = spannedRect(s, c);
    std::visit(Overloaded{
                   [&](ArrowAnnotation& arrow) { arrow.endPoint = c; },
                   [&](DrawAnnotation& stroke) { stroke.points.append(c); },
                   [](TextAnnotation&) {},
                   [&](auto& box) {
                       box.origin = span.topLeft();
                       box.size = span.size();
                   },
               },
               state.shape);
}

void CanvasInteraction::dragReleased(const Drawing& state)
{
    if (!isWorthKeeping(state.shape) || !m_session) {
        return;
    }
    pushUndo();
    AnnotationList list = annotations();
    list.append(state.shape);
    setAnnotations(list);
    // A fresh shape is immediately movable and resizable; strokes keep drawing.
    if (state.tool != AnnotationTool::draw) {
        selectAutomatically(annotationId(state.shape), state.tool);
    }
}

AnnotationList CanvasInteraction::provisionalAnnotations() const
{
    if (const auto* drawing = std::get_if<Drawing>(&m_drag)) {
        return {drawing->shape};
    }
    return {};
}

void CanvasInteraction::beginSelectDrag(const QPointF& s, const QPointF& c)
{
    const AnnotationList list = annotations();
    if (const auto id = singleSelectedId()) {
        const Annotation& selected = *findAnnotation(list, *id);
        if (const auto handle = hitTestHandle(selected, s, m_zoom)) {
            pushUndo();
            m_drag = Resizing{*id, *handle, setupResizeState(selected, *handle)};
            dragChanged(s, c);
            return;
        }
    }
    const auto hit = hitTest(list, s);
    if (!hit) {
        return; // there is no rubber-band selection
    }
    pushUndo();
    if (!selection().contains(*hit)) {
        setSelection({*hit});
    }
    Moving moving{s, {}};
    for (const QUuid& id : selection()) {
        if (const auto anchor = annotationAnchor(list, id)) {
            moving.anchors.insert(id, *anchor);
        }
    }
    m_drag = std::move(moving);
    dragChanged(s, c);
}

void CanvasInteraction::dragMoved(Moving& state, const QPointF&, const QPointF& c)
{
    AnnotationList list = annotations();
    const QPointF displacement = c - state.start;
    for (auto it = state.anchors.cbegin(); it != state.anchors.cend(); ++it) {
        moveAnnotation(list, it.key(), it.value() + displacement);
    }
    setAnnotations(list);
}

void CanvasInteraction::dragMoved(Resizing& state, const QPointF&, const QPointF& c)
{
    // The grip belongs to the annotation it was grabbed on: once that is no longer the single
    // selection (deleted, or everything selected), the drag does nothing more.
    if (singleSelectedId() != state.id) {
        return;
    }
    AnnotationList list = annotations();
    applyResize(list, state.id, state.handle, c, state.resize);
    setAnnotations(list);
}

void CanvasInteraction::beginCropDrag(const QPointF& s, const QPointF& c)
{
    if (const auto crop = cropRect()) {
        if (const auto handle = hitTestHandle(*crop, s, m_zoom)) {
            m_drag = ResizingCrop{*handle, rectResizeAnchor(*crop, *handle)};
        } else if (rectContainsPoint(*crop, s)) {
            m_drag = MovingCrop{s - crop->topLeft()};
        }
    }
    if (std::holds_alternative<Idle>(m_drag)) {
        // A new rectangle keeps following the press point for the rest of the drag, even once
        // the press point lies on its corner.
        m_drag = SpanningCrop{};
    }
    dragChanged(s, c);
}

void CanvasInteraction::dragMoved(SpanningCrop&, const QPointF& s, const QPointF& c)
{
    setCropRect(clampedCropRect(spannedRect(s, c), m_canvasSize));
}

void CanvasInteraction::dragMoved(MovingCrop& state, const QPointF&, const QPointF& c)
{
    if (const auto crop = cropRect()) {
        setCropRect(clampedCropRect(QRectF(c - state.grabOffset, crop->size()), m_canvasSize));
    }
}

void CanvasInteraction::dragMoved(ResizingCrop& state, const QPointF&, const QPointF& c)
{
    setCropRect(cropRectFromResize(cropRect(), state.handle, state.anchor, c, m_canvasSize));
}

} // namespace velmora
