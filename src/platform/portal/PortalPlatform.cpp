#include "portal/PortalPlatform.h"

#include "portal/PortalGlobalShortcuts.h"
#include "portal/PortalScreenCapture.h"

#include <QDBusConnection>
#include <QGuiApplication>

namespace velmora {

std::unique_ptr<Platform> createPortalPlatform()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return nullptr;
    }
    auto platform = createNullPlatform();
    platform->name = QStringLiteral("portal");
    portal::PortalTimeouts timeouts;
    // Tests shorten how long a silent portal is waited for.
    bool set = false;
    if (const int seconds = qEnvironmentVariableIntValue("VELMORA_PORTAL_TIMEOUT", &set);
        set && seconds > 0) {
        timeouts.plainMs = timeouts.interactiveMs = seconds * 1000;
    }
    platform->capture = std::make_unique<portal::PortalScreenCapture>(bus, ScreenLayout::current, timeouts);
    // Nothing is asked of the portal until the tray instance takes its shortcuts.
    platform->shortcuts = std::make_unique<portal::PortalGlobalShortcuts>(bus);
    // Every Wayland compositor composites: translucent windows work there.
    platform->compositor =
        std::make_unique<CompositorWatch>(QGuiApplication::platformName() == QLatin1String("wayland"));
    return platform;
}

} // namespace velmora
