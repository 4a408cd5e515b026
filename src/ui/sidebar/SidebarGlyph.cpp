#include "sidebar/SidebarGlyph.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace velmora {

namespace {

// A four-pointed star whose sides curve inwards, centred on `c` with arm length `r`.
QPainterPath star(QPointF c, double r)
{
    const double waist = r * 0.18;
    QPainterPath path(QPointF(c.x(), c.y() - r));
    path.quadTo(QPointF(c.x() + waist, c.y() - waist), QPointF(c.x() + r, c.y()));
    path.quadTo(QPointF(c.x() + waist, c.y() + waist), QPointF(c.x(), c.y() + r));
    path.quadTo(QPointF(c.x() - waist, c.y() + waist), QPointF(c.x() - r, c.y()));
    path.quadTo(QPointF(c.x() - waist, c.y() - waist), QPointF(c.x(), c.y() - r));
    path.closeSubpath();
    return path;
}

void paintRemoveBadge(QPainter& painter, const QRectF& rect, const QColor& tint)
{
    const double d = std::min(rect.width(), rect.height());
    const QRectF disc(rect.center().x() - d / 2, rect.center().y() - d / 2, d, d);
    painter.setPen(QPen(QColor(255, 255, 255, 230), 1.0));
    painter.setBrush(tint);
    painter.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));
    const double arm = d * 0.17;
    const QPointF c = disc.center();
    painter.setPen(QPen(Qt::white, std::max(1.2, d * 0.11), Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(c + QPointF(-arm, -arm), c + QPointF(arm, arm));
    painter.drawLine(c + QPointF(arm, -arm), c + QPointF(-arm, arm));
}

void paintPlus(QPainter& painter, const QRectF& rect, const QColor& tint)
{
    const double d = std::min(rect.width(), rect.height());
    const double arm = d * 0.36;
    const QPointF c = rect.center();
    painter.setPen(QPen(tint, std::max(1.4, d * 0.1), Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(c + QPointF(-arm, 0), c + QPointF(arm, 0));
    painter.drawLine(c + QPointF(0, -arm), c + QPointF(0, arm));
}

void paintSparkles(QPainter& painter, const QRectF& rect, const QColor& tint)
{
    const double d = std::min(rect.width(), rect.height());
    const QPointF o(rect.center().x() - d / 2, rect.center().y() - d / 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(tint);
    painter.drawPath(star(o + QPointF(d * 0.42, d * 0.56), d * 0.40));
    painter.drawPath(star(o + QPointF(d * 0.80, d * 0.22), d * 0.17));
    painter.drawPath(star(o + QPointF(d * 0.82, d * 0.80), d * 0.12));
}

} // namespace

QString SidebarGlyph::iconName(Kind kind)
{
    switch (kind) {
    case Kind::removeBadge:
        return QStringLiteral("circle-x");
    case Kind::plus:
        return QStringLiteral("plus");
    case Kind::sparkles:
        return QStringLiteral("sparkles");
    }
    return {};
}

void SidebarGlyph::paint(QPainter& painter, Kind kind, const QRectF& rect, const QColor& tint)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    switch (kind) {
    case Kind::removeBadge:
        paintRemoveBadge(painter, rect, tint);
        break;
    case Kind::plus:
        paintPlus(painter, rect, tint);
        break;
    case Kind::sparkles:
        paintSparkles(painter, rect, tint);
        break;
    }
    painter.restore();
}

} // namespace velmora
