#pragma once

#include <QtGlobal>

#include <optional>

namespace velmora {

// Shortcuts store position-based key codes (see Hotkey). X11 numbers keys by the kernel's evdev
// code plus 8; one fixed table links the two, so a shortcut names the same physical key whatever
// the keyboard layout.
std::optional<quint32> x11KeyCode(qint64 keyCode);
std::optional<qint64> keyCodeFromX11(quint32 x11KeyCode);

} // namespace velmora
