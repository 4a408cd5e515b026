#pragma once

#include "Platform.h"

namespace velmora {

// The Wayland backend: captures and global shortcuts through the desktop portals on the session
// bus. There is no window list, no focus to give back and no root background on Wayland; those
// parts are the null backend's. Nullptr without a session bus.
std::unique_ptr<Platform> createPortalPlatform();

} // namespace velmora
