#include "canvas/CanvasInteraction.h"

#include <cmath>

// The drag rules: grip resizes, moves, the crop rectangle and the provisional annotations of the
// drawing tools.

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

} // namespace

void CanvasInteraction::dragChanged(const QPointF& s, const QPointF& c)
{
    if (m_activeHandle) {
        if (const auto id = singleSelectedId()) {
            AnnotationList list = annotations();
            applyResize(list, *id, *m_activeHandle, c, m_resizeState);
            setAnnotations(list);
        }
        return;
    }
    if (m_cropResizeHandle) {
        setCropRect(cropRectFromResize(cropRect(), *m_cropResizeHandle, m_resizeAnchor, c, m_canvasSize));
        return;
    }
    if (m_cropMoveOffset) {
        moveCrop(c);
        return;
    }
    if (m_isSpanningCrop) {
        setCropRect(clampedCropRect(spannedRect(s, c), m_canvasSize));
        return;
    }
    if (m_draggingAnnotationId) {
        AnnotationList list = annotations();
        const QPointF displacement = c - m_groupDragStart;
        for (auto it = m_groupDragAnchors.cbegin(); it != m_groupDragAnchors.cend(); ++it) {
            moveAnnotation(list, it.key(), it.value() + displacement);
        }
        setAnnotations(list);
        return;
    }
    if (m_currentArrow || m_currentRect || m_currentEllipse || m_currentDraw || m_currentBlur) {
        updateProvisional(s, c);
        return;
    }
    beginDrag(s, c);
}

void CanvasInteraction::moveCrop(const QPointF& c)
{
    if (const auto crop = cropRect()) {
        setCropRect(clampedCropRect(QRectF(c - *m_cropMoveOffset, crop->size()), m_canvasSize));
    }
}

bool CanvasInteraction::beginDrag(const QPointF& s, const QPointF& c)
{
    switch (const AnnotationTool current = tool()) {
    case AnnotationTool::crop: {
        const auto crop = cropRect();
        if (crop) {
            if (const auto handle = hitTestHandle(*crop, s, m_zoom)) {
                m_cropResizeHandle = handle;
                m_resizeAnchor = rectResizeAnchor(*crop, *handle);
                m_dragCursor = cursorForHandle(*handle);
                setCropRect(cropRectFromResize(crop, *handle, m_resizeAnchor, c, m_canvasSize));
                return true;
            }
            if (rectContainsPoint(*crop, s)) {
                m_cropMoveOffset = s - crop->topLeft();
                m_dragCursor = QCursor(Qt::ClosedHandCursor);
                moveCrop(c);
                return true;
            }
        }
        // A new rectangle keeps following the press point for the rest of the drag, even once
        // the press point lies on its corner.
        m_isSpanningCrop = true;
        setCropRect(clampedCropRect(spannedRect(s, c), m_canvasSize));
        return true;
    }
    case AnnotationTool::select: {
        const AnnotationList list = annotations();
        if (const auto id = singleSelectedId()) {
            const Annotation& selected = *findAnnotation(list, *id);
            if (const auto handle = hitTestHandle(selected, s, m_zoom)) {
                pushUndo();
                m_activeHandle = handle;
                m_resizeState = setupResizeState(selected, *handle);
                m_dragCursor = cursorForHandle(*handle);
                dragChanged(s, c);
                return true;
            }
        }
        const auto hit = hitTest(list, s);
        if (!hit) {
            return false; // there is no rubber-band selection
        }
        pushUndo();
        if (!selection().contains(*hit)) {
            setSelection({*hit});
        }
        m_draggingAnnotationId = hit;
        m_groupDragStart = s;
        m_groupDragAnchors.clear();
        for (const QUuid& id : selection()) {
            if (const auto anchor = annotationAnchor(list, id)) {
                m_groupDragAnchors.insert(id, *anchor);
            }
        }
        m_dragCursor = QCursor(Qt::ClosedHandCursor);
        dragChanged(s, c);
        return true;
    }
    case AnnotationTool::text:
        return false;
    case AnnotationTool::arrow:
    case AnnotationTool::rect:
    case AnnotationTool::ellipse:
    case AnnotationTool::draw:
    case AnnotationTool::blur:
        beginProvisional(current, s, c);
        return true;
    }
    return false;
}

