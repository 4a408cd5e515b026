#include "editor/TransparentPreviewPattern.h"

#include <QPainter>

#include <cmath>

namespace velmora {

void paintTransparentPreviewPattern(QPainter& painter, const QRectF& area, bool dark)
{
    const QColor base = dark ? QColor::fromRgbF(0.12f, 0.12f, 0.13f) : QColor::fromRgbF(0.98f, 0.98f, 0.98f);
    const QColor second =
        dark ? QColor::fromRgbF(0.18f, 0.18f, 0.19f) : QColor::fromRgbF(0.92f, 0.92f, 0.92f);
    constexpr double cell = 16;
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    painter.fillRect(area, base);
    const int columns = int(std::ceil(area.width() / cell));
    const int rows = int(std::ceil(area.height() / cell));
    for (int row = 0; row < rows; ++row) {
        for (int column = (row % 2 == 0) ? 1 : 0; column < columns; column += 2) {
            painter.fillRect(QRectF(area.left() + column * cell, area.top() + row * cell, cell, cell),
                             second);
        }
    }
    painter.restore();
}

} // namespace velmora
