#include "capture/RegionPickerOverlay.h"

#include "capture/ColorLoupe.h"
#include "capture/CountdownCircle.h"
#include "capture/FullScreenOverlay.h"

#include <QKeyEvent>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>

namespace velmora {

namespace {

const QColor dimming(0, 0, 0, 89); // 35 %

Qt::CursorShape cursorShape(RegionCursor cursor)
{
    switch (cursor) {
    case RegionCursor::crosshair:
        return Qt::CrossCursor;
    case RegionCursor::resizeVertical:
        return Qt::SizeVerCursor;
    case RegionCursor::resizeHorizontal:
        return Qt::SizeHorCursor;
    case RegionCursor::openHand:
        return Qt::OpenHandCursor;
    case RegionCursor::arrow:
        break;
    }
    return Qt::ArrowCursor;
}

bool drawable(const std::optional<QRectF>& rect)
{
    return rect && std::isfinite(rect->width()) && std::isfinite(rect->height()) && !rect->isEmpty();
}

} // namespace

RegionPickerOverlay::RegionPickerOverlay(Behaviour behaviour, const ScreenGeometry& screen, QImage frozen,
                                         QWidget* parent)
    : QWidget(parent), m_behaviour(behaviour), m_screen(screen), m_frozen(std::move(frozen)),
      m_selection(QSizeF(screen.geometry.size()))
{
    prepareFullScreenOverlay(this, screen.geometry);
    if (m_frozen.isNull()) {
        // Framing a live screen: what lies under the cut-out must show through.
        setAttribute(Qt::WA_OpaquePaintEvent, false);
        setAttribute(Qt::WA_NoSystemBackground, false);
        setAttribute(Qt::WA_TranslucentBackground);
    }
    refreshCursor();
}

void RegionPickerOverlay::setLocked(bool locked)
{
    m_selection.setLocked(locked);
    m_pressed = false;
    refreshCursor();
    update();
}

void RegionPickerOverlay::setCountdown(std::optional<int> value)
{
    m_countdown = value;
    update();
}

QImage RegionPickerOverlay::crop(const QRectF& local, QRect* native) const
{
    // Both rectangles round each edge to the nearest pixel, so they always agree in size.
    const qreal ratio = m_frozen.devicePixelRatio();
    const QRect pixels =
        QRect(
            QPoint(int(std::lround(local.left() * ratio)), int(std::lround(local.top() * ratio))),
            QPoint(int(std::lround(local.right() * ratio)) - 1, int(std::lround(local.bottom() * ratio)) - 1))
            .intersected(m_frozen.rect());
    if (native) {
        *native = m_screen.localToNative(local);
    }
    if (pixels.isEmpty()) {
        return QImage(); // copy() of an empty rectangle would give the whole picture
    }
    QImage image = m_frozen.copy(pixels);
    image.setDevicePixelRatio(ratio);
    return image;
}

void RegionPickerOverlay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_frozen.isNull()) {
        painter.drawImage(QPointF(0, 0), m_frozen);
    }
    const std::optional<QRectF> shown = m_selection.currentRect();
    QPainterPath dimmed; // odd-even: the rectangle stays out of the dimming
    dimmed.addRect(rect());
    if (drawable(shown)) {
        dimmed.addRect(*shown);
    }
    painter.fillPath(dimmed, dimming);

    if (!shown) {
        paintHint(painter);
    } else if (drawable(shown) && !m_selection.isLocked()) {
        paintSizeLabel(painter, *shown);
        if (m_behaviour == Behaviour::editRegion &&
            m_selection.interaction() != RegionSelection::Interaction::drawing) {
            paintHandles(painter, *shown);
        }
    }
    if (m_countdown && drawable(shown)) {
        paintCountdownCircle(painter, shown->center(), *m_countdown);
    }
    if (m_behaviour == Behaviour::pickColor && m_pointer && !m_frozen.isNull()) {
        ColorLoupe::paint(painter, m_frozen, ColorLoupe::pixelAt(m_frozen, *m_pointer), loupeRect());
    }
}

void RegionPickerOverlay::paintSizeLabel(QPainter& painter, const QRectF& rect) const
{
    QFont font = painter.font();
    font.setPixelSize(12);
    font.setWeight(QFont::DemiBold);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QString text =
        QStringLiteral("%1 × %2").arg(std::lround(rect.width())).arg(std::lround(rect.height()));
    painter.drawText(sizeLabelBox(rect), Qt::AlignCenter, text);
}

QRectF RegionPickerOverlay::sizeLabelBox(const QRectF& rect) const
{
    const qreal centreY = std::min(rect.bottom() + 18, height() - 12.0);
    return QRectF(rect.center().x() - 200, centreY - 10, 400, 20);
}

