#pragma once

#include <QString>

namespace velmora {

// Where Velmora keeps its working files. Every folder is created (with its parents) when asked for.
namespace AppFolders {

// Per-user working files (the clipboard PNG, the last screenshot): $XDG_RUNTIME_DIR/Velmora, or
// $XDG_CACHE_HOME/Velmora/tmp, both private to the user (0700) — never a predictable name in the
// shared /tmp, where another user could plant a link.
QString temporary();

// Files handed to other programs by drag and drop: $XDG_CACHE_HOME/Velmora/DragExports.
QString dragExports();

} // namespace AppFolders

} // namespace velmora
