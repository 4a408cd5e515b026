#include "ScreenLayout.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <cmath>

namespace velmora {
namespace {

// Half-way values go up everywhere, so a rectangle's size in pixels does not depend on which side
// of the screen's origin it starts (std::lround would round -0.5 down and 1.5 up, one pixel more).
int nearestPixel(qreal value)
{
    return int(std::floor(value + 0.5));
}

} // namespace

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
    const int left = nearestPixel(local.left() * s);
    const int top = nearestPixel(local.top() * s);
    const int right = nearestPixel(local.right() * s);
    const int bottom = nearestPixel(local.bottom() * s);
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
    return shownRegion(native).boundingRect();
}

QRegion ScreenLayout::shownRegion(const QRect& native) const
{
    QRegion shown;
    for (const ScreenGeometry& screen : m_screens) {
        shown += screen.nativeRect().intersected(native);
    }
    return shown;
}

void ScreenLayout::clearUnshown(QImage& grab, const QRect& native) const
{
    const QRegion hidden = QRegion(native) - shownRegion(native);
    if (hidden.isEmpty() || grab.isNull()) {
        return;
    }
    if (!grab.hasAlphaChannel()) {
        grab.convertTo(QImage::Format_ARGB32_Premultiplied);
    }
    const qreal ratio = grab.devicePixelRatio();
    grab.setDevicePixelRatio(1);
    {
        QPainter painter(&grab);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        for (const QRect& part : hidden) {
            painter.fillRect(part.translated(-native.topLeft()), Qt::transparent);
        }
    }
    grab.setDevicePixelRatio(ratio);
}

} // namespace velmora
