#pragma once

#include <QImage>
#include <QRect>
#include <QRectF>

namespace velmora {

// Block-average pixellation of blur boxes.
//
// The block grid is anchored at pixel (0, 0) of the whole image, so every box on one image shares
// one grid wherever it lies, and a block cut by a box edge still takes its colour from all of its
// pixels (those inside the image), not only from the part the box covers. A block of a fractional
// size owns the pixels whose centres fall inside it. Colours are averaged premultiplied, so
// transparent pixels do not darken their neighbours.
//
// Regions are in image pixels; they are rounded outward to whole pixels and clipped to the image.
// A block size below one pixel leaves the pixels as they are.

// The pixel rectangle a region covers: rounded outward and clipped to the image. Empty when the
// region misses the image.
QRect pixellationRect(const QImage& image, const QRectF& regionInPixels);

// The pixellated patch of `base` covering pixellationRect(base, regionInPixels), in the base's
// format and pixel density, ready to be drawn over that rectangle with a QPainter. Null when the
// rectangle is empty. This is what a renderer wants: every box reads the untouched base image, so
// boxes never show each other's blocks or any other annotation.
QImage pixellated(const QImage& base, const QRectF& regionInPixels, double blockSizeInPixels);

// Pixellates the region of `image` in place. Block colours are read from the image as it is when
// called; to paint several boxes that must all show base pixels (boxes sharing a block read the
// same averages), use the overload that reads from a separate base.
void pixellateRegion(QImage& image, const QRectF& regionInPixels, double blockSizeInPixels);

// Paints the pixellation of `base` into `target` inside the region. Both must have the same pixel
// size; otherwise nothing happens. `target` keeps its format.
void pixellateRegion(QImage& target, const QImage& base, const QRectF& regionInPixels,
                     double blockSizeInPixels);

} // namespace velmora
