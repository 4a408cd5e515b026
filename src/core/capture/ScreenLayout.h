#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QRectF>

#include <optional>

class QScreen;

namespace velmora {

// One monitor as Qt describes it: its geometry in device-independent points (global, top-left
// origin, y down) and its pixel density. The desktop's own pixels (X's root window) are "native".
struct ScreenGeometry
{
    QRect geometry;
    qreal devicePixelRatio = 1.0;
    QString name;

    // Qt keeps a screen's top-left corner where it is in native pixels and scales only its size.
    QRect nativeRect() const;
    // A rectangle in points relative to this screen's top-left corner, in native pixels. Each edge
    // is rounded to the nearest pixel, so a grab of W×H points on a ratio-2 screen is 2W×2H pixels.
    QRect localToNative(const QRectF& local) const;
    // A rectangle of native pixels (anywhere on the desktop) in this screen's global points.
    QRectF nativeToGlobal(const QRect& native) const;

    bool operator==(const ScreenGeometry&) const = default;
};

// The monitors in the system's order, and the questions capture asks of them. Built from
// QGuiApplication's screens in the program and from hand-made layouts in tests.
class ScreenLayout
{
public:
    ScreenLayout() = default;
    explicit ScreenLayout(QList<ScreenGeometry> screens);
    static ScreenLayout fromScreens(const QList<QScreen*>& screens);
    static ScreenLayout current();

    const QList<ScreenGeometry>& screens() const { return m_screens; }
    bool isEmpty() const { return m_screens.isEmpty(); }

    // The first screen whose geometry contains the point (edges included).
    std::optional<int> screenAt(const QPointF& globalPoint) const;
    // The first screen a rectangle (global points) intersects.
    std::optional<int> screenIntersecting(const QRectF& global) const;
    // The first screen whose native rectangle contains the native point.
    std::optional<int> screenAtNative(const QPoint& nativePoint) const;

    // The bounding rectangle of every screen, in native pixels.
    QRect nativeBounds() const;
    // A native rectangle clipped to the union of the screens: what of it some screen shows. Empty
    // when it lies off every screen.
    QRect clipToScreens(const QRect& native) const;

private:
    QList<ScreenGeometry> m_screens;
};

} // namespace velmora
