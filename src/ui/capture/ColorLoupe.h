#pragma once

#include <QImage>
#include <QPoint>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace velmora {

// The magnifier of the colour picker: the device pixels around the pointer, each drawn as a square
// of `cellSize` points with thin lines between them, the pixel under the pointer outlined, and its
// hex code in a label below the grid.
class ColorLoupe
{
public:
    static constexpr int gridPixels = 11; // odd, so one pixel is the centre
    static constexpr int cellSize = 10;
    static constexpr int labelHeight = 24;
    static constexpr int gap = 4;
    static constexpr int pointerOffset = 24; // from the pointer to the nearest corner of the loupe

    // The loupe's outline: grid and label.
    static QSizeF size();
    // Where the loupe goes for a pointer in an area of `area` points: below and right of the
    // pointer, flipped to the other side horizontally or vertically where it would leave the area.
    static QRectF placement(const QPointF& pointer, const QSizeF& area);
    // The device pixel of `picture` under a point in points (clamped to the picture).
    static QPoint pixelAt(const QImage& picture, const QPointF& point);

    // Paints the loupe for `pixel` of `picture` into `where` (a rectangle of size()).
    static void paint(QPainter& painter, const QImage& picture, const QPoint& pixel, const QRectF& where);
};

} // namespace velmora
