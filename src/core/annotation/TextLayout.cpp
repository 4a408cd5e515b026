#include "annotation/TextLayout.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QImage>
#include <QLoggingCategory>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLine>

#include <cmath>
#include <list>
#include <mutex>

// The faces are compiled into the core library, which is linked statically: without a reference
// from code the linker drops the resource's initialiser, and every text would quietly fall back to
// whatever face the machine happens to have.
static void initBundledFontResources()
{
    Q_INIT_RESOURCE(fonts);
}

namespace velmora {

Q_LOGGING_CATEGORY(lcFonts, "velmora.fonts")

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

const std::vector<BundledFont>& bundledFonts()
{
    static const std::vector<BundledFont> fonts = {
        {QStringLiteral(":/fonts/Inter-Bold.otf"), QStringLiteral("Inter")},
        {QStringLiteral(":/fonts/Quicksand-Bold.ttf"), QStringLiteral("Quicksand")},
        {QStringLiteral(":/fonts/JetBrainsMono-Bold.ttf"), QStringLiteral("JetBrains Mono")},
    };
    return fonts;
}

bool registerBundledFonts()
{
    static bool allRegistered = false;
    static std::once_flag once;
    std::call_once(once, [] {
        initBundledFontResources();
        allRegistered = true;
        for (const BundledFont& font : bundledFonts()) {
            const int id = QFontDatabase::addApplicationFont(font.resource);
            const QStringList families = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
            if (!families.contains(font.family)) {
                allRegistered = false;
                qCCritical(lcFonts).noquote()
                    << "The bundled face" << font.family << "could not be registered from" << font.resource
                    << "- text in that style will be drawn in a fallback face";
            }
        }
    });
    return allRegistered;
}

QString annotationFontFamily(TextStyle style)
{
    switch (style) {
    case TextStyle::rounded:
    case TextStyle::roundedBox:
        return bundledFonts()[1].family;
    case TextStyle::mono:
        return bundledFonts()[2].family;
    default:
        return bundledFonts()[0].family;
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

TextBlockLayout layoutAnnotationText(const QString& text, TextStyle style, double fontSize,
                                     std::optional<double> wrapWidth)
{
    return TextBlockLayout(text, annotationFont(style, fontSize), wrapWidth);
}

namespace {

// A text's size and glyph outlines, laid out once: the canvas measures a text for its box, its
// hit area and its grips on every paint and every pointer move, and laying out thousands of
// characters each time would make the editor crawl.
struct LaidOutText
{
    QSizeF natural;
    QPainterPath glyphs; // lines centred in the block's width, block at (0, 0)
};

struct LayoutKey
{
    QString text;
    TextStyle style;
    double fontSize;
    std::optional<double> wrapWidth;
    bool operator==(const LayoutKey&) const = default;
};

class LayoutCache
{
public:
    LaidOutText get(const LayoutKey& key)
    {
        {
            const std::lock_guard lock(m_mutex);
            for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
                if (it->first == key) {
                    m_entries.splice(m_entries.begin(), m_entries, it);
                    return it->second;
                }
            }
        }
        // Laid out outside the lock: another thread may lay out the same text meanwhile, which
        // only costs time.
        const TextBlockLayout layout = layoutAnnotationText(key.text, key.style, key.fontSize, key.wrapWidth);
        const QSizeF natural = layout.naturalSize();
        LaidOutText laidOut{natural, layout.glyphPath(key.wrapWidth ? *key.wrapWidth : natural.width())};
        const std::lock_guard lock(m_mutex);
        m_entries.emplace_front(key, laidOut);
        if (m_entries.size() > capacity) {
            m_entries.pop_back();
        }
        return laidOut;
    }

private:
    static constexpr std::size_t capacity = 64;
    std::mutex m_mutex;
    std::list<std::pair<LayoutKey, LaidOutText>> m_entries; // most recently used first
};

LaidOutText laidOut(const QString& text, TextStyle style, double fontSize, std::optional<double> wrapWidth)
{
    static LayoutCache cache;
    return cache.get({text, style, fontSize, wrapWidth});
}

} // namespace

QPainterPath textGlyphPath(const TextAnnotation& text, const QRectF& block)
{
    if (text.text.isEmpty()) {
        return {};
    }
    const LaidOutText layout = laidOut(text.text, text.style, text.fontSize, text.wrapWidth());
    // The block was measured from this same layout, so the glyphs fill it exactly; lines are centred
    // in it the way the text field shows them.
    const double width = text.wrapWidth() ? *text.wrapWidth() : layout.natural.width();
    const QPointF origin(block.center().x() - width / 2, block.center().y() - layout.natural.height() / 2);
    return layout.glyphs.translated(origin);
}

QSizeF measuredTextSize(const QString& text, TextStyle style, double fontSize,
                        std::optional<double> wrapWidth)
{
    if (text.isEmpty()) {
        return {0, 0};
    }
    const QSizeF natural = laidOut(text, style, fontSize, wrapWidth).natural;
    if (wrapWidth) {
        return {*wrapWidth, std::ceil(natural.height())};
    }
    return {std::ceil(natural.width()), std::ceil(natural.height())};
}

QSizeF measuredTextSize(const TextAnnotation& text)
{
    return measuredTextSize(text.text, text.style, text.fontSize, text.wrapWidth());
}

} // namespace velmora
