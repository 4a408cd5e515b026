#pragma once

#include "CompositorWatch.h"
#include "DesktopShortcuts.h"
#include "GlobalShortcuts.h"
#include "PlatformCapabilities.h"
#include "ScreenCapture.h"

#include <QString>

#include <memory>

namespace velmora {

// The display server's services, one backend for all of them.
struct Platform
{
    QString name; // "x11", "portal", "null"
    std::unique_ptr<ScreenCapture> capture;
    std::unique_ptr<WindowList> windows;
    std::unique_ptr<FocusTracker> focus;
    std::unique_ptr<RootBackground> rootBackground;
    std::unique_ptr<GlobalShortcuts> shortcuts;
    // Where the desktop assigns the keys (PlatformCapabilities::Shortcuts::desktopAssigned) in
    // place of `shortcuts`; null elsewhere.
    std::unique_ptr<DesktopShortcuts> desktopShortcuts;
    std::unique_ptr<CompositorWatch> compositor;
    PlatformCapabilities capabilities;
};

// Picks the backend for the running Qt platform: "xcb" gets the X11 backend, "wayland" the desktop
// portals, anything else (no display, offscreen) the null backend, whose captures all fail
// cleanly. VELMORA_PLATFORM=x11, =portal or =null overrides the choice (tests). Call after the
// QGuiApplication exists.
std::unique_ptr<Platform> createPlatform();

// Only the compositor watch of the backend createPlatform() would pick, for commands that show
// windows but need nothing else of the display server.
std::unique_ptr<CompositorWatch> createCompositorWatch();

// The null backend on its own, for tests and as the fallback.
std::unique_ptr<Platform> createNullPlatform();

} // namespace velmora
