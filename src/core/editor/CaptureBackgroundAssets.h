#pragma once

#include <QImage>

#include <optional>

namespace velmora {

// A capture that can be placed on a background.
struct CaptureBackgroundAssets
{
    QImage contentImage;                            // for a window capture: the window alone
    std::optional<QImage> wallpaperBackgroundImage; // the desktop picture behind the captured area
    double padding = 30;                            // as recorded by the capture flow
    bool drawsShadow = true;
};

} // namespace velmora
