#pragma once

#include "editor/EditorZoom.h"
#include "editor/LiveBackground.h"

#include <QImage>
#include <QPointF>
#include <QWidget>

#include <functional>

namespace velmora {

class AnnotationCanvas;
class DragSource;
class EditorPills;
class EditorSession;

// The middle of the editor: the live background, the canvas placed at the fitted and zoomed size,
// panning (Space-drag), Ctrl+scroll zoom and Ctrl+drag export, with the pills floating at the bottom.
class CanvasArea : public QWidget
{
    Q_OBJECT

public:
    CanvasArea(EditorSession& session, AnnotationCanvas* canvas, EditorPills* pills, bool tightFit,
               QWidget* parent = nullptr);

    void setZoomPercent(double percent);
    double zoomPercent() const { return m_zoomPercent; }
    CanvasLayout layout() const;
    void setSpacePanActive(bool active);
    bool isSpacePanActive() const { return m_isSpacePanActive; }
    bool isPanningCanvas() const { return m_isPanning; }
    void relayout();

    // Ctrl is held in this window: the picture shows the open hand, and a drag on it exports the
    // final image instead of drawing.
    bool isCommandDragActive() const { return m_isCommandDragActive; }
    // The drag that exports the picture while Ctrl is held; the caller connects to its signals.
    DragSource* installPictureDrag(std::function<QImage()> imageProvider);

Q_SIGNALS:
    // One Ctrl+scroll event: the deltas in notches, and whether they came from a touchpad.
    void zoomScrolled(double deltaX, double deltaY, bool precise);
    void zoomGestureEnded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setCtrlHeld(bool held);
    void setCommandDragActive(bool active);

    EditorSession& m_session;
    AnnotationCanvas* m_canvas;
    EditorPills* m_pills;
    bool m_isTightFit;
    double m_zoomPercent = 100;
    QPointF m_offset;
    QPointF m_panStartOffset;
    QPointF m_panStartPointer;
    bool m_isSpacePanActive = false;
    bool m_isPanning = false;
    LiveBackground m_liveBackground;
    // Laid over the picture while Ctrl is held, so that the canvas under it sees no press and
    // keeps no cursor of its own: the whole picture is a drag handle then.
    QWidget* m_commandDragSurface = nullptr;
    DragSource* m_pictureDrag = nullptr;
    bool m_isCommandDragActive = false;
    bool m_isCtrlHeld = false;
    // A press on the picture, on the canvas or on the drag surface, not yet released: the keys
    // do not swap the picture's role under a drag in flight.
    bool m_isPictureDragInFlight = false;
};

} // namespace velmora
