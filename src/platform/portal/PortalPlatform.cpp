#include "portal/PortalPlatform.h"

#include "portal/PortalAreaStream.h"
#include "portal/PortalGlobalShortcuts.h"
#include "portal/PortalScreenCapture.h"

#include <QDBusConnection>
#include <QGuiApplication>

#include <algorithm>

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
    platform->capabilities = portalCapabilities(bus);
    auto shortcuts = std::make_unique<portal::PortalGlobalShortcuts>(bus);
    shortcuts->setOffered(platform->capabilities.shortcuts ==
                          PlatformCapabilities::Shortcuts::desktopAssigned);
    platform->desktopShortcuts = std::move(shortcuts);
    // The portal names shortcuts rather than taking keys.
    platform->shortcuts.reset();
    // Every Wayland compositor composites: translucent windows work there.
    platform->compositor =
        std::make_unique<CompositorWatch>(QGuiApplication::platformName() == QLatin1String("wayland"));
    return platform;
}

PlatformCapabilities portalCapabilities(QDBusConnection bus)
{
    PlatformCapabilities capabilities;
    // Wayland lists no windows to a client; the Screenshot portal's interactive mode lets the
    // user pick one in the desktop's own dialog.
    capabilities.interactiveWindowGrab = desktopPicksWindows(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    if (!capabilities.interactiveWindowGrab) {
        capabilities.windowUnavailableDetail =
            QStringLiteral("This desktop's screenshot portal cannot pick a window; capture a region instead");
    }
    // Scrolling streams the screen: a screenshot per frame takes far too long.
    capabilities.scrollingCapture = portal::screenCastOffered(bus);
    if (!capabilities.scrollingCapture) {
        capabilities.scrollingUnavailableReason =
            QStringLiteral("Scrolling capture needs the desktop's ScreenCast portal, which this desktop does "
                           "not offer");
    }
    capabilities.shortcuts = portal::globalShortcutsOffered(bus)
                                 ? PlatformCapabilities::Shortcuts::desktopAssigned
                                 : PlatformCapabilities::Shortcuts::unavailable;
    return capabilities;
}

bool desktopPicksWindows(const QString& currentDesktop)
{
    // These desktops take their Screenshot portal from xdg-desktop-portal-wlr or its forks, which
    // answer an interactive request with a failure.
    static const QStringList withoutPicker{QStringLiteral("sway"),     QStringLiteral("wlroots"),
                                           QStringLiteral("hyprland"), QStringLiteral("river"),
                                           QStringLiteral("wayfire"),  QStringLiteral("labwc")};
    const QStringList names = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return std::none_of(names.begin(), names.end(), [](const QString& name) {
        return withoutPicker.contains(name.trimmed(), Qt::CaseInsensitive);
    });
}

} // namespace velmora
