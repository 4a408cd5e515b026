#pragma once

#include "imaging/Color.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <optional>

namespace velmora {

// A colour the user added to the background choices. Identified by `id` in lists.
struct BackgroundColorItem
{
    QString id;
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    bool operator==(const BackgroundColorItem&) const = default;

    // A colour whose components are not all finite cannot be stored and becomes white.
    static BackgroundColorItem make(const QString& id, const Color& color);
    Color color() const;
};

// JSON array of objects {"id", "red", "green", "blue", "alpha"}. An item with a component that is
// not a finite number cannot be written as JSON: the result is then empty, so callers can drop the
// stored value instead of writing a list that would not read back.
QByteArray encodeColorItems(const QVector<BackgroundColorItem>& items);

// Every key is required and must have the right type; one malformed element rejects the whole list.
std::optional<QVector<BackgroundColorItem>> decodeColorItems(const QByteArray& data);

// The single item a fresh list starts with.
BackgroundColorItem defaultCustomColorItem();

} // namespace velmora
