#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace velmora {

// Follows whether the pointer is over a widget, from the enter and leave events the widget gets.
// A widget owns one (it is the widget's child) instead of overriding enterEvent and leaveEvent. By
// default each change repaints the widget, which is all a hover highlight needs; a widget that
// does more when hovered passes its own reaction instead.
class HoverTracker : public QObject
{
public:
    using Reaction = std::function<void(bool hovered)>;

    explicit HoverTracker(QWidget* widget, Reaction onChange = {});

    bool isHovered() const { return m_isHovered; }
    // Reacts only to a change. For the pointer found over the widget without an enter event, as
    // when the widget appears under a resting pointer.
    void setHovered(bool hovered);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_widget;
    Reaction m_onChange;
    bool m_isHovered = false;
};

} // namespace velmora
