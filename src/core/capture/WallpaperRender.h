#pragma once

#include "ScreenLayout.h"

#include <QImage>
#include <QRectF>
#include <QSizeF>

#include <optional>

namespace velmora {

// What the desktop picture shows inside `crop` (points, relative to the screen's top-left
// corner), drawn at `outputSize` points at the screen's pixel density (at least 1): an opaque
// Format_ARGB32_Premultiplied image with that devicePixelRatio, black where the picture leaves
// anything uncovered or see-through. The picture is placed as a desktop places it when it fills
// the screen: scaled to cover, centred. Only the part of the picture that the crop shows is
// scaled, with averaging when it shrinks. Nothing for an empty crop.
std::optional<QImage> renderWallpaperImage(const QImage& picture, const ScreenGeometry& screen,
                                           const QRectF& crop, const QSizeF& outputSize);

// The part of the screen that lies behind a window captured alone and placed on `padding` points
// of background: the window's frame (points, relative to the screen's top-left corner) grown by
// the padding on every side, clipped to the screen; the whole screen when that misses it.
QRectF wallpaperCropForWindow(const QRectF& windowOnScreen, const QSizeF& contentSize, double padding,
                              const QSizeF& screenSize);

} // namespace velmora
