#pragma once

#include "annotation/Annotation.h"

#include <QSet>

#include <optional>
#include <variant>

namespace velmora {

// One style property the toolbar sets, with its new value. Each applies only to the kinds that
// carry the property: a colour and the white outline to everything but blur, a line width to
// arrows, shapes and freehand strokes, an arrow style to arrows, a text style and a font size to
// text.
struct SetColor
{
    Color color;
};
struct SetWhiteStroke
{
    bool enabled;
};
struct SetLineWidth
{
    double width;
};
struct SetArrowStyle
{
    ArrowStyle style;
};
struct SetTextStyle
{
    TextStyle style;
};
struct SetFontSize
{
    double size;
};
using StyleChange =
    std::variant<SetColor, SetWhiteStroke, SetLineWidth, SetArrowStyle, SetTextStyle, SetFontSize>;

// Applies the change when the annotation has the property; true when a value actually changed.
bool applyStyle(Annotation& annotation, const StyleChange& change);

// The list with the change applied to every annotation whose id is in `ids`; the order and every
// other annotation are kept.
AnnotationList restyled(const AnnotationList& annotations, const QSet<QUuid>& ids, const StyleChange& change);

// The style values an annotation carries; a property it does not have is absent.
struct AnnotationStyle
{
    std::optional<Color> color;
    std::optional<bool> hasWhiteStroke;
    std::optional<double> lineWidth;
    std::optional<ArrowStyle> arrowStyle;
    std::optional<TextStyle> textStyle;
    std::optional<double> fontSize;
};
AnnotationStyle styleOf(const Annotation& annotation);

} // namespace velmora
