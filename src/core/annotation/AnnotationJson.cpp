#include "annotation/AnnotationJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace velmora {

namespace {

const Color defaultColor = Color::fromRgb8(255, 59, 48);

// Far beyond anything the editor makes, near enough that sizes, layouts and rasters built from a
// file stay finite and quick: a file from a script or a stranger is read, not trusted.
constexpr double maxCoordinate = 1e6;
constexpr double maxLineWidth = 1000;
constexpr double maxFontSize = 1000;
constexpr double maxPixelSize = 1000;
constexpr qsizetype maxTextLength = maxAnnotationTextLength;
constexpr qsizetype maxPoints = 100000;
constexpr qsizetype maxAnnotations = 10000;

// Reads the fields of one annotation object; the first problem wins and is kept in `error`.
class FieldReader
{
public:
    FieldReader(const QJsonObject& object, int index) : m_object(object), m_index(index) {}

    std::optional<QString> error;

    double number(const char* name, std::optional<double> fallback, double minimum, double maximum)
    {
        const QJsonValue v = m_object.value(QLatin1String(name));
        if (v.isUndefined() && fallback) {
            return *fallback;
        }
        if (!v.isDouble() || !std::isfinite(v.toDouble()) || v.toDouble() < minimum ||
            v.toDouble() > maximum) {
            fail(name, QStringLiteral("a number from %1 to %2").arg(minimum).arg(maximum));
            return fallback.value_or(0);
        }
        return v.toDouble();
    }

    QPointF pair(const char* name, bool nonNegative = false)
    {
        const QJsonValue v = m_object.value(QLatin1String(name));
        const QJsonArray a = v.toArray();
        const double low = nonNegative ? 0 : -maxCoordinate;
        if (!v.isArray() || a.size() != 2 || !inRange(a[0], low) || !inRange(a[1], low)) {
            fail(name, nonNegative ? QStringLiteral("[w, h] with w, h from 0 to %1").arg(maxCoordinate)
                                   : QStringLiteral("[x, y] with x, y from %1 to %2")
                                         .arg(-maxCoordinate)
                                         .arg(maxCoordinate));
            return {};
        }
        return {a[0].toDouble(), a[1].toDouble()};
    }

    QVector<QPointF> points(const char* name)
    {
        const QJsonValue v = m_object.value(QLatin1String(name));
        QVector<QPointF> result;
        if (!v.isArray()) {
            fail(name, QStringLiteral("a list of [x, y]"));
            return result;
        }
        if (v.toArray().size() > maxPoints) {
            fail(name, QStringLiteral("a list of at most %1 points").arg(maxPoints));
            return result;
        }
        for (const QJsonValue& p : v.toArray()) {
            const QJsonArray a = p.toArray();
            if (!p.isArray() || a.size() != 2 || !inRange(a[0], -maxCoordinate) ||
                !inRange(a[1], -maxCoordinate)) {
                fail(name, QStringLiteral("a list of [x, y] with x, y from %1 to %2")
                               .arg(-maxCoordinate)
                               .arg(maxCoordinate));
                return {};
            }
            result.append({a[0].toDouble(), a[1].toDouble()});
        }
        return result;
    }

    Color color()
    {
        const QJsonValue v = m_object.value(QLatin1String("color"));
        if (v.isUndefined()) {
            return defaultColor;
        }
        const auto parsed = Color::fromHex(v.toString());
        if (!v.isString() || !parsed) {
            fail("color", QStringLiteral("\"#RRGGBB\" or \"#RRGGBBAA\""));
            return defaultColor;
        }
        return *parsed;
    }

    bool flag(const char* name)
    {
        const QJsonValue v = m_object.value(QLatin1String(name));
        if (v.isUndefined()) {
            return false;
        }
        if (!v.isBool()) {
            fail(name, QStringLiteral("true or false"));
        }
        return v.toBool();
    }

    QString text(const char* name)
    {
        const QJsonValue v = m_object.value(QLatin1String(name));
        if (!v.isString() || v.toString().size() > maxTextLength) {
            fail(name, QStringLiteral("a string of at most %1 characters").arg(maxTextLength));
            return {};
        }
        return v.toString();
    }

    template <typename E> E style(E fallback)
    {
        const QJsonValue v = m_object.value(QLatin1String("style"));
        if (v.isUndefined()) {
            return fallback;
        }
        const auto parsed = fromRawValue<E>(v.toString());
        if (!parsed) {
            QStringList names;
            for (E e : allCases<E>()) {
                names.append(rawValue(e));
            }
            fail("style", QStringLiteral("one of ") + names.join(QStringLiteral(", ")));
            return fallback;
        }
        return *parsed;
    }

private:
    static bool inRange(const QJsonValue& v, double minimum)
    {
        return v.isDouble() && std::isfinite(v.toDouble()) && v.toDouble() >= minimum &&
               v.toDouble() <= maxCoordinate;
    }

