#include "x11/X11Platform.h"

#include "x11/X11CompositorWatch.h"
#include "x11/X11Connection.h"
#include "x11/X11Focus.h"
#include "x11/X11GlobalShortcuts.h"
#include "x11/X11PixelReader.h"
#include "x11/X11RootBackground.h"
#include "x11/X11ScreenCapture.h"
#include "x11/X11WindowList.h"

namespace velmora {

std::unique_ptr<Platform> createX11Platform()
{
    auto connection = x11::X11Connection::open();
    if (!connection) {
        return nullptr;
    }
    auto reader = std::make_shared<x11::X11PixelReader>(connection);
    auto platform = std::make_unique<Platform>();
    platform->name = QStringLiteral("x11");
    platform->capture = std::make_unique<x11::X11ScreenCapture>(connection, reader);
    platform->windows = std::make_unique<x11::X11WindowList>(connection);
    platform->focus = std::make_unique<x11::X11FocusTracker>(connection);
    platform->rootBackground = std::make_unique<x11::X11RootBackground>(connection, reader);
    platform->compositor = std::make_unique<x11::X11CompositorWatch>(connection);
    // Key grabs get a connection of their own, so that its only events are the grabbed presses.
    auto keys = x11::X11Connection::open();
    platform->shortcuts = std::make_unique<x11::X11GlobalShortcuts>(keys ? std::move(keys) : connection);
    platform->capabilities.windowList = true;
    platform->capabilities.scrollingCapture = true;
    platform->capabilities.shortcuts = PlatformCapabilities::Shortcuts::grabbed;
    return platform;
}

std::unique_ptr<CompositorWatch> createX11CompositorWatch()
{
    auto connection = x11::X11Connection::open();
    if (!connection) {
        return nullptr;
    }
    return std::make_unique<x11::X11CompositorWatch>(std::move(connection));
}

} // namespace velmora
