#pragma once

#include <QStringList>

namespace velmora {

// `velmora beautify INPUT -o OUTPUT [options]`: places an image on a background and writes the
// PNG exactly as the editor would export it. Returns the process exit status: 0 on success, 2 for
// bad input (one line on stderr names it; OUTPUT is left untouched), 1 when the write fails.
int runBeautify(const QStringList& arguments);

} // namespace velmora
