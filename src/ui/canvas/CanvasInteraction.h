#pragma once

#include "annotation/Annotation.h"
#include "annotation/AnnotationGeometry.h"
#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"

#include <QCursor>
#include <QHash>
#include <QPointF>
#include <QPointer>
#include <QSet>
#include <QSizeF>
#include <QUuid>

#include <optional>

namespace velmora {

// The canvas's gestures turned into changes of the session and the tool state: clicks, drags of
// the drawing tools, moves and grip resizes with the select tool, the crop rectangle, and the start
// and end of text editing. Works in canvas coordinates; the widget divides pointer positions by
// the zoom before calling in. Kept apart from the widget so the rules read in one place.
class CanvasInteraction
{
public:
    void setSession(EditorSession* session);
    void setToolState(EditorToolState* tools);
    void setZoom(double zoom) { m_zoom = zoom > 0 ? zoom : 1; }
    void setCanvasSize(const QSizeF& size) { m_canvasSize = size; }

    // A click (the pointer moved less than the drag threshold).
    void handleTap(const QPointF& point, bool shiftHeld);
    // A drag in progress and its release; `start` is where the button went down.
    void dragChanged(const QPointF& start, const QPointF& current);
    void dragEnded();

    // The cursor for the pointer resting at a point, and the one held for the whole of a grip
    // drag, a move or a crop drag (none while no such drag runs).
    QCursor hoverCursor(const QPointF& point) const;
    const std::optional<QCursor>& dragCursor() const { return m_dragCursor; }
    static QCursor cursorForHandle(ResizeHandle handle);

    // The annotations of a drag in progress, in painting order (arrow, rect, ellipse, draw, blur).
    AnnotationList provisionalAnnotations() const;

    // Text editing.
    const std::optional<QUuid>& editingTextId() const { return m_editingTextId; }
    bool activateTextEditingIfNeeded(const QUuid& id);
    void commitTextAnnotation(const QUuid& id);
    QString textForAnnotation(const QUuid& id) const;
    void updateTextAnnotation(const QUuid& id, const QString& text);
    // The edited text vanished underneath (an undo): editing simply ends.
    void forgetEditingText() { m_editingTextId.reset(); }

    const std::optional<AnnotationTool>& toolBeforeAutoSelect() const { return m_toolBeforeAutoSelect; }
    // The user picked a tool elsewhere (toolbar, keys): the way back of an automatic switch is
    // no longer wanted.
    void toolChangedElsewhere() { m_toolBeforeAutoSelect.reset(); }
    bool isChangingTool() const { return m_changingTool; }

private:
    AnnotationList annotations() const;
    void setAnnotations(const AnnotationList& annotations);
    QSet<QUuid> selection() const;
    void setSelection(const QSet<QUuid>& ids);
    AnnotationTool tool() const;
    void setTool(AnnotationTool tool);
    void pushUndo();
    std::optional<QRectF> cropRect() const;
    void setCropRect(const std::optional<QRectF>& rect);
    std::optional<QUuid> singleSelectedId() const;

    void selectAutomatically(const QUuid& id, AnnotationTool fromTool);
    bool beginDrag(const QPointF& start, const QPointF& current);
    void beginProvisional(AnnotationTool tool, const QPointF& start, const QPointF& current);
    void updateProvisional(const QPointF& start, const QPointF& current);
    void commitProvisional();
    void moveCrop(const QPointF& current);

    QPointer<EditorSession> m_session;
    QPointer<EditorToolState> m_tools;
    double m_zoom = 1;
    QSizeF m_canvasSize;
    bool m_changingTool = false;

    std::optional<ArrowAnnotation> m_currentArrow;
    std::optional<RectAnnotation> m_currentRect;
    std::optional<EllipseAnnotation> m_currentEllipse;
    std::optional<DrawAnnotation> m_currentDraw;
    std::optional<BlurAnnotation> m_currentBlur;

    std::optional<QUuid> m_editingTextId;
    std::optional<QUuid> m_draggingAnnotationId;
    QHash<QUuid, QPointF> m_groupDragAnchors;
    QPointF m_groupDragStart;
    std::optional<AnnotationTool> m_toolBeforeAutoSelect;
    std::optional<ResizeHandle> m_activeHandle;
    ResizeState m_resizeState;
    QPointF m_resizeAnchor;
    std::optional<ResizeHandle> m_cropResizeHandle;
    std::optional<QPointF> m_cropMoveOffset;
    bool m_isSpanningCrop = false;
    std::optional<QCursor> m_dragCursor;
};

} // namespace velmora
