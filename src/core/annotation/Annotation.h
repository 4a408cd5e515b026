#pragma once

#include "RawValue.h"
#include "imaging/Color.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QUuid>
#include <QVector>

#include <optional>
#include <variant>

namespace velmora {

enum class AnnotationTool { arrow, text, rect, ellipse, draw, blur, select, crop };
enum class ArrowStyle { filled, single, sketch, sketchDouble, none, double_ };
enum class TextStyle { standard, rounded, outlined, mono, box, roundedBox };
enum class ResizeHandle {
    topLeft,
    top,
    topRight,
    left,
    right,
    bottomLeft,
    bottom,
    bottomRight,
    arrowStart,
    arrowEnd,
    textLeft,
    textRight,
};

template <> struct EnumNames<AnnotationTool>
{
    static constexpr std::array<std::string_view, 8> names{"arrow", "text", "rect",   "ellipse",
                                                           "draw",  "blur", "select", "crop"};
};
template <> struct EnumNames<ArrowStyle>
{
    static constexpr std::array<std::string_view, 6> names{"filled",       "single", "sketch",
                                                           "sketchDouble", "none",   "double"};
};
template <> struct EnumNames<TextStyle>
{
    static constexpr std::array<std::string_view, 6> names{"standard", "rounded", "outlined",
                                                           "mono",     "box",     "roundedBox"};
};

struct ArrowAnnotation
{
    QUuid id;
    QPointF startPoint;
    QPointF endPoint;
    Color color;
    double lineWidth = 8;
    bool hasWhiteStroke = false;
    ArrowStyle style = ArrowStyle::filled;
    bool operator==(const ArrowAnnotation&) const = default;
};

// The longest text one annotation holds, typed, pasted or read from a file. Far more than a label
// needs; beyond it a layout takes long enough to stall the editor.
constexpr qsizetype maxAnnotationTextLength = 10000;

struct TextAnnotation
{
    QUuid id;
    QPointF position; // centre of the text block
    QString text;
    double fontSize = 32;
    Color color;
    bool isEditing = false;
    std::optional<double> maxWidth; // absent or <= 0: natural width
    bool hasWhiteStroke = false;
    TextStyle style = TextStyle::standard;
    bool operator==(const TextAnnotation&) const = default;

    std::optional<double> wrapWidth() const { return maxWidth && *maxWidth > 0 ? maxWidth : std::nullopt; }
};

struct RectAnnotation
{
    QUuid id;
    QPointF origin;
    QSizeF size;
    Color color;
    double lineWidth = 8;
    double cornerRadius = 6;
    bool hasWhiteStroke = false;
    bool operator==(const RectAnnotation&) const = default;
    QRectF rect() const { return {origin, size}; }
};

struct EllipseAnnotation
{
    QUuid id;
    QPointF origin;
    QSizeF size;
    Color color;
    double lineWidth = 8;
    bool hasWhiteStroke = false;
    bool operator==(const EllipseAnnotation&) const = default;
    QRectF rect() const { return {origin, size}; }
};

struct DrawAnnotation
{
    QUuid id;
    QVector<QPointF> points;
    Color color;
    double lineWidth = 8;
    bool hasWhiteStroke = false;
    bool operator==(const DrawAnnotation&) const = default;

    // Smallest axis-aligned rectangle holding every point; the zero rectangle without points.
    QRectF boundingRect() const;
};

struct BlurAnnotation
{
    QUuid id;
    QPointF origin;
    QSizeF size;
    double pixelSize = 10;
    bool operator==(const BlurAnnotation&) const = default;
    QRectF rect() const { return {origin, size}; }
};

// Painting order: index 0 is painted first (bottom).
using Annotation = std::variant<ArrowAnnotation, TextAnnotation, RectAnnotation, EllipseAnnotation,
                                DrawAnnotation, BlurAnnotation>;
using AnnotationList = QVector<Annotation>;

QUuid annotationId(const Annotation& annotation);

// Index of the first annotation with this id, or -1.
qsizetype indexOfAnnotation(const AnnotationList& list, const QUuid& id);
const Annotation* findAnnotation(const AnnotationList& list, const QUuid& id);

} // namespace velmora
