#pragma once

#include <QStringList>

namespace velmora {

// `velmora full|region|window|color`: captures, then opens the editor in this process (served
// until it closes and the clipboard is no longer ours, as `velmora edit` does), writes the PNG given
// with -o, or prints and copies the colour. Returns the exit status: 0 done, 1 cancelled by the
// user (nothing written), 2 an error, reported on one line of standard error. The application
// object must exist: a QApplication when CaptureArguments::needsWidgets() says so.
int runCapture(const QStringList& arguments);

} // namespace velmora
