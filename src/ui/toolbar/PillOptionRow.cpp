#include "toolbar/PillOptionRow.h"

#include "toolbar/ToolbarStyle.h"

#include <QPainter>

namespace velmora {

namespace {
constexpr int horizontalPadding = 8;
constexpr int checkPoints = 12;
constexpr qreal cornerRadius = 5;
} // namespace

PillOptionRow::PillOptionRow(PillOption option, QWidget* parent)
    : QAbstractButton(parent), m_option(std::move(option))
{
    setText(m_option.label);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize PillOptionRow::sizeHint() const
{
    return {100, rowHeight};
}

void PillOptionRow::paintEvent(QPaintEvent*)
{
    using namespace toolbarstyle;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    if (m_hover->isHovered() || isDown()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(isDown() ? pressedFill(pal) : hoverFill(pal));
        painter.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    }
    const QRectF check(width() - horizontalPadding - checkPoints, 0, checkPoints, height());
    const QRectF content(horizontalPadding, 0, check.left() - 6 - horizontalPadding, height());
    painter.save();
    if (m_option.sample) {
        m_option.sample(painter,
                        QRectF(content.left(), content.top(), m_option.sampleWidth, content.height()), pal);
    }
    if (m_option.labelPixelSize > 0) {
        QFont font = painter.font();
        font.setPixelSize(m_option.labelPixelSize);
        painter.setFont(font);
    }
    painter.setPen(primary(pal));
    const qreal labelOffset = m_option.sample ? m_option.sampleWidth + m_option.labelGap : 0;
    painter.drawText(content.adjusted(labelOffset, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     m_option.label);
    painter.restore();
    if (m_option.isSelected) {
        drawIcon(painter, check, QStringLiteral("check"), accent(pal), checkPoints);
    }
}

} // namespace velmora
