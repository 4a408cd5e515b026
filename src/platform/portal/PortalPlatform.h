#pragma once

#include "Platform.h"

#include <QDBusConnection>

namespace velmora {

// The Wayland backend: captures and global shortcuts through the desktop portals on the session
// bus. There is no window list, no focus to give back and no root background on Wayland; those
// parts are the null backend's. Nullptr without a session bus.
std::unique_ptr<Platform> createPortalPlatform();

// What the portal backend can do on this desktop: window capture only through the desktop's own
// picker, scrolling capture and global shortcuts where the desktop offers their portals (each
// asked on `bus`, once).
PlatformCapabilities portalCapabilities(QDBusConnection bus);

// Whether the screenshot portal of the desktop named by XDG_CURRENT_DESKTOP (colon-separated, as
// the portal reads it) lets the user pick a window in its interactive mode. The wlroots portal
// refuses interactive screenshots, so sway and its kin have no window capture on Wayland.
bool desktopPicksWindows(const QString& currentDesktop);

} // namespace velmora
