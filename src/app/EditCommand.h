#pragma once

#include <QStringList>

namespace velmora {

// `velmora edit FILE…`: opens an editor for each image. After the last editor closes, the process
// keeps serving the clipboard until another program takes it, then exits. Returns the exit status
// (2 when nothing could be opened).
int runEdit(const QStringList& arguments);

} // namespace velmora
