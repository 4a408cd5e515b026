#include "RegionSelection.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace velmora {

namespace {

constexpr std::array allHandles = {RegionHandle::nw, RegionHandle::n, RegionHandle::ne, RegionHandle::e,
                                   RegionHandle::se, RegionHandle::s, RegionHandle::sw, RegionHandle::w};

QRectF spanning(const QPointF& a, const QPointF& b)
{
    return QRectF(QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                  QPointF(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

} // namespace

void RegionSelection::setLocked(bool locked)
{
    m_locked = locked;
    // A gesture cut off by the lock must not resume when the region is unlocked again.
    m_interaction = Interaction::idle;
}

std::optional<QRectF> RegionSelection::currentRect() const
{
    if (m_interaction == Interaction::drawing) {
        return spanning(m_startMouse, m_currentMouse);
    }
    return m_region;
}

QPointF RegionSelection::clampedToScreen(const QPointF& p) const
{
    // The pointer can leave the overlay while a button is held; a new rectangle still ends at the
    // edge of the screen it was drawn on.
    return QPointF(std::clamp(p.x(), 0.0, m_screenSize.width()),
                   std::clamp(p.y(), 0.0, m_screenSize.height()));
}

QPointF RegionSelection::handlePoint(const QRectF& r, RegionHandle handle)
{
    switch (handle) {
    case RegionHandle::nw:
        return r.topLeft();
    case RegionHandle::n:
        return QPointF(r.center().x(), r.top());
    case RegionHandle::ne:
        return r.topRight();
    case RegionHandle::e:
        return QPointF(r.right(), r.center().y());
    case RegionHandle::se:
        return r.bottomRight();
    case RegionHandle::s:
        return QPointF(r.center().x(), r.bottom());
    case RegionHandle::sw:
        return r.bottomLeft();
    case RegionHandle::w:
        return QPointF(r.left(), r.center().y());
    }
    return r.center();
}

std::optional<RegionHandle> RegionSelection::handleAt(const QPointF& p) const
{
    if (!m_region) {
        return std::nullopt;
    }
    const qreal half = handleHitSize / 2;
    for (RegionHandle handle : allHandles) {
        const QPointF c = handlePoint(*m_region, handle);
        if (std::abs(p.x() - c.x()) <= half && std::abs(p.y() - c.y()) <= half) {
            return handle;
        }
    }
    return std::nullopt;
}

RegionChange RegionSelection::mouseDown(const QPointF& p)
{
    if (m_locked) {
        return RegionChange::none;
    }
    if (!m_region) {
        m_interaction = Interaction::drawing;
        m_startMouse = m_currentMouse = clampedToScreen(p);
    } else if (const auto handle = handleAt(p)) {
        m_interaction = Interaction::resizingHandle;
        m_handle = *handle;
        m_startMouse = p;
        m_startRect = *m_region;
    } else if (m_region->contains(p)) {
        m_interaction = Interaction::movingBody;
        m_startMouse = p;
        m_startRect = *m_region;
    }
    // Outside an existing region nothing starts: a stray click must not throw the region away.
    return RegionChange::none;
}

QRectF RegionSelection::resized(const QPointF& p) const
{
    const QPointF d = p - m_startMouse;
    qreal left = m_startRect.left();
    qreal top = m_startRect.top();
    qreal right = m_startRect.right();
    qreal bottom = m_startRect.bottom();
    switch (m_handle) {
    case RegionHandle::nw:
        top += d.y();
        left += d.x();
        break;
    case RegionHandle::n:
        top += d.y();
        break;
    case RegionHandle::ne:
        top += d.y();
        right += d.x();
        break;
    case RegionHandle::e:
        right += d.x();
        break;
    case RegionHandle::se:
        bottom += d.y();
        right += d.x();
        break;
    case RegionHandle::s:
        bottom += d.y();
        break;
    case RegionHandle::sw:
        bottom += d.y();
        left += d.x();
        break;
    case RegionHandle::w:
        left += d.x();
        break;
    }
    // An edge dragged across its opposite flips the rectangle rather than inverting it.
    const QRectF flipped = spanning(QPointF(left, top), QPointF(right, bottom));
    const qreal l = std::max(0.0, flipped.left());
    const qreal t = std::max(0.0, flipped.top());
    const qreal r = std::min(flipped.right(), m_screenSize.width());
    const qreal b = std::min(flipped.bottom(), m_screenSize.height());
    return QRectF(l, t, std::max(r - l, minRegionSize), std::max(b - t, minRegionSize));
}

RegionChange RegionSelection::mouseDragged(const QPointF& p)
{
    if (m_locked) {
        return RegionChange::none;
    }
    switch (m_interaction) {
    case Interaction::drawing:
        m_currentMouse = clampedToScreen(p);
        return RegionChange::none;
    case Interaction::movingBody: {
        QPointF origin = m_startRect.topLeft() + (p - m_startMouse);
        origin.setX(std::max(0.0, std::min(origin.x(), m_screenSize.width() - m_startRect.width())));
        origin.setY(std::max(0.0, std::min(origin.y(), m_screenSize.height() - m_startRect.height())));
        m_region = QRectF(origin, m_startRect.size());
        return RegionChange::changed;
    }
    case Interaction::resizingHandle:
        m_region = resized(p);
        return RegionChange::changed;
    case Interaction::idle:
        break;
    }
    return RegionChange::none;
}

RegionChange RegionSelection::mouseUp(const QPointF& p)
{
    if (m_locked) {
        return RegionChange::none;
    }
    const Interaction ended = m_interaction;
    m_interaction = Interaction::idle;
    switch (ended) {
    case Interaction::drawing: {
        const QRectF rect = spanning(m_startMouse, clampedToScreen(p));
        if (rect.width() < minRegionSize || rect.height() < minRegionSize) {
            return RegionChange::none;
        }
        const bool hadRegion = m_region.has_value();
        m_region = rect;
        return hadRegion ? RegionChange::changed : RegionChange::firstSelected;
    }
    case Interaction::movingBody:
    case Interaction::resizingHandle:
        return m_region ? RegionChange::changed : RegionChange::none;
    case Interaction::idle:
        break;
    }
    return RegionChange::none;
}

RegionCursor RegionSelection::cursorAt(const std::optional<QPointF>& p) const
{
    if (m_locked) {
        return RegionCursor::arrow;
    }
    if (!m_region) {
        return RegionCursor::crosshair;
    }
    if (!p) {
        return RegionCursor::arrow;
    }
    if (const auto handle = handleAt(*p)) {
        switch (*handle) {
        case RegionHandle::n:
        case RegionHandle::s:
            return RegionCursor::resizeVertical;
        case RegionHandle::e:
        case RegionHandle::w:
            return RegionCursor::resizeHorizontal;
        default:
            return RegionCursor::crosshair;
        }
    }
    return m_region->contains(*p) ? RegionCursor::openHand : RegionCursor::arrow;
}

} // namespace velmora
