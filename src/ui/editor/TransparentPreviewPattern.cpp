#include "editor/TransparentPreviewPattern.h"

#include <QPainter>

namespace velmora {

void paintTransparentPreviewPattern(QPainter& painter, const QRectF& area, bool dark)
{
    const QColor base = dark ? QColor::fromRgbF(0.12f, 0.12f, 0.13f) : QColor::fromRgbF(0.98f, 0.98f, 0.98f);
    const QColor second =
        dark ? QColor::fromRgbF(0.18f, 0.18f, 0.19f) : QColor::fromRgbF(0.92f, 0.92f, 0.92f);
    // One two-by-two tile repeated by a brush: cheap at any zoom, unlike filling every cell.
    constexpr int cell = 16;
    QImage tile(2 * cell, 2 * cell, QImage::Format_RGB32);
    tile.fill(base);
    {
        QPainter tilePainter(&tile);
        tilePainter.fillRect(cell, 0, cell, cell, second);
        tilePainter.fillRect(0, cell, cell, cell, second);
    }
    QBrush brush(tile);
    brush.setTransform(QTransform::fromTranslate(area.left(), area.top()));
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.fillRect(area, brush);
    painter.restore();
}

} // namespace velmora
