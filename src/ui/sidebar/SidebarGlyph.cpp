#include "sidebar/SidebarGlyph.h"

#include "icons/LucideIcon.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

void paintIcon(QPainter& painter, const QString& name, const QRectF& rect, const QColor& tint)
{
    const int size = std::max(1, int(std::lround(std::min(rect.width(), rect.height()))));
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPixmap pixmap = LucideIcon::pixmap(name, tint, size, dpr);
    painter.drawPixmap(QPointF(rect.center().x() - size / 2.0, rect.center().y() - size / 2.0), pixmap);
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
    case Kind::picture:
        return QStringLiteral("image");
    }
    return {};
}

void SidebarGlyph::paint(QPainter& painter, Kind kind, const QRectF& rect, const QColor& tint)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (kind == Kind::removeBadge) {
        // A filled badge: the line icon alone would vanish over a busy wallpaper.
        const double d = std::min(rect.width(), rect.height());
        const QRectF disc(rect.center().x() - d / 2, rect.center().y() - d / 2, d, d);
        painter.setPen(Qt::NoPen);
        painter.setBrush(tint);
        painter.drawEllipse(disc);
        paintIcon(painter, iconName(kind), disc, Qt::white);
    } else {
        paintIcon(painter, iconName(kind), rect, tint);
    }
    painter.restore();
}

} // namespace velmora
