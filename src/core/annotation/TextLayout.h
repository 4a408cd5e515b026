#pragma once

#include "annotation/Annotation.h"

#include <QFont>
#include <QPainterPath>
#include <QSizeF>
#include <QTextLayout>

#include <memory>
#include <vector>

namespace velmora {

// One face compiled into the program: its resource path and the family it registers as.
struct BundledFont
{
    QString resource;
    QString family;
};
const std::vector<BundledFont>& bundledFonts();

// Registers the bundled annotation faces with the font database (once per process). Needs a
// QGuiApplication. Text is always measured and drawn with these faces so a layout is the same on
// every machine, whatever fonts it has installed. A face that fails to register is logged once as
// critical; returns whether all of them registered.
bool registerBundledFonts();

// The face each text style draws with; every face is bold.
QString annotationFontFamily(TextStyle style);

// A font whose size is `fontSize` canvas units when used with layoutText() below.
QFont annotationFont(TextStyle style, double fontSize);

// Text laid out the way annotations are: paragraphs split at line breaks, wrapped at word
// boundaries (falling back to anywhere for long words) when a wrap width is given. Coordinates
// are canvas units with (0, 0) at the top-left of the block.
class TextBlockLayout
{
public:
    TextBlockLayout(const QString& text, const QFont& font, std::optional<double> wrapWidth);
    TextBlockLayout(const TextBlockLayout&) = delete;
    TextBlockLayout& operator=(const TextBlockLayout&) = delete;

    // Natural extent of the laid-out lines (not rounded).
    QSizeF naturalSize() const { return m_naturalSize; }
    const std::vector<std::unique_ptr<QTextLayout>>& paragraphs() const { return m_paragraphs; }
    // Each paragraph's top-left offset inside the block.
    const std::vector<QPointF>& paragraphOffsets() const { return m_offsets; }

    // Glyph outlines of the whole block, for filling and stroking at any zoom and resolution.
    // Each line is centred within `blockWidth`.
    QPainterPath glyphPath(double blockWidth) const;

private:
    std::vector<std::unique_ptr<QTextLayout>> m_paragraphs;
    std::vector<QPointF> m_offsets;
    QSizeF m_naturalSize;
};

// The one layout of an annotation's text, in its style's face: measuring, hit areas, grips,
// wrapping and the drawn glyphs all come from it, so the box always fits what is drawn.
TextBlockLayout layoutAnnotationText(const QString& text, TextStyle style, double fontSize,
                                     std::optional<double> wrapWidth);

// The measured size of a text annotation, in its style's face at fontSize. With a wrap width the
// width is that width and the height the rounded-up wrapped height; otherwise both are the
// rounded-up natural extent. Empty text measures (0, 0).
QSizeF measuredTextSize(const TextAnnotation& text);
QSizeF measuredTextSize(const QString& text, TextStyle style, double fontSize,
                        std::optional<double> wrapWidth);

// The glyph outlines of a text annotation in its style's face, laid out in `block` (the measured
// rectangle centred on the position), each line centred in the block as the text editor shows it.
QPainterPath textGlyphPath(const TextAnnotation& text, const QRectF& block);

} // namespace velmora
