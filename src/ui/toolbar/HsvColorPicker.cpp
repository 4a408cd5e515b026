#include "toolbar/HsvColorPicker.h"

#include "toolbar/ToolbarStyle.h"

#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace velmora {

namespace {
constexpr int pickerWidth = 178; // a 190-point popover less its padding
constexpr int squareHeight = 120;
constexpr int hueHeight = 12;
constexpr int rowHeight = 24;
constexpr int gap = 8;
constexpr int markerInset = 7;
} // namespace

HsvColorPicker::HsvColorPicker(QWidget* parent) : QWidget(parent), m_hex(new QLineEdit(this))
{
    setFixedSize(sizeHint());
    setCursor(Qt::CrossCursor);
    m_hex->setGeometry(rowHeight + 6, height() - rowHeight, pickerWidth - rowHeight - 6, rowHeight);
    m_hex->setCursor(Qt::IBeamCursor);
    m_hex->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("#?[0-9A-Fa-f]{0,6}")), m_hex));
    m_hex->setToolTip(QStringLiteral("Hex code"));
    connect(m_hex, &QLineEdit::editingFinished, this, [this] {
        // Leaving the field untouched is no choice: the code shown is a rounded copy of the colour.
        if (!m_hex->isModified()) {
            return;
        }
        QString text = m_hex->text().trimmed();
        if (!text.startsWith(QLatin1Char('#'))) {
            text.prepend(QLatin1Char('#'));
        }
        const QColor typed = QColor::fromString(text);
        if (typed.isValid() && text.size() == 7) {
            setCurrentColor(typed);
        } else {
            showHex();
        }
    });
    showHex();
}

QSize HsvColorPicker::sizeHint() const
{
    return {pickerWidth, squareHeight + gap + hueHeight + gap + rowHeight};
}

// Both areas keep clear of the edges by a marker's radius, so a marker at an end is whole.
QRect HsvColorPicker::saturationValueArea() const
{
    return {markerInset, markerInset, pickerWidth - 2 * markerInset, squareHeight - markerInset};
}

QRect HsvColorPicker::hueArea() const
{
    return {markerInset, squareHeight + gap, pickerWidth - 2 * markerInset, hueHeight};
}

void HsvColorPicker::setCurrentColor(const QColor& color)
{
    if (!color.isValid()) {
        return;
    }
    const QColor hsv = color.toHsv();
    // Grey has no hue: keep the one shown, so the square does not jump to red.
    const double hue = hsv.hsvHueF() < 0 ? m_hue : hsv.hsvHueF();
    // The colour itself is kept as given, not rebuilt from its rounded HSV components.
    setColor(color.toRgb(), hue, hsv.hsvSaturationF(), hsv.valueF());
}

void HsvColorPicker::setHsv(double hue, double saturation, double value)
{
    hue = std::clamp(hue, 0.0, 1.0);
    saturation = std::clamp(saturation, 0.0, 1.0);
    value = std::clamp(value, 0.0, 1.0);
    setColor(QColor::fromHsvF(float(hue), float(saturation), float(value)).toRgb(), hue, saturation, value);
}

void HsvColorPicker::setColor(const QColor& color, double hue, double saturation, double value)
{
    const bool changed = color != m_color;
    m_color = color;
    m_hue = hue;
    m_saturation = saturation;
    m_value = value;
    update();
    showHex();
    if (changed) {
        Q_EMIT currentColorChanged(m_color);
    }
}

void HsvColorPicker::showHex()
{
    if (!m_hex->hasFocus() || !m_hex->isModified()) {
        m_hex->setText(m_color.name().toUpper());
        m_hex->setModified(false);
    }
}

void HsvColorPicker::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QColor ring = toolbarstyle::primary(pal, 0.25);

    // The square: the pure hue, whitened to the left and darkened towards the bottom.
    const QRectF square = saturationValueArea();
    QPainterPath squarePath;
    squarePath.addRoundedRect(square, 5, 5);
    painter.save();
    painter.setClipPath(squarePath);
    painter.fillRect(square, QColor::fromHsvF(float(m_hue), 1, 1));
    QLinearGradient white(square.topLeft(), square.topRight());
    white.setColorAt(0, Qt::white);
    white.setColorAt(1, QColor(255, 255, 255, 0));
    painter.fillRect(square, white);
    QLinearGradient black(square.topLeft(), square.bottomLeft());
    black.setColorAt(0, QColor(0, 0, 0, 0));
    black.setColorAt(1, Qt::black);
    painter.fillRect(square, black);
    painter.restore();

    QLinearGradient hues(hueArea().topLeft(), hueArea().topRight());
    for (int i = 0; i <= 6; ++i) {
        hues.setColorAt(i / 6.0, QColor::fromHsvF(float(std::min(i / 6.0, 0.9999)), 1, 1));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(hues);
    painter.drawRoundedRect(hueArea(), hueHeight / 2.0, hueHeight / 2.0);

    // Markers: rings that read on light and dark colours alike.
    const auto marker = [&painter](const QPointF& centre) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(0, 0, 0, 110), 3));
        painter.drawEllipse(centre, 5, 5);
        painter.setPen(QPen(Qt::white, 1.5));
        painter.drawEllipse(centre, 5, 5);
    };
    marker(QPointF(square.left() + m_saturation * square.width(),
                   square.top() + (1 - m_value) * square.height()));
    const QRectF hue = hueArea();
    marker(QPointF(hue.left() + m_hue * hue.width(), hue.center().y()));

    const QRectF swatch(0.5, height() - rowHeight + 0.5, rowHeight - 1, rowHeight - 1);
    painter.setPen(QPen(ring, 1));
    painter.setBrush(m_color);
    painter.drawRoundedRect(swatch, 5, 5);
}

void HsvColorPicker::pickAt(const QPoint& point)
{
    if (m_dragging == Part::saturationValue) {
        const QRect square = saturationValueArea();
        setHsv(m_hue, double(point.x() - square.left()) / square.width(),
               1 - double(point.y() - square.top()) / square.height());
    } else if (m_dragging == Part::hue) {
        const QRect hue = hueArea();
        setHsv(double(point.x() - hue.left()) / hue.width(), m_saturation, m_value);
    }
}

void HsvColorPicker::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // A press in the margins still picks: at the edge of the square or an end of the thin strip.
    if (saturationValueArea().adjusted(-markerInset, -markerInset, markerInset, gap / 2).contains(p)) {
        m_dragging = Part::saturationValue;
    } else if (hueArea().adjusted(-markerInset, -gap / 2, markerInset, gap / 2).contains(p)) {
        m_dragging = Part::hue;
    } else {
        m_dragging = Part::none;
    }
    pickAt(p);
}

void HsvColorPicker::mouseMoveEvent(QMouseEvent* event)
{
    pickAt(event->position().toPoint());
}

void HsvColorPicker::mouseReleaseEvent(QMouseEvent* event)
{
    pickAt(event->position().toPoint());
    m_dragging = Part::none;
}

} // namespace velmora
