#pragma once

#include "imaging/Color.h"

#include <QVector>
#include <QWidget>

#include <optional>

namespace velmora {

class ColorSwatchButton;

// The colour pill's grid: the preset swatches in rows of five, then the user's custom colour when
// there is one. A swatch is selected when its colour is exactly the current colour.
class ColorSwatchGrid : public QWidget
{
    Q_OBJECT

public:
    ColorSwatchGrid(const QVector<Color>& presets, const std::optional<Color>& customColor,
                    const Color& currentColor, QWidget* parent = nullptr);

    const QVector<ColorSwatchButton*>& swatches() const { return m_swatches; }

    // Exact equality of the components: a colour that differs from a preset only by rounding in a
    // conversion is a different colour, and must not light up the preset.
    static bool sameColor(const Color& a, const Color& b) { return a == b; }

    static constexpr int columns = 5;
    static constexpr int spacing = 8;

Q_SIGNALS:
    void colorChosen(const Color& color);

private:
    QVector<ColorSwatchButton*> m_swatches;
};

} // namespace velmora
