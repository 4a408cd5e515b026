#pragma once

#include "imaging/Color.h"
#include "toolbar/ColorSwatchGrid.h"
#include "toolbar/PillButton.h"

#include <QPointer>
#include <QVector>

#include <optional>

namespace velmora {

class HsvColorPicker;

// Chooses the annotation colour from nine presets and the user's custom colour; "Custom…" opens a
// colour picker in a popover under the pill, which applies every change as it is made and closes
// like the other popovers, leaving the canvas in view.
class ColorPill : public PillButton
{
    Q_OBJECT

public:
    explicit ColorPill(QWidget* parent = nullptr);
    ~ColorPill() override;

    const Color& color() const { return m_color; }
    void setColor(const Color& color);
    const std::optional<Color>& customColor() const { return m_customColor; }
    void setCustomColor(const std::optional<Color>& color);
    // Opens the custom colour picker, starting from the custom colour when there is one.
    void openCustomColorPanel();
    // The custom colour picker, once it has been opened, and the popover holding it.
    HsvColorPicker* colorPicker() const;
    PillPopover* customColorPopover() const;
    // The grid of the open popover, if it is open.
    ColorSwatchGrid* swatchGrid() const { return m_grid; }

    static const QVector<Color>& presets();

Q_SIGNALS:
    // A swatch was clicked.
    void colorChosen(const Color& color);
    // The picker's colour changed: it is the new custom colour and the annotation colour.
    void customColorPicked(const Color& color);
    // The custom colour picker closed; the next change there begins a new choice.
    void customColorPanelClosed();

protected:
    QSize previewSize() const override { return {14, 14}; }
    void paintPreview(QPainter& painter, const QRectF& box) override;
    void populate(PillPopover& popover) override;

private:
    Color m_color = presets().first();
    std::optional<Color> m_customColor;
    QPointer<PillPopover> m_customPopover;
    QPointer<HsvColorPicker> m_picker;
    QPointer<ColorSwatchGrid> m_grid;
};

} // namespace velmora
