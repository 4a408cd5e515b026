#include "toolbar/StrokeWidthPill.h"

#include "toolbar/StylePreviews.h"
#include "toolbar/ToolbarStyle.h"

#include <QPainter>

namespace velmora {

StrokeWidthPill::StrokeWidthPill(QWidget* parent) : PillButton(150, parent)
{
    setToolTip(QStringLiteral("Stroke width"));
}

const QVector<double>& StrokeWidthPill::presets()
{
    static const QVector<double> values{1, 2, 4, 6, 8, 12};
    return values;
}

void StrokeWidthPill::setStrokeWidth(double width)
{
    if (m_width != width) {
        m_width = width;
        refresh();
    }
}

void StrokeWidthPill::paintPreview(QPainter& painter, const QRectF& box)
{
    paintStrokeWidthPreview(painter, box, m_width, toolbarstyle::primary(palette()));
}

void StrokeWidthPill::populate(PillPopover& popover)
{
    for (const double value : presets()) {
        const auto sample = [value](QPainter& painter, const QRectF& box, const QPalette& pal) {
            paintStrokeWidthPreview(painter, box, value, toolbarstyle::primary(pal));
        };
        addOption(popover, PillOption(pointLabel(value), value == m_width).withSample(sample, 58, 12),
                  [this, value] {
                      setStrokeWidth(value);
                      Q_EMIT strokeWidthChosen(value);
                  });
    }
}

} // namespace velmora
