#pragma once

#include "Platform.h"

namespace velmora {

// The X11 backend (xcb). Null when no X connection can be opened.
std::unique_ptr<Platform> createX11Platform();
// Its compositor watch alone, on a connection of its own. Null when no X connection can be opened.
std::unique_ptr<CompositorWatch> createX11CompositorWatch();

} // namespace velmora
