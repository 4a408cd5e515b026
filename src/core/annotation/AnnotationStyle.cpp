#include "annotation/AnnotationStyle.h"

#include <type_traits>

namespace velmora {

namespace {

template <class T> bool assign(T& field, const T& value)
{
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}

template <class A> bool applyTo(A& a, const StyleChange& change)
{
    return std::visit(
        [&a](const auto& c) -> bool {
            using C = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<C, SetColor> && requires { a.color; }) {
                return assign(a.color, c.color);
            } else if constexpr (std::is_same_v<C, SetWhiteStroke> && requires { a.hasWhiteStroke; }) {
                return assign(a.hasWhiteStroke, c.enabled);
            } else if constexpr (std::is_same_v<C, SetLineWidth> && requires { a.lineWidth; }) {
                return assign(a.lineWidth, c.width);
            } else if constexpr (std::is_same_v<C, SetArrowStyle> && std::is_same_v<A, ArrowAnnotation>) {
                return assign(a.style, c.style);
            } else if constexpr (std::is_same_v<C, SetTextStyle> && std::is_same_v<A, TextAnnotation>) {
                return assign(a.style, c.style);
            } else if constexpr (std::is_same_v<C, SetFontSize> && requires { a.fontSize; }) {
                return assign(a.fontSize, c.size);
            } else {
                return false;
            }
        },
        change);
}

} // namespace

bool applyStyle(Annotation& annotation, const StyleChange& change)
{
    return std::visit([&change](auto& a) { return applyTo(a, change); }, annotation);
}

AnnotationList restyled(const AnnotationList& annotations, const QSet<QUuid>& ids, const StyleChange& change)
{
    AnnotationList result = annotations;
    for (Annotation& annotation : result) {
        if (ids.contains(annotationId(annotation))) {
            applyStyle(annotation, change);
        }
    }
    return result;
}

AnnotationStyle styleOf(const Annotation& annotation)
{
    return std::visit(
        [](const auto& a) {
            using A = std::decay_t<decltype(a)>;
            AnnotationStyle style;
            if constexpr (requires { a.color; }) {
                style.color = a.color;
            }
            if constexpr (requires { a.hasWhiteStroke; }) {
                style.hasWhiteStroke = a.hasWhiteStroke;
            }
            if constexpr (requires { a.lineWidth; }) {
                style.lineWidth = a.lineWidth;
            }
            if constexpr (requires { a.fontSize; }) {
                style.fontSize = a.fontSize;
            }
            if constexpr (std::is_same_v<A, ArrowAnnotation>) {
                style.arrowStyle = a.style;
            } else if constexpr (std::is_same_v<A, TextAnnotation>) {
                style.textStyle = a.style;
            }
            return style;
        },
        annotation);
}

} // namespace velmora