QRect RegionPickerOverlay::paintedBounds() const
{
    const std::optional<QRectF> shown = m_selection.currentRect();
    if (!shown) {
        return rect(); // the hint
    }
    const qreal handle = RegionSelection::handleVisualSize / 2 + 2;
    QRectF bounds = shown->adjusted(-handle, -handle, handle, handle).united(sizeLabelBox(*shown));
    if (m_countdown) {
        const qreal radius = countdownCircleDiameter / 2.0;
        bounds |= QRectF(shown->center() - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
    }
    return bounds.toAlignedRect();
}

void RegionPickerOverlay::paintHandles(QPainter& painter, const QRectF& rect) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::white);
    painter.setPen(QPen(QColor(0, 0, 0, 102), 1)); // 40 %
    const qreal radius = RegionSelection::handleVisualSize / 2;
    for (RegionHandle handle : {RegionHandle::nw, RegionHandle::n, RegionHandle::ne, RegionHandle::e,
                                RegionHandle::se, RegionHandle::s, RegionHandle::sw, RegionHandle::w}) {
        painter.drawEllipse(RegionSelection::handlePoint(rect, handle), radius, radius);
    }
    painter.restore();
}

void RegionPickerOverlay::paintHint(QPainter& painter) const
{
    QFont font = painter.font();
    font.setPixelSize(13);
    font.setWeight(QFont::Medium);
    painter.setFont(font);
    painter.setPen(QColor(255, 255, 255, 230)); // 90 %
    painter.drawText(rect(), Qt::AlignCenter, hint);
}

QRectF RegionPickerOverlay::loupeRect() const
{
    return m_pointer ? ColorLoupe::placement(*m_pointer, size()) : QRectF();
}

void RegionPickerOverlay::report(RegionChange change)
{
    const std::optional<QRectF>& region = m_selection.region();
    if (change == RegionChange::none || !region) {
        return;
    }
    if (m_behaviour == Behaviour::pickRegion) {
        // Only a completed first rectangle gets here: picking keeps no region to edit.
        QRect native;
        const QImage image = crop(*region, &native);
        Q_EMIT picked(image, native);
    } else if (m_behaviour == Behaviour::editRegion) {
        if (change == RegionChange::firstSelected) {
            Q_EMIT regionFirstSelected(*region);
        } else {
            Q_EMIT regionChanged(*region);
        }
    }
}

void RegionPickerOverlay::mousePressEvent(QMouseEvent* event)
{
    if (m_selection.isLocked()) {
        return;
    }
    if (event->button() == Qt::RightButton && m_behaviour != Behaviour::editRegion) {
        Q_EMIT cancelled();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    m_pressed = true;
    m_pressPoint = event->position();
    m_selection.mouseDown(event->position());
    update();
}

void RegionPickerOverlay::mouseMoveEvent(QMouseEvent* event)
{
    if (m_behaviour == Behaviour::pickColor) {
        // Only the loupe's old and new places need painting again, not the whole screen.
        update(loupeRect().toAlignedRect());
        m_pointer = event->position();
        update(loupeRect().toAlignedRect());
    } else {
        m_pointer = event->position();
    }
    if (m_pressed && (event->buttons() & Qt::LeftButton)) {
        // Only where the rectangle and its label were and are now: a full-screen repaint on a
        // dense screen is tens of megabytes for every mouse move.
        const QRect before = paintedBounds();
        report(m_selection.mouseDragged(event->position()));
        update(before.united(paintedBounds()));
    }
    refreshCursor();
}

void RegionPickerOverlay::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed) {
        return;
    }
    m_pressed = false;
    if (m_behaviour == Behaviour::pickColor) {
        finishColorPick(event->position());
        return;
    }
    report(m_selection.mouseUp(event->position()));
    refreshCursor();
    update();
}

void RegionPickerOverlay::finishColorPick(const QPointF& release)
{
    const std::optional<QRectF> dragged = m_selection.currentRect();
    m_selection.mouseUp(release);
    m_selection.setRegion(std::nullopt);
    update();
    QRect native;
    if (QLineF(m_pressPoint, release).length() > clickSlop && dragged) {
        const QImage image = crop(*dragged, &native);
        if (!image.isNull()) {
            Q_EMIT picked(image, native);
            return;
        }
    }
    // A click: the one device pixel under the pointer.
    const QPoint pixel = ColorLoupe::pixelAt(m_frozen, release);
    QImage image = m_frozen.copy(QRect(pixel, QSize(1, 1)));
    image.setDevicePixelRatio(m_frozen.devicePixelRatio());
    Q_EMIT picked(image, QRect(m_screen.nativeRect().topLeft() + pixel, QSize(1, 1)));
}

void RegionPickerOverlay::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && !m_selection.isLocked()) {
        Q_EMIT cancelled();
        return;
    }
    QWidget::keyPressEvent(event);
}

void RegionPickerOverlay::leaveEvent(QEvent* event)
{
    if (m_behaviour == Behaviour::pickColor) {
        update(loupeRect().toAlignedRect());
    }
    m_pointer.reset();
    QWidget::leaveEvent(event);
}

void RegionPickerOverlay::refreshCursor()
{
    const RegionCursor cursor =
        m_behaviour == Behaviour::pickColor ? RegionCursor::crosshair : m_selection.cursorAt(m_pointer);
    setCursor(cursorShape(cursor));
}

} // namespace velmora
