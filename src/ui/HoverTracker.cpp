#include "HoverTracker.h"

#include <QEvent>
#include <QWidget>

namespace velmora {

HoverTracker::HoverTracker(QWidget* widget, Reaction onChange)
    : QObject(widget), m_widget(widget), m_onChange(std::move(onChange))
{
    widget->installEventFilter(this);
}

void HoverTracker::setHovered(bool hovered)
{
    if (hovered == m_isHovered) {
        return;
    }
    m_isHovered = hovered;
    if (m_onChange) {
        m_onChange(hovered);
    } else {
        m_widget->update();
    }
}

bool HoverTracker::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_widget) {
        if (event->type() == QEvent::Enter) {
            setHovered(true);
        } else if (event->type() == QEvent::Leave) {
            setHovered(false);
        }
    }
    // The widget still gets the event.
    return false;
}

} // namespace velmora
