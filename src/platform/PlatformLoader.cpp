#include "Platform.h"
#include "PlatformLog.h"
#include "x11/X11Platform.h"

#include <QGuiApplication>

namespace velmora {

namespace {

QString wantedBackend()
{
    const QString wanted = qEnvironmentVariable("VELMORA_PLATFORM");
    if (!wanted.isEmpty()) {
        return wanted;
    }
    return QGuiApplication::platformName() == QLatin1String("xcb") ? QStringLiteral("x11")
                                                                   : QStringLiteral("null");
}

} // namespace

std::unique_ptr<Platform> createPlatform()
{
    const QString wanted = wantedBackend();
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

std::unique_ptr<CompositorWatch> createCompositorWatch()
{
    if (wantedBackend() == QLatin1String("x11")) {
        if (auto watch = createX11CompositorWatch()) {
            return watch;
        }
    }
    return std::make_unique<CompositorWatch>(false);
}

} // namespace velmora
