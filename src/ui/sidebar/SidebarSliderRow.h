#pragma once

#include <QWidget>

class QLabel;

namespace velmora {

class SidebarSlider;

// A labelled setting: the name and the value ("%.1f") on one line, a continuous slider under them.
// The slider works on a fine integer scale mapped to the value range. Values coming from the model
// go through setValue() and are not echoed back; only the user's moves are reported.
class SidebarSliderRow : public QWidget
{
    Q_OBJECT

public:
    // Slider positions per unit of the value.
    static constexpr int scale = 10;

    SidebarSliderRow(const QString& label, double minimum, double maximum, QWidget* parent = nullptr);

    QString label() const;
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }

    // The value shown. A model value outside the range is shown as it is; the slider rests at the
    // nearer end.
    double value() const { return m_value; }
    void setValue(double value);
    QString valueText() const;

    SidebarSlider* slider() const { return m_slider; }

Q_SIGNALS:
    // The user moved the slider; sent on every change while dragging.
    void valueEdited(double value);

private:
    void showValue(double value);

    double m_minimum;
    double m_maximum;
    double m_value;
    QLabel* m_label;
    QLabel* m_valueLabel;
    SidebarSlider* m_slider;
};

} // namespace velmora
