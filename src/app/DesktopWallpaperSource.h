#pragma once

#include "capture/ScreenLayout.h"

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSizeF>

#include <functional>
#include <optional>

namespace velmora {

class EditorSession;

// Where the desktop picture behind a capture comes from. Every function is called on worker
// threads and must be safe there.
struct DesktopWallpaperSource
{
    // The picture the desktop shows on a screen, or nothing.
    std::function<std::optional<QImage>(const ScreenGeometry& screen)> picture;
    // The part `crop` (points, relative to the screen) drawn at `outputSize` points.
    std::function<std::optional<QImage>(const QImage& picture, const ScreenGeometry& screen,
                                        const QRectF& crop, const QSizeF& outputSize)>
        render;
    // What of the screen lies behind a window placed on `padding` points of background.
    std::function<QRectF(const QRectF& windowOnScreen, const QSizeF& contentSize, double padding,
                         const QSizeF& screenSize)>
        cropForWindow;

    // The desktops' own pictures, read through the program's desktop-picture cache.
    static DesktopWallpaperSource system();
};

// The whole screen's picture, sized for content of `contentSize` points on `padding` points.
std::optional<QImage> screenWallpaper(const DesktopWallpaperSource& source, const ScreenGeometry& screen,
                                      const QSizeF& contentSize, double padding);
// The part of the screen's picture behind a window (its frame in native pixels); the whole screen
// when the window's frame is unknown.
std::optional<QImage> windowWallpaper(const DesktopWallpaperSource& source, const std::optional<QRect>& frame,
                                      const ScreenGeometry& screen, const QSizeF& contentSize,
                                      double padding);

// Gives the session the loader it calls when the user picks the desktop picture as background.
// `windowFrame` (called on the main thread when the loader runs) makes it a window's loader; left
// empty, the loader is screen-wide. The loader holds the session weakly: a picture that arrives
// after the editor closed is dropped.
using WindowFrameLookup = std::function<std::optional<QRect>()>;
void installDesktopWallpaperLoader(EditorSession& session, DesktopWallpaperSource source,
                                   const ScreenGeometry& screen, const QSizeF& contentSize,
                                   WindowFrameLookup windowFrame = {});

} // namespace velmora
