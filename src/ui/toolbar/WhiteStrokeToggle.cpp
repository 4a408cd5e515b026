#include "toolbar/WhiteStrokeToggle.h"

#include "toolbar/ToolbarStyle.h"

#include <QPainter>

namespace velmora {

WhiteStrokeToggle::WhiteStrokeToggle(QWidget* parent) : QAbstractButton(parent)
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::toggled, this, &WhiteStrokeToggle::updateToolTip);
    updateToolTip();
}

QSize WhiteStrokeToggle::sizeHint() const
{
    return {33, toolbarstyle::controlHeight};
}

void WhiteStrokeToggle::setColor(const Color& color)
{
    if (!(m_color == color)) {
        m_color = color;
        update();
    }
}

void WhiteStrokeToggle::updateToolTip()
{
    setToolTip(isChecked() ? QStringLiteral("Disable white outline")
                           : QStringLiteral("Enable white outline"));
}

void WhiteStrokeToggle::paintEvent(QPaintEvent*)
{
    using namespace toolbarstyle;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();

    QColor fill = restFill(pal);
    if (isDown()) {
        fill = pressedFill(pal);
    } else if (isChecked()) {
        QColor tinted = accent(pal);
        tinted.setAlphaF(isDark(pal) ? 0.30f : 0.18f);
        fill = tinted;
    } else if (m_hover->isHovered()) {
        fill = hoverFill(pal);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);

    // The glyph: a disc of the annotation colour, wrapped in a white band when the outline is on
    // and in a faint dashed ring when it is off.
    const QPointF centre = QRectF(rect()).center();
    const QRectF band(centre.x() - 8, centre.y() - 8, 16, 16);
    const QRectF disc = band.adjusted(3.5, 3.5, -3.5, -3.5);
    if (isChecked()) {
        painter.setPen(QPen(primary(pal, 0.35), 1));
        painter.setBrush(Qt::white);
        painter.drawEllipse(band);
        painter.setPen(Qt::NoPen);
    } else {
        QPen dashed(primary(pal, 0.45), 1.2, Qt::DashLine);
        dashed.setDashPattern({2, 2});
        painter.setPen(dashed);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(band.adjusted(0.5, 0.5, -0.5, -0.5));
        painter.setPen(QPen(primary(pal, 0.2), 1));
    }
    painter.setBrush(m_color.toQColor());
    painter.drawEllipse(disc);
}

} // namespace velmora
