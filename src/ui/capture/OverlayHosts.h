#pragma once

#include <QRect>

class QWidget;

namespace velmora {

// The full-screen windows the pickers draw in, kept for a while after a capture. A new 5K window
// needs a new 59 MB backing store, and filling fresh memory is most of what its first frame costs
// (about 270 ms against 10 ms for a window shown before, measured under Xvfb); a capture that
// follows soon after another reuses the window. Idle hosts are deleted after `keepAlive`, so the
// memory is not held while nothing is captured.
namespace OverlayHosts {

inline constexpr int keepAliveMs = 60'000;

// A hidden, prepared full-screen window covering `geometry` (global points), reused when one is
// idle. The caller puts its overlay in it as a child.
QWidget* take(const QRect& geometry);
// Hides the host at once and keeps it for the next take() of the same geometry.
void give(QWidget* host);
// Deletes every idle host now (tests start each case from none).
void releaseIdle();

} // namespace OverlayHosts

} // namespace velmora
