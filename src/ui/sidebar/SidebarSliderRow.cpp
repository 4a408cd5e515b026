#include "sidebar/SidebarSliderRow.h"

#include "sidebar/SidebarSlider.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

int toPosition(double value)
{
    return int(std::lround(value * SidebarSliderRow::scale));
}

} // namespace

SidebarSliderRow::SidebarSliderRow(const QString& label, double minimum, double maximum, QWidget* parent)
    : QWidget(parent), m_minimum(minimum), m_maximum(maximum), m_value(minimum),
      m_label(new QLabel(label, this)), m_valueLabel(new QLabel(this)), m_slider(new SidebarSlider(this))
{
    m_slider->setRange(toPosition(minimum), toPosition(maximum));
    // Keys move by half a unit, Page Up/Down by a tenth of the range.
    m_slider->setSingleStep(scale / 2);
    m_slider->setPageStep(std::max(1, toPosition((maximum - minimum) / 10)));
    m_slider->setAccessibleName(label);

    m_valueLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_valueLabel->setForegroundRole(QPalette::PlaceholderText);
    m_valueLabel->setMinimumWidth(m_valueLabel->fontMetrics().horizontalAdvance(QStringLiteral("000.0")));

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(m_label, 1);
    top->addWidget(m_valueLabel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(m_slider);

    connect(m_slider, &QSlider::valueChanged, this, [this](int position) {
        const double value = double(position) / scale;
        showValue(value);
        Q_EMIT valueEdited(value);
    });
    setValue(minimum);
}

QString SidebarSliderRow::label() const
{
    return m_label->text();
}

void SidebarSliderRow::setValue(double value)
{
    showValue(value);
    const QSignalBlocker blocker(m_slider);
    m_slider->setValue(std::clamp(toPosition(value), m_slider->minimum(), m_slider->maximum()));
}

QString SidebarSliderRow::valueText() const
{
    return m_valueLabel->text();
}

void SidebarSliderRow::showValue(double value)
{
    m_value = value;
    m_valueLabel->setText(QString::asprintf("%.1f", value));
}

} // namespace velmora
