#pragma once

#include "imaging/Color.h"
#include "toolbar/ColorSwatchGrid.h"
#include "toolbar/PillButton.h"

#include <QColorDialog>
#include <QPointer>
#include <QVector>

#include <optional>

namespace velmora {

// Chooses the annotation colour from nine presets and the user's custom colour; "Custom…" opens a
// colour dialog that stays open beside the editor and applies every change as it is made.
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
    // The window the colour dialog belongs to; this pill's window when not set.
    void setParentWindow(QWidget* window) { m_parentWindow = window; }

    // Opens (or raises) the colour dialog, starting from the custom colour when there is one.
    void openCustomColorPanel();
    QColorDialog* colorDialog() const { return m_dialog; }
    // The grid of the open popover, if it is open.
    ColorSwatchGrid* swatchGrid() const { return m_grid; }

    static const QVector<Color>& presets();

Q_SIGNALS:
    // A swatch was clicked.
    void colorChosen(const Color& color);
    // The colour dialog's colour changed: it is the new custom colour and the annotation colour.
    void customColorPicked(const Color& color);

protected:
    QSize previewSize() const override { return {14, 14}; }
    void paintPreview(QPainter& painter, const QRectF& box) override;
    void populate(PillPopover& popover) override;

private:
    Color m_color = presets().first();
    std::optional<Color> m_customColor;
    QPointer<QWidget> m_parentWindow;
    QPointer<QColorDialog> m_dialog;
    QPointer<ColorSwatchGrid> m_grid;
};

} // namespace velmora
