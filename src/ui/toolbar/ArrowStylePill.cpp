#include "toolbar/ArrowStylePill.h"

#include "toolbar/StylePreviews.h"
#include "toolbar/ToolbarStyle.h"

#include <QPainter>

namespace velmora {

ArrowStylePill::ArrowStylePill(QWidget* parent) : PillButton(200, parent)
{
    setToolTip(QStringLiteral("Arrow style"));
}

void ArrowStylePill::setArrowStyle(ArrowStyle style)
{
    if (m_style != style) {
        m_style = style;
        refresh();
    }
}

void ArrowStylePill::paintPreview(QPainter& painter, const QRectF& box)
{
    paintArrowStylePreview(painter, box, m_style, toolbarstyle::primary(palette()));
}

void ArrowStylePill::populate(PillPopover& popover)
{
    for (const ArrowStyle style : allCases<ArrowStyle>()) {
        const auto sample = [style](QPainter& painter, const QRectF& box, const QPalette& pal) {
            const QRectF drawing(box.left(), box.center().y() - 7, box.width(), 14);
            paintArrowStylePreview(painter, drawing, style, toolbarstyle::primary(pal));
        };
        addOption(popover, PillOption(arrowStyleLabel(style), style == m_style).withSample(sample, 40, 12),
                  [this, style] {
                      setArrowStyle(style);
                      Q_EMIT arrowStyleChosen(style);
                  });
    }
}

} // namespace velmora
