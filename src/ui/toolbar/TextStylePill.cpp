#include "toolbar/TextStylePill.h"

#include "annotation/TextLayout.h"
#include "toolbar/StylePreviews.h"
#include "toolbar/ToolbarStyle.h"

#include <QPainter>

namespace velmora {

namespace {

constexpr double faceSampleSize = 11;
constexpr double rowSampleSize = 14;

// The colour a sample is drawn in: the annotation colour, unless it would not show. Box styles
// put white letters on the colour, so a near-white box needs a dark stand-in.
Color sampleColor(TextStyle style, const Color& color, const QPalette& palette)
{
    const QColor wanted = color.toQColor();
    if (style == TextStyle::box || style == TextStyle::roundedBox) {
        return wanted.lightness() > 215 ? Color::grey(0.1) : color;
    }
    return Color::fromQColor(toolbarstyle::legible(wanted, palette));
}

} // namespace

TextStylePill::TextStylePill(QWidget* parent) : PillButton(190, parent)
{
    setToolTip(QStringLiteral("Text style"));
    registerBundledFonts();
}

void TextStylePill::setTextStyle(TextStyle style)
{
    if (m_style != style) {
        m_style = style;
        refresh();
    }
}

void TextStylePill::setColor(const Color& color)
{
    if (!(m_color == color)) {
        m_color = color;
        refresh();
    }
}

void TextStylePill::paintPreview(QPainter& painter, const QRectF& box)
{
    paintTextStylePreview(painter, box, m_style, sampleColor(m_style, m_color, palette()), faceSampleSize);
}

void TextStylePill::populate(PillPopover& popover)
{
    for (const TextStyle style : allCases<TextStyle>()) {
        const auto sample = [style, color = m_color](QPainter& painter, const QRectF& box,
                                                     const QPalette& pal) {
            paintTextStylePreview(painter, box, style, sampleColor(style, color, pal), rowSampleSize);
        };
        addOption(popover, PillOption(textStyleLabel(style), style == m_style).withSample(sample, 52, 8),
                  [this, style] {
                      setTextStyle(style);
                      Q_EMIT textStyleChosen(style);
                  });
    }
}

} // namespace velmora
