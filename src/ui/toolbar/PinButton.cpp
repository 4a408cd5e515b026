#include "toolbar/PinButton.h"

#include "toolbar/ToolbarStyle.h"

#include <QPainter>
#include <QPainterPath>

namespace velmora {

PinButton::PinButton(QWidget* parent) : QAbstractButton(parent)
{
    setText(tr("Pin"));
    QFont label = font();
    label.setPixelSize(12);
    label.setWeight(QFont::Medium);
    setFont(label);
    setToolTip(tr("Pin to Screen") + QStringLiteral("   Ctrl+P"));
    setAccessibleName(tr("Pin to Screen"));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize PinButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(text()) + iconSpacing + iconPoints;
    const int height = std::max(metrics.height(), iconPoints);
    return {width + 2 * horizontalPadding, height + 2 * verticalPadding};
}

void PinButton::paintEvent(QPaintEvent*)
{
    using namespace toolbarstyle;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();

    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath capsule;
    capsule.addRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);
    if (isEnabled() && (m_hover->isHovered() || isDown())) {
        painter.fillPath(capsule, primary(pal, isDown() ? 0.14 : 0.08));
    }
    painter.setPen(QPen(primary(pal, 0.12), 1.0));
    painter.drawPath(capsule);

    const QRect content =
        rect().adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding);
    painter.setFont(font());
    painter.setPen(primary(pal, isEnabled() ? 1.0 : 0.3));
    const int textWidth = QFontMetrics(font()).horizontalAdvance(text());
    painter.drawText(QRect(content.left(), content.top(), textWidth, content.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
    // The icon in the secondary colour: the word carries the meaning, the icon only echoes it.
    const QRectF iconBox(content.right() + 1 - iconPoints, content.top(), iconPoints, content.height());
    drawIcon(painter, iconBox, QStringLiteral("pin"), primary(pal, isEnabled() ? 0.55 : 0.2), iconPoints);
}

} // namespace velmora
