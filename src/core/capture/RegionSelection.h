#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

namespace velmora {

// The eight resize handles of a region, in the order they are hit-tested.
enum class RegionHandle { nw, n, ne, e, se, s, sw, w };

// The pointer shape an overlay shows over a point of its region.
enum class RegionCursor { arrow, crosshair, resizeVertical, resizeHorizontal, openHand };

// What one mouse step did to the region, for the overlay's owner.
enum class RegionChange {
    none,
    firstSelected, // the first rectangle was completed
    changed,       // an existing region was redrawn, moved or resized
};

// The rectangle a user drags out over one screen and then moves or resizes by its handles, without
// any widget: the region picker and the scrolling capture's frame share it. Everything is in the
// screen's own points, origin at its top-left corner, y down.
class RegionSelection
{
public:
    static constexpr qreal handleVisualSize = 10;
    static constexpr qreal handleHitSize = 20;
    static constexpr qreal minRegionSize = 16;

    enum class Interaction { idle, drawing, movingBody, resizingHandle };

    explicit RegionSelection(const QSizeF& screenSize) : m_screenSize(screenSize) {}

    RegionChange mouseDown(const QPointF& p);
    RegionChange mouseDragged(const QPointF& p);
    RegionChange mouseUp(const QPointF& p);

    // While locked every gesture is ignored; an owner locks the region it has taken over.
    bool isLocked() const { return m_locked; }
    void setLocked(bool locked);

    const std::optional<QRectF>& region() const { return m_region; }
    void setRegion(const std::optional<QRectF>& region) { m_region = region; }
    Interaction interaction() const { return m_interaction; }
    // The rectangle being dragged out while drawing, else the region.
    std::optional<QRectF> currentRect() const;

    QSizeF screenSize() const { return m_screenSize; }
    RegionCursor cursorAt(const std::optional<QPointF>& p) const;
    std::optional<RegionHandle> handleAt(const QPointF& p) const;
    static QPointF handlePoint(const QRectF& rect, RegionHandle handle);

private:
    QPointF clampedToScreen(const QPointF& p) const;
    QRectF resized(const QPointF& p) const;

    QSizeF m_screenSize;
    std::optional<QRectF> m_region;
    bool m_locked = false;
    Interaction m_interaction = Interaction::idle;
    RegionHandle m_handle = RegionHandle::nw;
    QPointF m_startMouse;   // where the gesture began
    QPointF m_currentMouse; // drawing: the corner opposite the start
    QRectF m_startRect;     // moving and resizing: the region when the gesture began
};

} // namespace velmora
