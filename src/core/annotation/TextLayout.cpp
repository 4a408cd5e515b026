#include "annotation/TextLayout.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QImage>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLine>

#include <cmath>
#include <mutex>

namespace velmora {

namespace {

// Point sizes are resolved against this device: at 72 dpi one point is one canvas unit.
const QPaintDevice* layoutDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        const int dotsPerMeter = qRound(72.0 / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return &device;
}

} // namespace

void registerBundledFonts()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (const char* file :
             {":/fonts/Inter-Bold.otf", ":/fonts/Quicksand-Bold.ttf", ":/fonts/JetBrainsMono-Bold.ttf"}) {
            QFontDatabase::addApplicationFont(QString::fromLatin1(file));
        }
    });
}

QString annotationFontFamily(TextStyle style)
{
    switch (style) {
    case TextStyle::rounded:
    case TextStyle::roundedBox:
        return QStringLiteral("Quicksand");
    case TextStyle::mono:
        return QStringLiteral("JetBrains Mono");
    default:
        return QStringLiteral("Inter");
    }
}

QFont annotationFont(TextStyle style, double fontSize)
{
    registerBundledFonts();
    QFont font(annotationFontFamily(style));
    font.setBold(true);
    font.setPointSizeF(std::max(fontSize, 0.5));
    // Unhinted outlines scale linearly, so a layout measures the same at every zoom.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::NoFontMerging));
    font.setKerning(true);
    return font;
}

TextBlockLayout::TextBlockLayout(const QString& text, const QFont& font, std::optional<double> wrapWidth)
{
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    double y = 0;
    double width = 0;
    QTextOption option;
    option.setWrapMode(wrapWidth ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    option.setUseDesignMetrics(true);
    for (const QString& paragraph : paragraphs) {
        auto layout = std::make_unique<QTextLayout>(paragraph, font, layoutDevice());
        layout->setTextOption(option);
        layout->setCacheEnabled(true);
        layout->beginLayout();
        double lineY = 0;
        for (;;) {
            QTextLine line = layout->createLine();
            if (!line.isValid()) {
                break;
            }
            line.setLeadingIncluded(true);
            if (wrapWidth) {
                line.setLineWidth(*wrapWidth);
            } else {
                line.setLineWidth(1e7);
            }
            line.setPosition(QPointF(0, lineY));
            lineY += line.height();
            width = std::max(width, line.naturalTextWidth());
        }
        layout->endLayout();
        m_offsets.emplace_back(0, y);
        y += lineY;
        m_paragraphs.push_back(std::move(layout));
    }
    m_naturalSize = QSizeF(width, y);
}

QPainterPath TextBlockLayout::glyphPath(double blockWidth) const
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (std::size_t i = 0; i < m_paragraphs.size(); ++i) {
        const QTextLayout& layout = *m_paragraphs[i];
        for (int l = 0; l < layout.lineCount(); ++l) {
            const QTextLine line = layout.lineAt(l);
            const QPointF offset = m_offsets[i] + QPointF((blockWidth - line.naturalTextWidth()) / 2, 0);
            for (const QGlyphRun& run : line.glyphRuns()) {
                const QRawFont raw = run.rawFont();
                const QList<quint32> indexes = run.glyphIndexes();
                const QList<QPointF> positions = run.positions();
                for (qsizetype g = 0; g < indexes.size(); ++g) {
                    path.addPath(raw.pathForGlyph(indexes[g]).translated(positions[g] + offset));
                }
            }
        }
    }
    return path;
}

QPainterPath textGlyphPath(const TextAnnotation& text, const QRectF& block)
{
    if (text.text.isEmpty()) {
        return {};
    }
    const TextBlockLayout layout(text.text, annotationFont(text.style, text.fontSize), text.wrapWidth());
    // Styles with another face may run a little wider or taller than the measured block; centre
    // them on it rather than pinning them to its top-left corner.
    const QSizeF natural = layout.naturalSize();
    const double width = text.wrapWidth() ? block.width() : natural.width();
    const QPointF origin(block.center().x() - width / 2, block.center().y() - natural.height() / 2);
    return layout.glyphPath(width).translated(origin);
}

QSizeF measuredTextSize(const QString& text, double fontSize, std::optional<double> wrapWidth)
{
    if (text.isEmpty()) {
        return {0, 0};
    }
    const TextBlockLayout layout(text, annotationFont(TextStyle::standard, fontSize), wrapWidth);
    const QSizeF natural = layout.naturalSize();
    if (wrapWidth) {
        return {*wrapWidth, std::ceil(natural.height())};
    }
    return {std::ceil(natural.width()), std::ceil(natural.height())};
}

QSizeF measuredTextSize(const TextAnnotation& text)
{
    return measuredTextSize(text.text, text.fontSize, text.wrapWidth());
}

} // namespace velmora
