#include "DesktopWallpaperCache.h"
#include "DesktopWallpaperSource.h"
#include "capture/WallpaperRender.h"

namespace velmora {

DesktopWallpaperSource DesktopWallpaperSource::system()
{
    DesktopWallpaperSource source;
    source.picture = [](const ScreenGeometry& screen) {
        return DesktopWallpaperCache::shared().image(screen);
    };
    source.render = renderWallpaperImage;
    source.cropForWindow = wallpaperCropForWindow;
    return source;
}

} // namespace velmora
