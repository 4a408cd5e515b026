#include "toolbar/ColorSwatchButton.h"

#include "toolbar/ToolbarStyle.h"

#include <QPainter>

namespace velmora {

ColorSwatchButton::ColorSwatchButton(const Color& color, bool isSelected, QWidget* parent)
    : QAbstractButton(parent), m_color(color), m_isSelected(isSelected)
{
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setText(color.hexRgb());
}

void ColorSwatchButton::setSelected(bool selected)
{
    if (m_isSelected != selected) {
        m_isSelected = selected;
        update();
    }
}

void ColorSwatchButton::paintEvent(QPaintEvent*)
{
    using namespace toolbarstyle;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QRectF outer = QRectF(rect()).adjusted(1, 1, -1, -1);

    // Selected and hovered swatches shrink inside a ring, so the ring never covers the colour.
    const bool ringed = m_isSelected || m_hover->isHovered();
    const QRectF disc = ringed ? outer.adjusted(3, 3, -3, -3) : outer;
    painter.setPen(QPen(primary(pal, 0.18), 1));
    painter.setBrush(m_color.toQColor());
    painter.drawEllipse(disc);

    if (ringed) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(m_isSelected ? accent(pal) : primary(pal, 0.35), 2));
        painter.drawEllipse(outer);
    }
}

} // namespace velmora
