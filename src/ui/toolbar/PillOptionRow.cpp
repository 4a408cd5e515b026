#include "toolbar/PillOptionRow.h"

#include "toolbar/ToolbarStyle.h"

#include <QPainter>

namespace velmora {

namespace {
constexpr int horizontalPadding = 8;
constexpr int checkPoints = 12;
constexpr qreal cornerRadius = 5;
} // namespace

PillOptionRow::PillOptionRow(const QString& text, ContentPainter content, bool isSelected, QWidget* parent)
    : QAbstractButton(parent), m_content(std::move(content)), m_isSelected(isSelected)
{
    setText(text);
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
    if (m_isHovered || isDown()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(isDown() ? pressedFill(pal) : hoverFill(pal));
        painter.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    }
    const QRectF check(width() - horizontalPadding - checkPoints, 0, checkPoints, height());
    const QRectF content(horizontalPadding, 0, check.left() - 6 - horizontalPadding, height());
    painter.save();
    m_content(painter, content, pal);
    painter.restore();
    if (m_isSelected) {
        drawIcon(painter, check, QStringLiteral("check"), accent(pal), checkPoints);
    }
}

void PillOptionRow::enterEvent(QEnterEvent* event)
{
    m_isHovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PillOptionRow::leaveEvent(QEvent* event)
{
    m_isHovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace velmora
