#include "sidebar/ColorSwatchThumbnail.h"

#include "sidebar/CheckerboardThumbnail.h"

#include <QPainter>

namespace velmora {

ColorSwatchThumbnail::ColorSwatchThumbnail(const Color& color, QWidget* parent)
    : BackgroundThumbnail(parent), m_color(color)
{}

void ColorSwatchThumbnail::setColor(const Color& color)
{
    if (m_color == color) {
        return;
    }
    m_color = color;
    update();
}

void ColorSwatchThumbnail::paintContent(QPainter& painter, const QRectF& rect)
{
    if (m_color.alpha < 1) {
        CheckerboardThumbnail::paintPattern(painter, rect, isDarkPalette());
    }
    painter.fillRect(rect, m_color.toQColor());
}

} // namespace velmora
