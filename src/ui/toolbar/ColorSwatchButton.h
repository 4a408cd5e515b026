#pragma once

#include "HoverTracker.h"
#include "imaging/Color.h"

#include <QAbstractButton>

namespace velmora {

// A 22-point colour circle; a ring marks the selected swatch, a fainter one the hovered swatch.
class ColorSwatchButton : public QAbstractButton
{
    Q_OBJECT

public:
    ColorSwatchButton(const Color& color, bool isSelected, QWidget* parent = nullptr);

    const Color& color() const { return m_color; }
    bool isSelected() const { return m_isSelected; }
    void setSelected(bool selected);

    QSize sizeHint() const override { return {diameter, diameter}; }

    static constexpr int diameter = 22;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Color m_color;
    bool m_isSelected;
    HoverTracker* m_hover = new HoverTracker(this);
};

} // namespace velmora
