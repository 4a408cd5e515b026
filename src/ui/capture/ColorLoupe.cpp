#include "capture/ColorLoupe.h"

#include "capture/HexColor.h"

#include <QFont>
#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr int gridSize = ColorLoupe::gridPixels * ColorLoupe::cellSize;
const QColor outsideColor(40, 40, 44);
const QColor gridLineColor(0, 0, 0, 46);
const QColor labelFill(22, 22, 25, 230);

} // namespace

QSizeF ColorLoupe::size()
{
    return QSizeF(gridSize, gridSize + gap + labelHeight);
}

QRectF ColorLoupe::placement(const QPointF& pointer, const QSizeF& area)
{
    const QSizeF s = size();
    qreal x = pointer.x() + pointerOffset;
    if (x + s.width() > area.width()) {
        x = pointer.x() - pointerOffset - s.width();
    }
    qreal y = pointer.y() + pointerOffset;
    if (y + s.height() > area.height()) {
        y = pointer.y() - pointerOffset - s.height();
    }
    // A screen smaller than the loupe and the pointer's offset together: keep it inside at least.
    x = std::clamp(x, 0.0, std::max(0.0, area.width() - s.width()));
    y = std::clamp(y, 0.0, std::max(0.0, area.height() - s.height()));
    return QRectF(QPointF(x, y), s);
}

QPoint ColorLoupe::pixelAt(const QImage& picture, const QPointF& point)
{
    const qreal ratio = picture.devicePixelRatio();
    const int x = int(std::floor(point.x() * ratio));
    const int y = int(std::floor(point.y() * ratio));
    return QPoint(std::clamp(x, 0, std::max(0, picture.width() - 1)),
                  std::clamp(y, 0, std::max(0, picture.height() - 1)));
}

void ColorLoupe::paint(QPainter& painter, const QImage& picture, const QPoint& pixel, const QRectF& where)
{
    painter.save();
    const QRectF grid(where.topLeft(), QSizeF(gridSize, gridSize));
    QPainterPath clip;
    clip.addRoundedRect(grid, 8, 8);

    // Each pixel as a flat square: smooth scaling would blend the very colours the user aims at.
    painter.setClipPath(clip);
    const int half = gridPixels / 2;
    for (int row = 0; row < gridPixels; ++row) {
        for (int column = 0; column < gridPixels; ++column) {
            const QPoint source = pixel + QPoint(column - half, row - half);
            const QColor color = picture.valid(source) ? picture.pixelColor(source) : outsideColor;
            painter.fillRect(
                QRectF(grid.left() + column * cellSize, grid.top() + row * cellSize, cellSize, cellSize),
                QColor(color.red(), color.green(), color.blue()));
        }
    }
    painter.setPen(QPen(gridLineColor, 1));
    for (int i = 1; i < gridPixels; ++i) {
        const qreal offset = i * cellSize;
        painter.drawLine(QPointF(grid.left() + offset, grid.top()),
                         QPointF(grid.left() + offset, grid.bottom()));
        painter.drawLine(QPointF(grid.left(), grid.top() + offset),
                         QPointF(grid.right(), grid.top() + offset));
    }
    painter.setClipping(false);

    painter.setRenderHint(QPainter::Antialiasing);
    // The centre cell: black inside white, so it shows on any colour.
    const QRectF centre(grid.left() + half * cellSize, grid.top() + half * cellSize, cellSize, cellSize);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(centre.adjusted(-1.5, -1.5, 1.5, 1.5));
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(centre.adjusted(-0.5, -0.5, 0.5, 0.5));
    painter.setPen(QPen(QColor(255, 255, 255, 230), 2));
    painter.drawPath(clip);
    painter.setPen(QPen(QColor(0, 0, 0, 90), 1));
    painter.drawRoundedRect(grid.adjusted(-1.5, -1.5, 1.5, 1.5), 9.5, 9.5);

    // The code of the pixel under the pointer, in a dark capsule.
    const QRectF label(where.left(), grid.bottom() + gap, gridSize, labelHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(labelFill);
    painter.drawRoundedRect(label, labelHeight / 2.0, labelHeight / 2.0);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(12);
    font.setWeight(QFont::DemiBold);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QColor picked = picture.valid(pixel) ? picture.pixelColor(pixel) : outsideColor;
    painter.drawText(label, Qt::AlignCenter, formatHexColor(picked.rgb()));
    painter.restore();
}

} // namespace velmora
