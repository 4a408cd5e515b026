#pragma once

#include <QColor>
#include <QPalette>

class QPainter;
class QRectF;

namespace velmora::toolbarstyle {

// The toolbar's colours, all derived from the widget's palette so the light and dark Fusion
// palettes (and a desktop's own) look right without a second set of constants.
bool isDark(const QPalette& palette);
// The colour text and icons are drawn in.
QColor primary(const QPalette& palette, qreal alpha = 1.0);
// Selected tool buttons and rings.
QColor accent(const QPalette& palette);
QColor onAccent(const QPalette& palette);
// Resting, hovered and pressed/open fills of pills and buttons.
QColor restFill(const QPalette& palette);
QColor hoverFill(const QPalette& palette);
QColor pressedFill(const QPalette& palette);
// `wanted` where it stands out from the toolbar, else the text colour: a white letter on a light
// toolbar would vanish.
QColor legible(const QColor& wanted, const QPalette& palette);
// The hairline along the toolbar's bottom edge and between groups.
QColor hairline(const QPalette& palette);

// Draws one of the vendored icons centred in `rect`; a missing icon shows the question-mark icon at
// three quarters of the size instead.
void drawIcon(QPainter& painter, const QRectF& rect, const QString& name, const QColor& tint, int size);

constexpr int controlHeight = 29;
// Every toolbar button draws its icon at this size.
constexpr int iconPoints = 15;

} // namespace velmora::toolbarstyle
