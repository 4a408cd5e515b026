#include "editor/CanvasArea.h"

#include "app/AppearanceController.h"
#include "canvas/AnnotationCanvas.h"
#include "editor/EditorPills.h"
#include "editor/EditorSession.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace velmora {

CanvasArea::CanvasArea(EditorSession& session, AnnotationCanvas* canvas, EditorPills* pills, bool tightFit,
                       QWidget* parent)
    : QWidget(parent), m_session(session), m_canvas(canvas), m_pills(pills), m_isTightFit(tightFit)
{
    canvas->setParent(this);
    pills->setParent(this);
    canvas->installEventFilter(this);
    setMouseTracking(true);
    setAutoFillBackground(false);
}

CanvasLayout CanvasArea::layout() const
{
    return canvasLayout(QSizeF(size()), m_session.displaySize(), m_isTightFit, m_zoomPercent, m_offset);
}

void CanvasArea::setZoomPercent(double percent)
{
    m_zoomPercent = percent;
    relayout();
}

void CanvasArea::relayout()
{
    const CanvasLayout l = layout();
    // Keep the offset within what the current zoom allows.
    m_offset = QPointF(std::clamp(m_offset.x(), -l.maxOffset.width(), l.maxOffset.width()),
                       std::clamp(m_offset.y(), -l.maxOffset.height(), l.maxOffset.height()));
    m_canvas->setZoom(l.scale);
    m_canvas->move(l.pictureRect.topLeft().toPoint());
    m_canvas->resize(l.pictureRect.size().toSize().expandedTo(QSize(1, 1)));
    m_pills->adjustSize();
    m_pills->move((width() - m_pills->width()) / 2, height() - m_pills->height() - 14);
    m_pills->raise();
    update();
}

void CanvasArea::setSpacePanActive(bool active)
{
    m_isSpacePanActive = active;
    if (!active) {
        m_isPanning = false;
    }
    m_canvas->setCursor(active ? Qt::OpenHandCursor : Qt::ArrowCursor);
}

void CanvasArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_session.isCompositeShown()) {
        // The background lines up with the composite where the canvas actually shows it.
        const QRectF composite(QPointF(m_canvas->pos()), layout().pictureRect.size());
        m_liveBackground.paint(painter, QRectF(rect()), composite, m_session, AppearanceController::isDark());
    } else {
        painter.fillRect(
            rect(), palette().color(QPalette::Window).darker(AppearanceController::isDark() ? 115 : 104));
    }
}

void CanvasArea::resizeEvent(QResizeEvent*)
{
    relayout();
}

void CanvasArea::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier &&
        !(event->modifiers() & (Qt::AltModifier | Qt::MetaModifier))) {
        const bool precise = !event->pixelDelta().isNull();
        const QPointF delta = precise ? QPointF(event->pixelDelta()) : QPointF(event->angleDelta()) / 120.0;
        Q_EMIT zoomScrolled(delta.x(), delta.y(), precise);
        if (event->phase() == Qt::ScrollEnd || event->phase() == Qt::ScrollMomentum) {
            Q_EMIT zoomGestureEnded();
        }
        event->accept();
        return;
    }
    // A plain wheel pans the zoomed picture.
    const QPointF delta =
        event->pixelDelta().isNull() ? QPointF(event->angleDelta()) / 2.0 : QPointF(event->pixelDelta());
    m_offset += delta;
    relayout();
    event->accept();
}

bool CanvasArea::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_canvas || !m_isSpacePanActive) {
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        m_isPanning = true;
        m_panStartOffset = m_offset;
        m_panStartPointer = mouse->globalPosition();
        m_canvas->setCursor(Qt::ClosedHandCursor);
        return true;
    }
    case QEvent::MouseMove: {
        if (m_isPanning) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            m_offset = m_panStartOffset + (mouse->globalPosition() - m_panStartPointer);
            relayout();
        }
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_isPanning = false;
        m_canvas->setCursor(Qt::OpenHandCursor);
        return true;
    default:
        return false;
    }
}

} // namespace velmora
