#pragma once

#include <QColor>
#include <QWidget>

class QLineEdit;

namespace velmora {

// A compact colour chooser that fits in a pill's popover: a saturation/value square over the
// current hue, a hue strip under it, and a swatch with the colour's hex code, which can be typed.
// Every change applies at once; there is nothing to confirm.
class HsvColorPicker : public QWidget
{
    Q_OBJECT

public:
    explicit HsvColorPicker(QWidget* parent = nullptr);

    QColor currentColor() const { return m_color; }
    // Emits currentColorChanged when the colour differs from the current one.
    void setCurrentColor(const QColor& color);

    // Where the two pickable areas lie, in this widget's coordinates.
    QRect saturationValueArea() const;
    QRect hueArea() const;
    QLineEdit* hexField() const { return m_hex; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void currentColorChanged(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Part { none, saturationValue, hue };
    void pickAt(const QPoint& point);
    void setHsv(double hue, double saturation, double value);
    void setColor(const QColor& color, double hue, double saturation, double value);
    void showHex();

    // Hue is kept apart from the colour so that it survives grey, where a colour has none.
    QColor m_color = Qt::red;
    double m_hue = 0;
    double m_saturation = 1;
    double m_value = 1;
    Part m_dragging = Part::none;
    QLineEdit* m_hex;
};

} // namespace velmora
