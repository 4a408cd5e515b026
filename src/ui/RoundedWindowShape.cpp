#include "RoundedWindowShape.h"

#include "CompositorWatch.h"

#include <QEvent>
#include <QWidget>

namespace velmora {

RoundedWindowShape::RoundedWindowShape(QWidget* window, qreal radius, CompositorWatch* watch)
    : RoundedWindowShape(
          window,
          [radius](const QSizeF& size) {
              QPainterPath path;
              path.addRoundedRect(QRectF(QPointF(), size), radius, radius);
              return path;
          },
          watch)
{}

RoundedWindowShape::RoundedWindowShape(QWidget* window, Outline outline, CompositorWatch* watch)
    : QObject(window), m_window(window), m_outline(std::move(outline)),
      m_watch(watch ? watch : CompositorWatch::shared())
{
    // Translucent in both cases: the attribute picks the window's visual when it is created, which
    // cannot change later, and an ARGB window painted opaque inside a mask looks right without a
    // compositor too.
    m_window->setAttribute(Qt::WA_TranslucentBackground);
    m_window->installEventFilter(this);
    if (m_watch)
        connect(m_watch, &CompositorWatch::runningChanged, this, [this] {
            apply();
            m_window->update();
        });
    apply();
}

RoundedWindowShape::Outline RoundedWindowShape::capsule()
{
    return [](const QSizeF& size) {
        QPainterPath path;
        const qreal radius = size.height() / 2;
        path.addRoundedRect(QRectF(QPointF(), size), radius, radius);
        return path;
    };
}

bool RoundedWindowShape::isOpaque() const
{
    return m_watch && !m_watch->isRunning();
}

bool RoundedWindowShape::paintsOpaque(const QWidget* widget)
{
    if (!widget)
        return false;
    const auto* shape =
        widget->window()->findChild<RoundedWindowShape*>(QString(), Qt::FindDirectChildrenOnly);
    return shape && shape->isOpaque();
}

QRegion RoundedWindowShape::regionFor(const QPainterPath& outline)
{
    // Row by row, from each end inwards until a pixel's centre is inside: the outlines are convex,
    // so what lies between is inside too, and only the rows through the corners take more than one
    // test at each end. (A region made from the outline's polygon rounds its vertices to whole
    // pixels, which shows or hides whole pixels along the arcs.)
    const QRect bounds = outline.boundingRect().toAlignedRect();
    QRegion region;
    QRect run;
    for (int y = bounds.top(); y <= bounds.bottom(); ++y) {
        const qreal centreY = y + 0.5;
        int left = bounds.left();
        while (left <= bounds.right() && !outline.contains(QPointF(left + 0.5, centreY)))
            ++left;
        int right = bounds.right();
        while (right > left && !outline.contains(QPointF(right + 0.5, centreY)))
            --right;
        const QRect row = left <= right ? QRect(left, y, right - left + 1, 1) : QRect();
        // Rows of the same span make one rectangle: the straight sides are a single one.
        if (!run.isNull() && !row.isNull() && row.left() == run.left() && row.right() == run.right()) {
            run.setBottom(y);
            continue;
        }
        region += run;
        run = row;
    }
    return region + run;
}

bool RoundedWindowShape::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::Resize) {
            apply();
        } else if (event->type() == QEvent::Show && m_watch) {
            // A poll may be up to its interval old; a window appearing wants the answer now. A
            // change re-applies through runningChanged.
            m_watch->refresh();
        }
    }
    return QObject::eventFilter(watched, event);
}

void RoundedWindowShape::apply()
{
    if (isOpaque())
        m_window->setMask(regionFor(m_outline(QSizeF(m_window->size()))));
    else
        m_window->clearMask();
}

} // namespace velmora
