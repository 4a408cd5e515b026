#include "toolbar/StrokeWidthPill.h"

#include "toolbar/PillOptionRow.h"
#include "toolbar/PillPopover.h"
#include "toolbar/StylePreviews.h"
#include "toolbar/ToolbarStyle.h"

#include <QPainter>
#include <QVBoxLayout>

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
        const QString label = pointLabel(value);
        auto* row = new PillOptionRow(
            label,
            [value, label](QPainter& painter, const QRectF& box, const QPalette& pal) {
                const QRectF line(box.left(), box.top(), 58, box.height());
                paintStrokeWidthPreview(painter, line, value, toolbarstyle::primary(pal));
                painter.setPen(toolbarstyle::primary(pal));
                painter.drawText(box.adjusted(line.width() + 12, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                                 label);
            },
            value == m_width, &popover);
        connect(row, &QAbstractButton::clicked, this, [this, value] {
            setOpen(false);
            setStrokeWidth(value);
            Q_EMIT strokeWidthChosen(value);
        });
        popover.rows()->addWidget(row);
    }
}

} // namespace velmora
