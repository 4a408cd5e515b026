#pragma once

#include <QImage>
#include <QString>

#include <optional>

namespace velmora {

// The colour of the pixel at the middle of an image as "#RRGGBB" in sRGB, alpha ignored: the pixel
// right of and below the geometric centre when a side is even, so a 1×1 image gives its pixel and a
// 2×2 image the pixel at (1, 1). Nothing for an empty image.
std::optional<QString> centerHexColor(const QImage& image);

} // namespace velmora
