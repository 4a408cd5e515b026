#include "toolbar/FontSizePill.h"

#include "toolbar/StylePreviews.h"
#include "toolbar/ToolbarStyle.h"

#include <QFontMetrics>
#include <QPainter>

namespace velmora {

namespace {
constexpr int letterGap = 4;

} // namespace

FontSizePill::FontSizePill(QWidget* parent) : PillButton(150, parent)
{
    setToolTip(QStringLiteral("Text size"));
}

const QVector<double>& FontSizePill::presets()
{
    static const QVector<double> values{12, 14, 18, 24, 32, 48, 64};
    return values;
}

void FontSizePill::setFontSize(double size)
{
    if (m_size != size) {
        m_size = size;
        updateGeometry();
        refresh();
    }
}

void FontSizePill::setColor(const Color& color)
{
    if (!(m_color == color)) {
        m_color = color;
        update();
    }
}

QFont FontSizePill::letterFont() const
{
    QFont f = font();
    f.setPixelSize(15);
    f.setWeight(QFont::Bold);
    return f;
}

QFont FontSizePill::valueFont() const
{
    QFont f = font();
    f.setPixelSize(12);
    f.setWeight(QFont::Medium);
    return f;
}

QSize FontSizePill::previewSize() const
{
    // Wide enough for the largest preset, so the pill does not jump when the size changes.
    const QFontMetrics value(valueFont());
    const int text = std::max(value.horizontalAdvance(pointLabel(m_size)),
                              value.horizontalAdvance(QStringLiteral("64 pt")));
    return {QFontMetrics(letterFont()).horizontalAdvance(QLatin1Char('A')) + letterGap + text, 16};
}

void FontSizePill::paintPreview(QPainter& painter, const QRectF& box)
{
    const QPalette& pal = palette();
    painter.setFont(letterFont());
    painter.setPen(toolbarstyle::legible(m_color.toQColor(), pal));
    const int letter = QFontMetrics(letterFont()).horizontalAdvance(QLatin1Char('A'));
    painter.drawText(QRectF(box.left(), box.top() - 4, letter, box.height() + 8), Qt::AlignCenter,
                     QStringLiteral("A"));
    painter.setFont(valueFont());
    painter.setPen(toolbarstyle::primary(pal, 0.85));
    painter.drawText(box.adjusted(letter + letterGap, -4, 0, 4), Qt::AlignVCenter | Qt::AlignLeft,
                     pointLabel(m_size));
}

void FontSizePill::populate(PillPopover& popover)
{
    for (const double value : presets()) {
        addOption(popover, PillOption(pointLabel(value), value == m_size), [this, value] {
            setFontSize(value);
            Q_EMIT fontSizeChosen(value);
        });
    }
}

} // namespace velmora
