#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

#include <functional>

namespace velmora {

// Renders a named line icon of the application's set at `size` points for a device of the given
// pixel ratio, in one colour; a null pixmap when there is no such icon. The shell windows draw
// every icon through one of these, so tests can hand in their own.
using IconPixmapProvider =
    std::function<QPixmap(const QString& name, const QColor& tint, int size, qreal devicePixelRatio)>;

// The provider the shell windows use unless told otherwise: the vendored SVG ":/icons/<name>.svg",
// drawn in the tint, or nothing when it is not there.
QPixmap shellIconPixmap(const QString& name, const QColor& tint, int size, qreal devicePixelRatio);

} // namespace velmora
