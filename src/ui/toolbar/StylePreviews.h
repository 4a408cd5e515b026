#pragma once

#include "annotation/Annotation.h"

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

namespace velmora {

// The small drawings the style pills show on their faces and in their rows.

// A bar with fully rounded ends across the box, centred vertically, as thick as the stroke width
// clamped to 1…10.
void paintStrokeWidthPreview(QPainter& painter, const QRectF& box, double width, const QColor& color);
// A horizontal arrow of the style from 2 units after the box's left edge to 2 units before its right.
void paintArrowStylePreview(QPainter& painter, const QRectF& box, ArrowStyle style, const QColor& color);
// The word "Text" drawn the way a text annotation of that style is, centred in the box.
void paintTextStylePreview(QPainter& painter, const QRectF& box, TextStyle style, const Color& color,
                           double sampleFontSize);

QString arrowStyleLabel(ArrowStyle style);
QString textStyleLabel(TextStyle style);
// A size as the pills show it: the whole number of points, "12 pt".
QString pointLabel(double value);

} // namespace velmora
