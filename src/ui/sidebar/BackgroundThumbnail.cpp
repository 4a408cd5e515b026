#include "sidebar/BackgroundThumbnail.h"

#include "sidebar/SidebarGlyph.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace velmora {

namespace {

// Room around the picture for the selection ring.
constexpr double ringMargin = 3;
constexpr double badgeSize = 16;

} // namespace

BackgroundThumbnail::BackgroundThumbnail(QWidget* parent) : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
}

void BackgroundThumbnail::setSelected(bool selected)
{
    if (m_selected == selected) {
        return;
    }
    m_selected = selected;
    update();
}

void BackgroundThumbnail::setRemovable(bool removable)
{
    if (m_removable == removable) {
        return;
    }
    m_removable = removable;
    update();
}

QRectF BackgroundThumbnail::contentRect() const
{
    return QRectF(rect()).adjusted(ringMargin, ringMargin, -ringMargin, -ringMargin);
}

QRectF BackgroundThumbnail::badgeRect() const
{
    return QRectF(width() - badgeSize, 0, badgeSize, badgeSize);
}

double BackgroundThumbnail::cornerRadius() const
{
    const QRectF r = contentRect();
    return std::clamp(std::min(r.width(), r.height()) * 0.24, 4.0, 9.0);
}

QSize BackgroundThumbnail::sizeHint() const
{
    return {34, 34};
}

bool BackgroundThumbnail::isDarkPalette() const
{
    return palette().color(QPalette::Window).lightnessF() < 0.5;
}

QPainterPath BackgroundThumbnail::contentShape() const
{
    QPainterPath path;
    path.addRoundedRect(contentRect(), cornerRadius(), cornerRadius());
    return path;
}

void BackgroundThumbnail::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF content = contentRect();
    const double radius = cornerRadius();

    painter.save();
    painter.setClipPath(contentShape());
    paintContent(painter, content);
    painter.restore();

    const QColor text = palette().color(QPalette::WindowText);
    if (drawsFrame()) {
        QColor frame = text;
        frame.setAlphaF(isDarkPalette() ? 0.22f : 0.14f);
        painter.setPen(QPen(frame, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(content.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    }

    // The ring sits in the margin, clear of the picture, so it reads on pictures of any colour.
    const QRectF ring = QRectF(rect()).adjusted(1, 1, -1, -1);
    const double ringRadius = radius + 2;
    if (m_selected) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(ring, ringRadius, ringRadius);
    } else if (m_hover->isHovered() || hasFocus()) {
        QColor hover = hasFocus() ? palette().color(QPalette::Highlight) : text;
        hover.setAlphaF(hasFocus() ? 0.6f : 0.28f);
        painter.setPen(QPen(hover, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(ring.adjusted(0.25, 0.25, -0.25, -0.25), ringRadius, ringRadius);
    }

    if (isBadgeShown()) {
        SidebarGlyph::paint(painter, SidebarGlyph::Kind::removeBadge, badgeRect(), QColor(72, 72, 78));
    }
}

void BackgroundThumbnail::mousePressEvent(QMouseEvent* event)
{
    if (m_removable && event->button() == Qt::LeftButton && badgeRect().contains(event->position())) {
        m_badgePressed = true;
        event->accept();
        return;
    }
    QAbstractButton::mousePressEvent(event);
}

void BackgroundThumbnail::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_badgePressed && event->button() == Qt::LeftButton) {
        m_badgePressed = false;
        event->accept();
        if (badgeRect().contains(event->position())) {
            // The receiver may drop this thumbnail; nothing of it is touched after the signal.
            Q_EMIT removeRequested();
        }
        return;
    }
    QAbstractButton::mouseReleaseEvent(event);
}

void BackgroundThumbnail::mouseMoveEvent(QMouseEvent* event)
{
    // A thumbnail can appear under a resting pointer (the grid is rebuilt after a removal) and
    // miss its enter event; the first move makes up for it.
    m_hover->setHovered(true);
    QAbstractButton::mouseMoveEvent(event);
}

} // namespace velmora
