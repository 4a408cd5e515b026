#pragma once

#include "imaging/Color.h"

#include <QImage>
#include <QVector>

namespace velmora {

// The most common colours of a picture, most frequent first, at most `count` of them. The picture
// is sampled at 64 × 64 (nearest neighbour) and its pixels grouped by the top four bits of each
// channel; each colour is the average of one group, opaque. With `edgesOnly` only the outermost
// rows and columns of the sample count. Transparent pixels never count; a null image gives none.
QVector<Color> dominantColors(const QImage& image, bool edgesOnly, int count);

// The dominant colour of the picture's border, or white when the border is fully transparent.
Color edgeColor(const QImage& image);

// Two soft colours derived from the picture for the automatic colour (first) and gradient (both).
QVector<Color> makeAutoPalette(const QImage& image);

// A light, gently saturated version of a colour; greys become a light grey.
Color pastelBackgroundColor(const Color& color);

// The colour turned by `by` around the hue circle and slightly darkened; greys move 0.18 away from
// the middle instead.
Color hueShifted(const Color& color, double by);

} // namespace velmora