    void fail(const char* name, const QString& expected)
    {
        if (!error) {
            error = QStringLiteral("annotation %1: \"%2\" must be %3")
                        .arg(m_index)
                        .arg(QLatin1String(name), expected);
        }
    }

    QJsonObject m_object;
    int m_index;
};

std::variant<Annotation, AnnotationParseError> parseOne(const QJsonObject& object, int index)
{
    FieldReader r(object, index);
    const QString kind = object.value(QLatin1String("kind")).toString();
    Annotation result;
    const QUuid id = QUuid::createUuid();
    if (kind == QLatin1String("arrow")) {
        ArrowAnnotation a{id,
                          r.pair("startPoint"),
                          r.pair("endPoint"),
                          r.color(),
                          r.number("lineWidth", 8, 0, maxLineWidth),
                          r.flag("hasWhiteStroke"),
                          r.style(ArrowStyle::filled)};
        result = a;
    } else if (kind == QLatin1String("text")) {
        TextAnnotation t;
        t.id = id;
        t.position = r.pair("position");
        t.text = r.text("text");
        t.fontSize = r.number("fontSize", 32, 1, maxFontSize);
        t.color = r.color();
        if (object.contains(QLatin1String("maxWidth"))) {
            t.maxWidth = r.number("maxWidth", std::nullopt, 0, maxCoordinate);
        }
        t.hasWhiteStroke = r.flag("hasWhiteStroke");
        t.style = r.style(TextStyle::standard);
        result = t;
    } else if (kind == QLatin1String("rect")) {
        const QPointF size = r.pair("size", true);
        result = RectAnnotation{id,
                                r.pair("origin"),
                                QSizeF(size.x(), size.y()),
                                r.color(),
                                r.number("lineWidth", 8, 0, maxLineWidth),
                                r.number("cornerRadius", 6, 0, maxCoordinate),
                                r.flag("hasWhiteStroke")};
    } else if (kind == QLatin1String("ellipse")) {
        const QPointF size = r.pair("size", true);
        result = EllipseAnnotation{id,
                                   r.pair("origin"),
                                   QSizeF(size.x(), size.y()),
                                   r.color(),
                                   r.number("lineWidth", 8, 0, maxLineWidth),
                                   r.flag("hasWhiteStroke")};
    } else if (kind == QLatin1String("draw")) {
        result = DrawAnnotation{id, r.points("points"), r.color(), r.number("lineWidth", 8, 0, maxLineWidth),
                                r.flag("hasWhiteStroke")};
    } else if (kind == QLatin1String("blur")) {
        const QPointF size = r.pair("size", true);
        result = BlurAnnotation{id, r.pair("origin"), QSizeF(size.x(), size.y()),
                                r.number("pixelSize", 10, 1, maxPixelSize)};
    } else {
        return AnnotationParseError{
            QStringLiteral("annotation %1: \"kind\" must be one of arrow, text, rect, ellipse, draw, blur")
                .arg(index)};
    }
    if (r.error) {
        return AnnotationParseError{*r.error};
    }
    return result;
}

} // namespace

std::variant<AnnotationList, AnnotationParseError> parseAnnotationsJson(const QByteArray& json)
{
    if (json.size() > maxAnnotationsJsonBytes) {
        return AnnotationParseError{QStringLiteral("larger than %1 MiB").arg(maxAnnotationsJsonBytes >> 20)};
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return AnnotationParseError{QStringLiteral("not valid JSON at offset %1: %2")
                                        .arg(parseError.offset)
                                        .arg(parseError.errorString())};
    }
    if (!document.isArray()) {
        return AnnotationParseError{QStringLiteral("expected a JSON list of annotations")};
    }
    if (document.array().size() > maxAnnotations) {
        return AnnotationParseError{QStringLiteral("more than %1 annotations").arg(maxAnnotations)};
    }
    AnnotationList annotations;
    int index = 0;
    for (const QJsonValue& value : document.array()) {
        ++index;
        if (!value.isObject()) {
            return AnnotationParseError{QStringLiteral("annotation %1: expected an object").arg(index)};
        }
        auto parsed = parseOne(value.toObject(), index);
        if (auto* error = std::get_if<AnnotationParseError>(&parsed)) {
            return *error;
        }
        annotations.append(std::get<Annotation>(parsed));
    }
    return annotations;
}

} // namespace velmora
