#pragma once

#include "HoverTracker.h"

#include <QAbstractButton>
#include <QColor>

namespace velmora {

// A 33 × 29 toolbar button showing one line icon: filled with the accent colour while selected,
// with a faint fill while hovered, otherwise clear.
class HoverableToolbarIcon : public QAbstractButton
{
    Q_OBJECT

public:
    explicit HoverableToolbarIcon(const QString& iconName, QWidget* parent = nullptr);

    QString iconName() const { return m_iconName; }
    bool isSelected() const { return m_isSelected; }
    void setSelected(bool selected);
    // A button that stands for a state (a tool, a mode) rather than a command: a menu offering it
    // shows a check mark while it is selected.
    bool isToggle() const { return m_isToggle; }
    void setToggle(bool toggle) { m_isToggle = toggle; }
    // The selected fill; the palette's highlight colour unless set.
    void setActiveColor(const QColor& color);
    bool isHovered() const { return m_hover->isHovered(); }

    QSize sizeHint() const override { return {33, 29}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_iconName;
    QColor m_activeColor;
    bool m_isSelected = false;
    bool m_isToggle = false;
    HoverTracker* m_hover = new HoverTracker(this);
};

} // namespace velmora
