#include "sidebar/CheckerboardThumbnail.h"

#include <QPainter>

#include <cmath>

namespace velmora {

namespace {

constexpr double cellSize = 6;

} // namespace

CheckerboardThumbnail::CheckerboardThumbnail(QWidget* parent) : BackgroundThumbnail(parent)
{
    setToolTip(tr("Transparent"));
}

void CheckerboardThumbnail::paintPattern(QPainter& painter, const QRectF& rect, bool dark)
{
    // Slightly stronger contrast than the canvas backing: the cells are small here.
    const QColor base = dark ? QColor::fromRgbF(0.12f, 0.12f, 0.13f) : QColor::fromRgbF(0.98f, 0.98f, 0.98f);
    const QColor second =
        dark ? QColor::fromRgbF(0.22f, 0.22f, 0.23f) : QColor::fromRgbF(0.86f, 0.86f, 0.87f);
    painter.fillRect(rect, base);
    const int columns = int(std::ceil(rect.width() / cellSize));
    const int rows = int(std::ceil(rect.height() / cellSize));
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            if ((row + column) % 2 == 1) {
                const QRectF cell(rect.left() + column * cellSize, rect.top() + row * cellSize, cellSize,
                                  cellSize);
                painter.fillRect(cell.intersected(rect), second);
            }
        }
    }
}

void CheckerboardThumbnail::paintContent(QPainter& painter, const QRectF& rect)
{
    paintPattern(painter, rect, isDarkPalette());
}

} // namespace velmora
