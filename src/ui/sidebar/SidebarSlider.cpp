#include "sidebar/SidebarSlider.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

namespace velmora {

SidebarSlider::SidebarSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setTickPosition(QSlider::NoTicks);
    setTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_MacSmallSize);
}

QRect SidebarSlider::handleRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

QRect SidebarSlider::grooveRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
}

void SidebarSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QRect handle = handleRect();
        const QPoint point = event->position().toPoint();
        if (!handle.contains(point)) {
            const QRect groove = grooveRect();
            const int span = groove.width() - handle.width();
            const int position = point.x() - groove.x() - handle.width() / 2;
            setValue(
                QStyle::sliderValueFromPosition(minimum(), maximum(), position, span, invertedAppearance()));
            // The handle now lies under the pointer, so the press below picks it up for dragging.
        }
    }
    QSlider::mousePressEvent(event);
}

void SidebarSlider::wheelEvent(QWheelEvent* event)
{
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QSlider::wheelEvent(event);
}

} // namespace velmora
