#include "editor/CanvasArea.h"

#include "app/AppearanceController.h"
#include "canvas/AnnotationCanvas.h"
#include "drag/DragSource.h"
#include "editor/EditorPills.h"
#include "editor/EditorSession.h"

#include <QApplication>
#include <QKeyEvent>
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

    m_commandDragSurface = new QWidget(this);
    m_commandDragSurface->setCursor(Qt::OpenHandCursor);
    m_commandDragSurface->hide();
    // Ctrl may be pressed while any widget of the window has the keyboard.
    qApp->installEventFilter(this);
}

DragSource* CanvasArea::installPictureDrag(std::function<QImage()> imageProvider)
{
    delete m_pictureDrag;
    m_pictureDrag = new DragSource(m_commandDragSurface, std::move(imageProvider));
    m_pictureDrag->setShowsDragCursor(true);
    // Filters run newest first: this one must see the press before the drag source takes it.
    m_commandDragSurface->removeEventFilter(this);
    m_commandDragSurface->installEventFilter(this);
    connect(m_pictureDrag, &DragSource::dragEnded, this, [this] {
        m_isPictureDragInFlight = false;
        // The drag had the keyboard: ask the system where Ctrl is now.
        setCtrlHeld(QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier));
    });
    return m_pictureDrag;
}

void CanvasArea::setCtrlHeld(bool held)
{
    m_isCtrlHeld = held;
    if (!m_isPictureDragInFlight) {
        setCommandDragActive(held);
    }
}

void CanvasArea::setCommandDragActive(bool active)
{
    active = active && m_pictureDrag;
    if (active == m_isCommandDragActive) {
        return;
    }
    m_isCommandDragActive = active;
    if (active) {
        m_commandDragSurface->setGeometry(m_canvas->geometry());
        m_commandDragSurface->raise();
        m_pills->raise();
    }
    // Shown or hidden under a resting pointer, Qt hands the pointer over at once: the cursor
    // changes without waiting for the mouse to move.
    m_commandDragSurface->setVisible(active);
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
    m_commandDragSurface->setGeometry(m_canvas->geometry());
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
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == window()) {
            const auto* key = static_cast<QKeyEvent*>(event);
            // The modifiers of Ctrl's own events do not agree between platforms; its key does.
            setCtrlHeld(key->key() == Qt::Key_Control ? event->type() == QEvent::KeyPress
                                                      : key->modifiers().testFlag(Qt::ControlModifier));
        }
        return false;
    }
    case QEvent::WindowDeactivate:
        // The release of a Ctrl held while another window has the keyboard never arrives here.
        if (watched == window()) {
            setCtrlHeld(false);
        }
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        if ((watched == m_canvas || watched == m_commandDragSurface) &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            m_isPictureDragInFlight = event->type() == QEvent::MouseButtonPress;
            if (!m_isPictureDragInFlight) {
                setCommandDragActive(m_isCtrlHeld);
            }
        }
        break;
    case QEvent::Wheel:
        // Ctrl+scroll still zooms while the surface lies over the picture.
        if (watched == m_commandDragSurface) {
            wheelEvent(static_cast<QWheelEvent*>(event));
            return true;
        }
        break;
    default:
        break;
    }
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
