#pragma once

#include "annotation/Annotation.h"

#include <QPainterPath>
#include <QVector>

#include <optional>

namespace velmora {

// The figures an arrow is drawn with, in canvas units. The `filled` style is one polygon; every
// other style is shaft and barb lines to stroke plus solid heads to fill and stroke.
struct ArrowGeometry
{
    std::optional<QPainterPath> filledPolygon;
    QVector<QPainterPath> strokes;
    QVector<QPainterPath> heads;
    double headStrokeWidth = 0;
};

ArrowGeometry arrowGeometry(const ArrowAnnotation& arrow);

} // namespace velmora
