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
#include <variant>

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
    std::optional<QCursor> dragCursor() const;
    static QCursor cursorForHandle(ResizeHandle handle);

    // The shape a drawing tool is dragging out, not yet in the session (empty or one annotation).
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
    void tapWithText(const QPointF& point);
    void tapWithSelect(const QPointF& point, bool shiftHeld);

    // What the pointer is dragging. A drag stays Idle until its first move finds something to do
    // with the tool of that moment (a press on empty canvas with the select tool never does), and
    // keeps its kind until release, whatever happens to the tool meanwhile.
    struct Idle
    {};
    // A drawing tool's shape following the pointer; it joins the session on release if it grew
    // large enough.
    struct Drawing
    {
        AnnotationTool tool;
        Annotation shape;
    };
    // The selection dragged along, every annotation by its anchor at the press.
    struct Moving
    {
        QPointF start;
        QHash<QUuid, QPointF> anchors;
    };
    // A grip of the single selected annotation.
    struct Resizing
    {
        QUuid id;
        ResizeHandle handle;
        ResizeState resize;
    };
    // A new crop rectangle spanned from the press point.
    struct SpanningCrop
    {};
    // The crop rectangle carried by the point where it was grabbed.
    struct MovingCrop
    {
        QPointF grabOffset;
    };
    // A grip of the crop rectangle, the opposite corner or edge staying put.
    struct ResizingCrop
    {
        ResizeHandle handle;
        QPointF anchor;
    };
    using DragState = std::variant<Idle, Drawing, Moving, Resizing, SpanningCrop, MovingCrop, ResizingCrop>;

    // One handler per state for every step of a drag; `start` is the press point, `current` the
    // pointer. Idle's handler begins the drag the tool asks for.
    void dragMoved(Idle&, const QPointF& start, const QPointF& current);
    void dragMoved(Drawing& state, const QPointF& start, const QPointF& current);
    void dragMoved(Moving& state, const QPointF& start, const QPointF& current);
    void dragMoved(Resizing& state, const QPointF& start, const QPointF& current);
    void dragMoved(SpanningCrop&, const QPointF& start, const QPointF& current);
    void dragMoved(MovingCrop& state, const QPointF& start, const QPointF& current);
    void dragMoved(ResizingCrop& state, const QPointF& start, const QPointF& current);
    void beginCropDrag(const QPointF& start, const QPointF& current);
    void beginSelectDrag(const QPointF& start, const QPointF& current);
    void beginDrawing(AnnotationTool tool, const QPointF& start, const QPointF& current);
    // The only state whose release does more than end it: every other drag changed the session
    // or the crop as it went.
    void dragReleased(const Drawing& state);

    QPointer<EditorSession> m_session;
    QPointer<EditorToolState> m_tools;
    double m_zoom = 1;
    QSizeF m_canvasSize;
    bool m_changingTool = false;
    std::optional<QUuid> m_editingTextId;
    std::optional<AnnotationTool> m_toolBeforeAutoSelect;
    DragState m_drag;
};

} // namespace velmora
