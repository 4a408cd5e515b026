#pragma once

// The structures the desktop portal's replies carry, as a desktop writes them, for the stand-in
// portals and the tests that read their replies. Kept apart from Velmora's own types on purpose:
// a stand-in that shared them would agree with any mistake in them.

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

#include <optional>

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

// Answers a call the way a desktop does: `Response` on the request's own path, then the reply
// that names the path. Without `code`, only the reply: the request is never answered.
inline void answerRequest(const QDBusMessage& call, const QDBusConnection& bus, const QString& path,
                          std::optional<uint> code, const QVariantMap& results = {})
{
    if (code) {
        QDBusMessage response = QDBusMessage::createTargetedSignal(
            call.service(), path, QStringLiteral("org.freedesktop.portal.Request"),
            QStringLiteral("Response"));
        response << *code << results;
        bus.send(response);
    }
    bus.send(call.createReply(QVariant::fromValue(QDBusObjectPath(path))));
}

// The request path a desktop uses for a caller's token, worked out apart from the program's own
// function so that the two check each other.
inline QString expectedRequestPath(QString sender, const QString& token)
{
    sender.remove(QLatin1Char(':'));
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender + QLatin1Char('/') + token;
}

} // namespace portalstructs

Q_DECLARE_METATYPE(portalstructs::Shortcut)
Q_DECLARE_METATYPE(portalstructs::CastStream)
Q_DECLARE_METATYPE(portalstructs::Pair)
