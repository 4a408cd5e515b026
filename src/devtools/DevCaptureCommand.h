#pragma once

#include <QStringList>

namespace velmora {

// `velmora-dev-capture MODE [--window X,Y,W,H,OWNER]… [--out FILE] [--seconds S]`: the capture
// overlays alone over the frozen screens, for trying them by hand or under a scripted X session.
// MODE is region, color, window (over the listed fake windows, native pixels), edit (the framing
// overlay of a scrolling capture: the region stays with handles; L locks it, Escape quits) or
// countdown; scroll and stream (a rectangle given with --geometry, see DevScrollCommand.h) go
// through the running display's backend. A pick is written to FILE (default velmora-dev-capture.png in the
// working folder) and described on standard output. Returns 0 on a pick or a finished countdown, 1 on cancel,
// 2 for bad arguments.
int runDevCapture(const QStringList& arguments);

} // namespace velmora
