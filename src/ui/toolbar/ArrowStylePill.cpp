#include "toolbar/ArrowStylePill.h"

#include "toolbar/PillOptionRow.h"
#include "toolbar/PillPopover.h"
#include "toolbar/StylePreviews.h"
#include "toolbar/ToolbarStyle.h"

#include <QPainter>
#include <QVBoxLayout>

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
        const QString label = arrowStyleLabel(style);
        auto* row = new PillOptionRow(
            label,
            [style, label](QPainter& painter, const QRectF& box, const QPalette& pal) {
                const QRectF drawing(box.left(), box.center().y() - 7, 40, 14);
                paintArrowStylePreview(painter, drawing, style, toolbarstyle::primary(pal));
                painter.setPen(toolbarstyle::primary(pal));
                painter.drawText(box.adjusted(drawing.width() + 12, 0, 0, 0),
                                 Qt::AlignVCenter | Qt::AlignLeft, label);
            },
            style == m_style, &popover);
        connect(row, &QAbstractButton::clicked, this, [this, style] {
            setOpen(false);
            setArrowStyle(style);
            Q_EMIT arrowStyleChosen(style);
        });
        popover.rows()->addWidget(row);
    }
}

} // namespace velmora
