#pragma once

#include <QImage>
#include <QSize>

#include <cstddef>

namespace velmora {

// Large raster buffers (5K composites, gradients, blur planes) are written once from start to end.
// Backing them with huge pages, where the kernel allows it, saves a page fault every 4 KiB, which
// at 5K costs more than computing the pixels. Small buffers come from the ordinary heap. Free with
// std::free.
void* allocateLarge(std::size_t bytes);

// An uninitialised image on such a buffer (Format_ARGB32_Premultiplied unless told otherwise, rows
// padded to four bytes); null when memory runs out.
QImage largeImage(QSize size, QImage::Format format = QImage::Format_ARGB32_Premultiplied);

// A writable copy of the image on such a buffer, with the same format-converted pixels and density.
QImage largeCopy(const QImage& image);

} // namespace velmora
