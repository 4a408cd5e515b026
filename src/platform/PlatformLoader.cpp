#include "Platform.h"
#include "PlatformLog.h"
#include "portal/PortalPlatform.h"
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
    const QString qpa = QGuiApplication::platformName();
    if (qpa == QLatin1String("xcb")) {
        return QStringLiteral("x11");
    }
    // On Wayland no client reads the screen; the desktop portals do it for us.
    return qpa == QLatin1String("wayland") ? QStringLiteral("portal") : QStringLiteral("null");
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
    } else if (wanted == QLatin1String("portal")) {
        if (auto platform = createPortalPlatform()) {
            return platform;
        }
        qCWarning(lcPlatform) << "[Velmora] No session bus for the desktop portals: using no capture backend";
    } else if (wanted != QLatin1String("null")) {
        qCWarning(lcPlatform) << "[Velmora] Unknown VELMORA_PLATFORM" << wanted << "- using none";
    }
    return createNullPlatform();
}

std::unique_ptr<CompositorWatch> createCompositorWatch()
{
    const QString wanted = wantedBackend();
    if (wanted == QLatin1String("x11")) {
        if (auto watch = createX11CompositorWatch()) {
            return watch;
        }
    }
    // Every Wayland compositor composites.
    return std::make_unique<CompositorWatch>(QGuiApplication::platformName() == QLatin1String("wayland"));
}

} // namespace velmora
