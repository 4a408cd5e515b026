#pragma once

#include <QStringList>

namespace velmora {

// `velmora-dev-canvas FILE [--zoom Z] [--composite] [--padding P] [--inset I] [--radius R]
// [--shadow D]`: a bare window with the annotation canvas on an image, for drawing by hand or under
// a scripted X session. Keys 1–8 pick arrow, text, rect, ellipse, draw, blur, select, crop;
// Ctrl+Z / Ctrl+Shift+Z undo and redo; Delete removes the selection; Return applies a crop;
// Ctrl+= / Ctrl+- zoom. Creates the QApplication itself when none exists. Returns the exit status:
// 0 when the window was closed, 2 for bad arguments or an unreadable image.
int runDevCanvas(const QStringList& arguments);

} // namespace velmora
