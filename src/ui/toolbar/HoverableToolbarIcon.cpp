#include "toolbar/HoverableToolbarIcon.h"

#include "toolbar/ToolbarStyle.h"

#include <QPainter>

namespace velmora {

namespace {
constexpr qreal cornerRadius = 6;
} // namespace

HoverableToolbarIcon::HoverableToolbarIcon(const QString& iconName, QWidget* parent)
    : QAbstractButton(parent), m_iconName(iconName)
{
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void HoverableToolbarIcon::setSelected(bool selected)
{
    if (m_isSelected != selected) {
        m_isSelected = selected;
        update();
    }
}

void HoverableToolbarIcon::setActiveColor(const QColor& color)
{
    m_activeColor = color;
    update();
}

void HoverableToolbarIcon::paintEvent(QPaintEvent*)
{
    using namespace toolbarstyle;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

    QColor fill = Qt::transparent;
    QColor tint = primary(pal, isEnabled() ? 0.85 : 0.3);
    if (m_isSelected) {
        fill = m_activeColor.isValid() ? m_activeColor : accent(pal);
        tint = onAccent(pal);
    } else if (isDown() && isEnabled()) {
        fill = pressedFill(pal);
    } else if (m_hover->isHovered() && isEnabled()) {
        fill = hoverFill(pal);
    }
    if (fill.alpha() > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(box, cornerRadius, cornerRadius);
    }
    drawIcon(painter, rect(), m_iconName, tint, iconPoints);
}

} // namespace velmora
