#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace velmora {

// Size and place of a new editor window on a screen's available area: big enough for the picture
// and the toolbar and sidebar, at most 90% of the area, centred, and cascaded by 20 points for
// every editor already open.
QRectF editorWindowFrame(const QSizeF& displaySize, const QRectF& availableArea, bool tightFit,
                         int openEditors);
QSizeF editorWindowMinimumSize(bool tightFit);

// Frame of a pinned picture: at most 60% of the area in either direction, keeping the aspect
// ratio, centred on the editor it came from and kept inside the area.
QRectF pinnedWindowFrame(const QSizeF& imageSize, const QRectF& area, const QPointF& centre);

} // namespace velmora
