#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <QString>

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
    // is rounded to the nearest pixel (half-way up), so a grab of W×H points on a ratio-2 screen is
    // 2W×2H pixels wherever it starts.
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
    // A native rectangle cut down to the bounding rectangle of what the screens show of it; empty
    // when it lies off every screen. A capture stays one rectangle, so across screens of different
    // sizes or offsets the result can still hold pixels that no screen shows (a rectangle across a
    // 1080-high and a 1440-high screen keeps the full 1440 rows, 360 of them under the shorter
    // screen). Those pixels are the root window's memory that no monitor scans out: whatever was
    // last drawn there. A grab of the rectangle passes through clearUnshown(), which makes them
    // transparent, so a capture never shows what was not on screen and never loses what was.
    QRect clipToScreens(const QRect& native) const;
    // The pixels of a native rectangle that some screen shows.
    QRegion shownRegion(const QRect& native) const;
    // Makes transparent the pixels of `grab` (the desktop's pixels at `native`, one image pixel per
    // native pixel) that no screen shows.
    void clearUnshown(QImage& grab, const QRect& native) const;

private:
    QList<ScreenGeometry> m_screens;
};

} // namespace velmora
