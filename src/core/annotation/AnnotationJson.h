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

std::variant<AnnotationList, AnnotationParseError> parseAnnotationsJson(const QByteArray& json);

} // namespace velmora
