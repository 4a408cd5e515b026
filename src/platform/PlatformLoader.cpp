#include "Platform.h"
#include "PlatformLog.h"
#include "x11/X11Platform.h"

#include <QGuiApplication>

namespace velmora {

std::unique_ptr<Platform> createPlatform()
{
    QString wanted = qEnvironmentVariable("VELMORA_PLATFORM");
    if (wanted.isEmpty()) {
        wanted = QGuiApplication::platformName() == QLatin1String("xcb") ? QStringLiteral("x11")
                                                                         : QStringLiteral("null");
    }
    if (wanted == QLatin1String("x11")) {
        if (auto platform = createX11Platform()) {
            return platform;
        }
        qCWarning(lcPlatform) << "[Velmora] X11 connection failed: using no capture backend";
    } else if (wanted != QLatin1String("null")) {
        qCWarning(lcPlatform) << "[Velmora] Unknown VELMORA_PLATFORM" << wanted << "- using none";
    }
    return createNullPlatform();
}

} // namespace velmora
