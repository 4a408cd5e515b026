#include "capture/WindowPickerOverlay.h"

#include "ScreenCapture.h"
#include "capture/CapturePill.h"
#include "capture/FullScreenOverlay.h"

#include <QCursor>
#include <QKeyEvent>
#include <QPainter>

#include <cmath>

namespace velmora {

WindowPickerOverlay::WindowPickerOverlay(const WindowList& windows, const ScreenGeometry& screen,
                                         QImage frozen, QWidget* parent)
    : QWidget(parent), m_windows(windows), m_screen(screen), m_frozen(std::move(frozen))
{
    prepareFullScreenOverlay(this, screen.geometry);
    // The pill takes the pointer's place.
    setCursor(Qt::BlankCursor);
    m_poll.setInterval(pollInterval);
    connect(&m_poll, &QTimer::timeout, this, [this] {
        // Windows may move, open or close under a still pointer.
        refreshWindows();
        updateHovered();
    });
}

void WindowPickerOverlay::showEvent(QShowEvent* event)
{
    // Start from where the pointer already is: the user may click without moving it.
    const QPoint global = QCursor::pos();
    if (m_screen.geometry.contains(global)) {
        m_pointer = QPointF(global - m_screen.geometry.topLeft());
    }
    refreshWindows();
    updateHovered();
    m_poll.start();
    QWidget::showEvent(event);
}

void WindowPickerOverlay::hideEvent(QHideEvent* event)
{
    m_poll.stop();
    QWidget::hideEvent(event);
}

QRectF WindowPickerOverlay::localFrame(const WindowInfo& window) const
{
    return m_screen.nativeToGlobal(window.frame).translated(-QPointF(m_screen.geometry.topLeft()));
}

QRect WindowPickerOverlay::pillRect() const
{
    if (!m_pointer || m_pill.isNull()) {
        return QRect();
    }
    const QPointF topLeft = *m_pointer - CapturePill::centreOffset(m_pill);
    return QRectF(topLeft, m_pill.deviceIndependentSize()).toAlignedRect();
}

void WindowPickerOverlay::refreshWindows()
{
    m_listed = m_windows.visibleWindows();
}

void WindowPickerOverlay::updateHovered()
{
    std::optional<WindowInfo> hovered;
    if (m_pointer) {
        const qreal ratio = m_screen.devicePixelRatio > 0 ? m_screen.devicePixelRatio : 1.0;
        const QPoint native =
            m_screen.nativeRect().topLeft() +
            QPoint(int(std::floor(m_pointer->x() * ratio)), int(std::floor(m_pointer->y() * ratio)));
        hovered = windowAt(m_listed, native);
    }
    if (hovered && hovered->ownerName != m_pillOwner) {
        m_pillOwner = hovered->ownerName;
        m_pill = QImage();
    }
    if (hovered && m_pill.isNull()) {
        m_pill = CapturePill::render(m_pillOwner, devicePixelRatioF());
    }
    if (hovered != m_hovered) {
        m_hovered = hovered;
        update();
    }
}

void WindowPickerOverlay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), m_frozen);
    if (!m_hovered) {
        return;
    }
    painter.fillRect(localFrame(*m_hovered), tint);
    // A pointer exactly at the corner is taken for one not known yet.
    if (m_pointer && !m_pointer->isNull()) {
        painter.drawImage(pillRect().topLeft(), m_pill);
    }
}

void WindowPickerOverlay::mouseMoveEvent(QMouseEvent* event)
{
    const QRect before = pillRect();
    m_pointer = event->position();
    updateHovered();
    update(before);
    update(pillRect());
}

void WindowPickerOverlay::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    m_pointer = event->position();
    // What is clicked is what is there now, not at the last poll.
    refreshWindows();
    updateHovered();
    // A click on the desktop or a panel picks nothing; the picker stays.
    if (m_hovered) {
        Q_EMIT picked(m_hovered->windowID);
    }
}

void WindowPickerOverlay::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        Q_EMIT cancelled();
        return;
    }
    QWidget::keyPressEvent(event);
}

void WindowPickerOverlay::leaveEvent(QEvent* event)
{
    // The pointer went to another screen, whose overlay highlights from now on.
    m_pointer.reset();
    updateHovered();
    update();
    QWidget::leaveEvent(event);
}

} // namespace velmora
