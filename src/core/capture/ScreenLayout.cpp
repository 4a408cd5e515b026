#include "ScreenLayout.h"

#include <QGuiApplication>
#include <QRegion>
#include <QScreen>

#include <cmath>

namespace velmora {

QRect ScreenGeometry::nativeRect() const
{
    const qreal s = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    return QRect(geometry.topLeft(),
                 QSize(int(std::lround(geometry.width() * s)), int(std::lround(geometry.height() * s))));
}

QRect ScreenGeometry::localToNative(const QRectF& local) const
{
    const qreal s = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QPoint origin = geometry.topLeft();
    const int left = int(std::lround(local.left() * s));
    const int top = int(std::lround(local.top() * s));
    const int right = int(std::lround(local.right() * s));
    const int bottom = int(std::lround(local.bottom() * s));
    return QRect(origin.x() + left, origin.y() + top, right - left, bottom - top);
}

QRectF ScreenGeometry::nativeToGlobal(const QRect& native) const
{
    const qreal s = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QPointF origin = geometry.topLeft();
    return QRectF(origin + QPointF(native.topLeft() - geometry.topLeft()) / s, QSizeF(native.size()) / s);
}

ScreenLayout::ScreenLayout(QList<ScreenGeometry> screens) : m_screens(std::move(screens)) {}

ScreenLayout ScreenLayout::fromScreens(const QList<QScreen*>& screens)
{
    QList<ScreenGeometry> list;
    for (QScreen* screen : screens) {
        list.append({screen->geometry(), screen->devicePixelRatio(), screen->name()});
    }
    return ScreenLayout(std::move(list));
}

ScreenLayout ScreenLayout::current()
{
    return fromScreens(QGuiApplication::screens());
}

std::optional<int> ScreenLayout::screenAt(const QPointF& globalPoint) const
{
    for (int i = 0; i < m_screens.size(); ++i) {
        const QRectF g = m_screens[i].geometry;
        // Edges included: a pointer on the last column of the rightmost screen still counts.
        if (globalPoint.x() >= g.left() && globalPoint.x() <= g.left() + g.width() &&
            globalPoint.y() >= g.top() && globalPoint.y() <= g.top() + g.height()) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<int> ScreenLayout::screenIntersecting(const QRectF& global) const
{
    for (int i = 0; i < m_screens.size(); ++i) {
        if (QRectF(m_screens[i].geometry).intersects(global)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<int> ScreenLayout::screenAtNative(const QPoint& nativePoint) const
{
    for (int i = 0; i < m_screens.size(); ++i) {
        if (m_screens[i].nativeRect().contains(nativePoint)) {
            return i;
        }
    }
    return std::nullopt;
}

QRect ScreenLayout::nativeBounds() const
{
    QRect bounds;
    for (const ScreenGeometry& screen : m_screens) {
        bounds = bounds.united(screen.nativeRect());
    }
    return bounds;
}

QRect ScreenLayout::clipToScreens(const QRect& native) const
{
    QRegion shown;
    for (const ScreenGeometry& screen : m_screens) {
        shown += screen.nativeRect().intersected(native);
    }
    return shown.boundingRect();
}

} // namespace velmora
