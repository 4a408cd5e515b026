#include "x11/X11Platform.h"

namespace velmora {

// Filled in by the X11 backend.
std::unique_ptr<Platform> createX11Platform()
{
    return nullptr;
}

} // namespace velmora
