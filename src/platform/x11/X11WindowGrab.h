#pragma once

#include "x11/X11Connection.h"
#include "x11/X11PixelReader.h"

#include <QImage>
#include <QString>

#include <optional>

namespace velmora::x11 {

// One window alone, decorations included and client-side shadow margins cut off. With a
// compositing manager the window's own off-screen pixmap is read, so windows in front of it do not
// matter; without one the window is raised until it has repainted, read from the root and put
// back where it was in the stack. Blocks (up to about half a second): call it off the UI thread.
// On failure, nothing and a one-line reason in `error`.
std::optional<QImage> grabWindowImage(const X11Connection& x, X11PixelReader& reader, xcb_window_t client,
                                      QString* error);

} // namespace velmora::x11
