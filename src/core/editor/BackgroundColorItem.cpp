#include "editor/BackgroundColorItem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLatin1String>

#include <cmath>

namespace velmora {

namespace {

const QLatin1String kId("id");
const QLatin1String kRed("red");
const QLatin1String kGreen("green");
const QLatin1String kBlue("blue");
const QLatin1String kAlpha("alpha");

bool isFinite(const Color& c)
{
    return std::isfinite(c.red) && std::isfinite(c.green) && std::isfinite(c.blue) && std::isfinite(c.alpha);
}

} // namespace

BackgroundColorItem BackgroundColorItem::make(const QString& id, const Color& color)
{
    const Color stored = isFinite(color) ? color : Color::white();
    return {id, stored.red, stored.green, stored.blue, stored.alpha};
}

Color BackgroundColorItem::color() const
{
    return {red, green, blue, alpha};
}

QByteArray encodeColorItems(const QVector<BackgroundColorItem>& items)
{
    QJsonArray array;
    for (const BackgroundColorItem& item : items) {
        // QJsonValue silently turns NaN and infinity into null, which would make the whole list
        // unreadable later; refuse to encode instead.
        if (!isFinite(item.color())) {
            return {};
        }
        QJsonObject object;
        object.insert(kId, item.id);
        object.insert(kRed, item.red);
        object.insert(kGreen, item.green);
        object.insert(kBlue, item.blue);
        object.insert(kAlpha, item.alpha);
        array.append(object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<QVector<BackgroundColorItem>> decodeColorItems(const QByteArray& data)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        return std::nullopt;
    }
    QVector<BackgroundColorItem> items;
    const QJsonArray array = document.array();
    items.reserve(array.size());
    for (const QJsonValue& element : array) {
        if (!element.isObject()) {
            return std::nullopt;
        }
        const QJsonObject object = element.toObject();
        const QJsonValue id = object.value(kId);
        const QJsonValue red = object.value(kRed);
        const QJsonValue green = object.value(kGreen);
        const QJsonValue blue = object.value(kBlue);
        const QJsonValue alpha = object.value(kAlpha);
        if (!id.isString() || !red.isDouble() || !green.isDouble() || !blue.isDouble() || !alpha.isDouble()) {
            return std::nullopt;
        }
        items.append({id.toString(), red.toDouble(), green.toDouble(), blue.toDouble(), alpha.toDouble()});
    }
    return items;
}

BackgroundColorItem defaultCustomColorItem()
{
    return {QStringLiteral("default-custom-color"), 0.83, 0.89, 0.97, 1.0};
}

} // namespace velmora
