#include "sidebar/AddSwatchButton.h"

#include "sidebar/SidebarGlyph.h"

#include <QPainter>

#include <algorithm>

namespace velmora {

AddSwatchButton::AddSwatchButton(QWidget* parent) : BackgroundThumbnail(parent) {}

void AddSwatchButton::paintContent(QPainter& painter, const QRectF& rect)
{
    QColor ink = palette().color(QPalette::WindowText);
    QColor fill = ink;
    fill.setAlphaF(isDown() ? 0.14f : 0.05f);
    painter.fillRect(rect, fill);

    ink.setAlphaF(0.45f);
    QPen pen(ink, 1.2, Qt::DashLine);
    pen.setDashPattern({3, 2.5});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect.adjusted(0.6, 0.6, -0.6, -0.6), cornerRadius() - 0.6, cornerRadius() - 0.6);

    ink.setAlphaF(0.75f);
    const double side = std::min(std::min(rect.width(), rect.height()) * 0.5, 16.0);
    const QRectF glyph(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    SidebarGlyph::paint(painter, SidebarGlyph::Kind::plus, glyph, ink);
}

} // namespace velmora
