#pragma once

#include <QRectF>

class QPainter;

namespace velmora {

// The checkerboard that stands for transparency: 16-point cells, the odd cells (column + row)
// in the second colour, toned for the light or dark appearance.
void paintTransparentPreviewPattern(QPainter& painter, const QRectF& area, bool dark);

} // namespace velmora
