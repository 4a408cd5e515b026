#pragma once

#include <QImage>

namespace velmora {

// The image's pixels at a density of 1, sharing its buffer.
//
// Drawing a raster pixel for pixel means drawing it at density 1, but QImage::setDevicePixelRatio
// on a shared image detaches it: a deep copy, which for a 5K raster costs more than all the
// drawing (every 4 KiB of the fresh buffer faults on first touch). The view is read-only; writing
// through it detaches as usual. It refers to the original's buffer, so the original must outlive it.
QImage unscaledView(const QImage& image);

} // namespace velmora
