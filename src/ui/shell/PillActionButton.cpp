#include "shell/PillActionButton.h"

#include <QPainter>
#include <QPainterPath>

namespace velmora {

namespace {

QFont titleFont(const QFont& base)
{
    QFont font = base;
    font.setPixelSize(12);
    font.setWeight(QFont::Medium);
    return font;
}

} // namespace

PillActionButton::PillActionButton(const NotificationAction& action, IconPixmapProvider icons,
                                   QWidget* parent)
    : QAbstractButton(parent), m_iconName(action.iconName), m_icons(std::move(icons))
{
    setText(action.title);
    setFont(titleFont(font()));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    // Repaint on enter and leave for the hover capsule.
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QPixmap PillActionButton::iconPixmap() const
{
    if (m_iconName.isEmpty() || !m_icons)
        return {};
    return m_icons(m_iconName, Qt::white, iconSize, devicePixelRatioF());
}

QSize PillActionButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    int width = metrics.horizontalAdvance(text());
    if (!iconPixmap().isNull())
        width += iconSize + iconSpacing;
    const int height = qMax(metrics.height(), iconSize);
    return {width + 2 * horizontalPadding, height + 2 * verticalPadding};
}

void PillActionButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    if (underMouse() || isDown()) {
        const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QPainterPath capsule;
        capsule.addRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);
        painter.fillPath(capsule, QColor(255, 255, 255, isDown() ? 56 : 31));
    }

    QRect content = rect().adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding);
    const QPixmap icon = iconPixmap();
    if (!icon.isNull()) {
        const QRect iconRect(content.left(), content.top() + (content.height() - iconSize + 1) / 2, iconSize,
                             iconSize);
        painter.drawPixmap(iconRect, icon);
        content.setLeft(iconRect.left() + iconSize + iconSpacing);
    }
    painter.setPen(Qt::white);
    painter.setFont(font());
    painter.drawText(content, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
}

} // namespace velmora
