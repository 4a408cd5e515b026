#pragma once

#include "RawValue.h"

namespace velmora {

// What a capture showed; each kind remembers its own editor settings.
enum class CaptureKind { region, window };

template <> struct EnumNames<CaptureKind>
{
    static constexpr std::array<std::string_view, 2> names{"region", "window"};
};

} // namespace velmora
