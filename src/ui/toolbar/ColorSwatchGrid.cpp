#include "toolbar/ColorSwatchGrid.h"

#include "toolbar/ColorSwatchButton.h"

#include <QGridLayout>

namespace velmora {

ColorSwatchGrid::ColorSwatchGrid(const QVector<Color>& presets, const std::optional<Color>& customColor,
                                 const Color& currentColor, QWidget* parent)
    : QWidget(parent)
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(spacing);
    for (int column = 0; column < columns; ++column) {
        grid->setColumnMinimumWidth(column, ColorSwatchButton::diameter);
    }

    QVector<Color> colors = presets;
    if (customColor) {
        colors.append(*customColor);
    }
    for (qsizetype i = 0; i < colors.size(); ++i) {
        const Color color = colors[i];
        auto* swatch = new ColorSwatchButton(color, sameColor(color, currentColor), this);
        connect(swatch, &QAbstractButton::clicked, this, [this, color] { Q_EMIT colorChosen(color); });
        grid->addWidget(swatch, int(i / columns), int(i % columns));
        m_swatches.append(swatch);
    }
    if (customColor) {
        m_swatches.last()->setToolTip(QStringLiteral("Custom color"));
    }
}

} // namespace velmora
