#pragma once

// The structures the desktop portal's replies carry, as a desktop writes them, for the stand-in
// portals and the tests that read their replies. Kept apart from Velmora's own types on purpose:
// a stand-in that shared them would agree with any mistake in them.

#include <QDBusArgument>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

namespace portalstructs {

// A key with its properties: (sa{sv}) for a shortcut, (ua{sv}) for a cast stream.
template <typename Key> struct Keyed
{
    Key key{};
    QVariantMap properties;
};

using Shortcut = Keyed<QString>;
using CastStream = Keyed<uint>;

// (ii): a stream's position and size.
struct Pair
{
    int x = 0;
    int y = 0;
};

template <typename Key> QDBusArgument& operator<<(QDBusArgument& argument, const Keyed<Key>& keyed)
{
    argument.beginStructure();
    argument << keyed.key << keyed.properties;
    argument.endStructure();
    return argument;
}

template <typename Key> const QDBusArgument& operator>>(const QDBusArgument& argument, Keyed<Key>& keyed)
{
    argument.beginStructure();
    argument >> keyed.key >> keyed.properties;
    argument.endStructure();
    return argument;
}

inline QDBusArgument& operator<<(QDBusArgument& argument, const Pair& pair)
{
    argument.beginStructure();
    argument << pair.x << pair.y;
    argument.endStructure();
    return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument, Pair& pair)
{
    argument.beginStructure();
    argument >> pair.x >> pair.y;
    argument.endStructure();
    return argument;
}

} // namespace portalstructs

Q_DECLARE_METATYPE(portalstructs::Shortcut)
Q_DECLARE_METATYPE(portalstructs::CastStream)
Q_DECLARE_METATYPE(portalstructs::Pair)
