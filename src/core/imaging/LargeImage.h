#pragma once

#include <QImage>
#include <QSize>

#include <cstddef>

namespace velmora {

// Large raster buffers (5K composites, gradients, blur planes) are written once from start to end.
// Backing them with huge pages, where the kernel allows it, saves a page fault every 4 KiB, which
// at 5K costs more than computing the pixels. Small buffers come from the ordinary heap.
//
// Large buffers given back are kept for the next buffer of the same size: the composite, the
// annotated copy and the shadow planes are made again at the same size whenever a setting changes
// or an output is written, and memory the kernel must find and clear again costs more than drawing
// into it. At most kKeptLargeBytes are kept, oldest dropped first; kept memory is marked as free to
// reclaim (MADV_FREE), so an idle process gives it up when the system runs short.
void* allocateLarge(std::size_t bytes);
// Gives back a buffer from allocateLarge (null is ignored).
void releaseLarge(void* buffer);

constexpr std::size_t kKeptLargeBytes = std::size_t(256) << 20;
// Bytes of large buffers kept for reuse right now, for tests and diagnostics.
std::size_t keptLargeBytes();

// Deleter for std::unique_ptr of allocateLarge buffers.
struct LargeBufferDeleter
{
    void operator()(void* buffer) const { releaseLarge(buffer); }
};

// An uninitialised image on such a buffer (Format_ARGB32_Premultiplied unless told otherwise, rows
// padded to four bytes); null when memory runs out.
QImage largeImage(QSize size, QImage::Format format = QImage::Format_ARGB32_Premultiplied);

// A writable copy of the image on such a buffer, with the same format-converted pixels and density.
QImage largeCopy(const QImage& image);

} // namespace velmora
