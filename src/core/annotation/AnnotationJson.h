#pragma once

#include "annotation/Annotation.h"

#include <QByteArray>
#include <QString>

#include <variant>

namespace velmora {

// Annotations written by hand or by scripts: a JSON array with one object per annotation, its
// "kind" ("arrow", "text", "rect", "ellipse", "draw", "blur") and the annotation's fields under
// their own names. Points are [x, y], sizes [w, h], colours "#RRGGBB" or "#RRGGBBAA", styles by
// name. Fields other than the geometry may be left out and take the editor's defaults.
struct AnnotationParseError
{
    QString message; // names the annotation and the field at fault
};

// Files beyond this are refused before parsing: no hand-written list comes near it.
constexpr qsizetype maxAnnotationsJsonBytes = 16 << 20;

// Numbers must be finite and in range (coordinates within ±1e6 points, line widths up to 1000, font
// sizes 1–1000), texts at most 10,000 characters, strokes at most 100,000 points, at most 10,000
// annotations.
std::variant<AnnotationList, AnnotationParseError> parseAnnotationsJson(const QByteArray& json);

} // namespace velmora