void CanvasInteraction::beginProvisional(AnnotationTool current, const QPointF& s, const QPointF& c)
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
        m_currentArrow = ArrowAnnotation{id, s, c, color, width, outline, m_tools->arrowStyle()};
        break;
    case AnnotationTool::rect:
        m_currentRect = RectAnnotation{id, span.topLeft(), span.size(), color, width, 6, outline};
        break;
    case AnnotationTool::ellipse:
        m_currentEllipse = EllipseAnnotation{id, span.topLeft(), span.size(), color, width, outline};
        break;
    case AnnotationTool::draw:
        m_currentDraw = DrawAnnotation{id, {s, c}, color, width, outline};
        break;
    case AnnotationTool::blur:
        m_currentBlur = BlurAnnotation{id, span.topLeft(), span.size(), m_session->blurRadius()};
        break;
    default:
        break;
    }
}

void CanvasInteraction::updateProvisional(const QPointF& s, const QPointF& c)
{
    const QRectF span = spannedRect(s, c);
    if (m_currentArrow) {
        m_currentArrow->endPoint = c;
    }
    if (m_currentRect) {
        m_currentRect->origin = span.topLeft();
        m_currentRect->size = span.size();
    }
    if (m_currentEllipse) {
        m_currentEllipse->origin = span.topLeft();
        m_currentEllipse->size = span.size();
    }
    if (m_currentDraw) {
        m_currentDraw->points.append(c);
    }
    if (m_currentBlur) {
        m_currentBlur->origin = span.topLeft();
        m_currentBlur->size = span.size();
    }
}

void CanvasInteraction::dragEnded()
{
    m_dragCursor.reset();
    if (m_activeHandle) {
        m_activeHandle.reset();
        m_resizeState = {};
    } else if (m_draggingAnnotationId) {
        m_draggingAnnotationId.reset();
        m_groupDragAnchors.clear();
        m_groupDragStart = {};
    } else if (m_cropResizeHandle) {
        m_cropResizeHandle.reset();
        m_resizeAnchor = {};
    } else if (m_cropMoveOffset) {
        m_cropMoveOffset.reset();
    } else if (m_isSpanningCrop) {
        m_isSpanningCrop = false;
    } else {
        commitProvisional();
    }
}

void CanvasInteraction::commitProvisional()
{
    std::optional<Annotation> committed;
    AnnotationTool kind = AnnotationTool::arrow;
    if (m_currentArrow) {
        committed = *m_currentArrow;
    } else if (m_currentRect && isLargeEnough(m_currentRect->size)) {
        committed = *m_currentRect;
        kind = AnnotationTool::rect;
    } else if (m_currentEllipse && isLargeEnough(m_currentEllipse->size)) {
        committed = *m_currentEllipse;
        kind = AnnotationTool::ellipse;
    } else if (m_currentDraw && m_currentDraw->points.size() >= 2) {
        committed = *m_currentDraw;
        kind = AnnotationTool::draw;
    } else if (m_currentBlur && isLargeEnough(m_currentBlur->size)) {
        committed = *m_currentBlur;
        kind = AnnotationTool::blur;
    }
    m_currentArrow.reset();
    m_currentRect.reset();
    m_currentEllipse.reset();
    m_currentDraw.reset();
    m_currentBlur.reset();
    if (!committed || !m_session) {
        return;
    }
    pushUndo();
    AnnotationList list = annotations();
    list.append(*committed);
    setAnnotations(list);
    // A fresh shape is immediately movable and resizable; strokes keep drawing.
    if (kind != AnnotationTool::draw) {
        selectAutomatically(annotationId(*committed), kind);
    }
}

AnnotationList CanvasInteraction::provisionalAnnotations() const
{
    AnnotationList list;
    if (m_currentArrow) {
        list.append(*m_currentArrow);
    }
    if (m_currentRect) {
        list.append(*m_currentRect);
    }
    if (m_currentEllipse) {
        list.append(*m_currentEllipse);
    }
    if (m_currentDraw) {
        list.append(*m_currentDraw);
    }
    if (m_currentBlur) {
        list.append(*m_currentBlur);
    }
    return list;
}

} // namespace velmora
