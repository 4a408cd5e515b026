#pragma once

#include "editor/EditorZoom.h"
#include "editor/LiveBackground.h"

#include <QPointF>
#include <QWidget>

#include <functional>

namespace velmora {

class AnnotationCanvas;
class EditorPills;
class EditorSession;

// The middle of the editor: the live background, the canvas placed at the fitted and zoomed size,
// panning (Space-drag) and Ctrl+scroll zoom, with the pills floating at the bottom.
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
};

} // namespace velmora
