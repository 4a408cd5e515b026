#pragma once

#include <QStringList>

namespace velmora {

// `velmora stitch FRAME… -o OUTPUT`: stitches frames of a scrolled page, in order, into one tall PNG
// exactly as a scrolling capture does. Returns the process exit status: 0 when written, 2 for bad
// input (one line on stderr names it; OUTPUT is left untouched), 1 when the write fails.
int runStitch(const QStringList& arguments);

} // namespace velmora
