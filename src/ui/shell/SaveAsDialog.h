#pragma once

#include <QString>

class QWidget;

namespace velmora {

// The one Save As dialog of the editor and the pinned windows: a PNG save dialog starting in
// `folder` with `suggestedFileName` filled in, kept above `parent`. Returns the chosen path, with
// ".png" added when the name was typed without an extension, or an empty string when cancelled.
QString chooseSaveAsPath(QWidget* parent, const QString& folder, const QString& suggestedFileName);

} // namespace velmora
