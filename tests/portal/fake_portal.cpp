// A stand-in desktop portal on a private session bus, for the portal backend's tests.
//
//   fake_portal --role frontend|backend --picture PNG --mode MODE [--log FILE]
//
// frontend: owns org.freedesktop.portal.Desktop and answers org.freedesktop.portal.Screenshot
//   itself, as xdg-desktop-portal would. Its Response is sent before the reply to the call, so a
//   client that subscribes only after the reply misses it.
// backend: owns org.freedesktop.impl.portal.desktop.velmoratest and implements
//   org.freedesktop.impl.portal.Screenshot and .Access for the real xdg-desktop-portal.
//
// MODE: done (a copy of PNG in a fresh temporary file), cancel (response 1), fail (response 2),
// never (no answer), refuse-plain (2 to a non-interactive call, done to an interactive one).
// Every call is logged to FILE as one line: "<method> interactive=<0|1> path=<ok|wrong> file=<…>"
// and "Close <path>" when a request is closed.
//
// The frontend also serves org.freedesktop.portal.GlobalShortcuts (version 2): it assigns each
// bound shortcut its preferred trigger (none without one) and logs "CreateSession",
// "BindShortcuts id=TRIGGER…", "ListShortcuts" and "ConfigureShortcuts". A test plays the desktop
// through org.velmora.FakePortal on the same object: Activate(s id) emits Activated for that
// shortcut, Assign(s id, s trigger) gives it other keys ("" none) and emits ShortcutsChanged.

#include "PortalStructs.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <QTextStream>
#include <QUrl>

#include <cstdio>

using portalstructs::Shortcut;

namespace {

constexpr char shortcutsInterface[] = "org.freedesktop.portal.GlobalShortcuts";
constexpr char controlInterface[] = "org.velmora.FakePortal";

// "CTRL+SHIFT+2" as a desktop would show it: "Ctrl+Shift+2".
QString describeTrigger(const QString& trigger)
{
    QStringList parts = trigger.split(QLatin1Char('+'));
    for (QString& part : parts) {
        if (part.size() > 1 && part == part.toUpper()) {
            part = part.left(1) + part.mid(1).toLower();
        } else if (part.size() == 1) {
            part = part.toUpper();
        }
    }
    return parts.join(QLatin1Char('+')).replace(QLatin1String("Logo"), QLatin1String("Super"));
}

struct Options
{
    QString role;
    QString picture;
    QString mode;
    QString log;
};

void logLine(const Options& options, const QString& line)
{
    if (options.log.isEmpty()) {
        return;
    }
    QFile file(options.log);
    if (file.open(QIODevice::Append | QIODevice::Text)) {
        QTextStream(&file) << line << '\n';
    }
}

using portalstructs::expectedRequestPath;

// The response code and results for one screenshot request, and the file handed over.
struct Answer
{
    uint code = 2;
    QVariantMap results;
    QString file;
};

Answer answer(const Options& options, bool interactive)
{
    Answer result;
    const bool succeed = options.mode == QLatin1String("done") ||
                         (options.mode == QLatin1String("refuse-plain") && interactive);
    if (options.mode == QLatin1String("cancel")) {
        result.code = 1;
    } else if (succeed) {
        QTemporaryFile copy(QDir::tempPath() + QStringLiteral("/fake-portal-XXXXXX.png"));
        copy.setAutoRemove(false);
        QFile source(options.picture);
        if (copy.open() && source.open(QIODevice::ReadOnly)) {
            copy.write(source.readAll());
            copy.close();
            result.code = 0;
            result.file = copy.fileName();
            result.results.insert(QStringLiteral("uri"), QUrl::fromLocalFile(copy.fileName()).toString());
        }
    }
    return result;
}

class FakePortal final : public QDBusVirtualObject
{
public:
    explicit FakePortal(Options options) : m_options(std::move(options)) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override
    {
        const QString member = message.member();
        if (member == QLatin1String("Close")) {
            logLine(m_options, QStringLiteral("Close ") + message.path());
            bus.send(message.createReply());
            return true;
        }
        if (member == QLatin1String("AccessDialog")) {
            bus.send(message.createReply(QVariantList{0u, QVariantMap()}));
            return true;
        }
        if (member == QLatin1String("Get") || member == QLatin1String("GetAll")) {
            // The frontend asks a backend's version; 2 knows the interactive option.
            if (member == QLatin1String("Get")) {
                bus.send(message.createReply(QVariant::fromValue(QDBusVariant(2u))));
            } else {
                bus.send(message.createReply(QVariantMap{{QStringLiteral("version"), 2u}}));
            }
            return true;
        }
        if (message.interface() == QLatin1String(shortcutsInterface) &&
            m_options.role != QLatin1String("backend")) {
            return shortcutsCall(message, bus);
        }
        if (message.interface() == QLatin1String(controlInterface)) {
            return control(message, bus);
        }
        if (member != QLatin1String("Screenshot")) {
            bus.send(message.createErrorReply(QDBusError::UnknownMethod, member));
            return true;
        }
        return m_options.role == QLatin1String("backend") ? backendScreenshot(message, bus)
                                                          : frontendScreenshot(message, bus);
    }

private:
    bool frontendScreenshot(const QDBusMessage& message, const QDBusConnection& bus)
    {
        const QVariantList arguments = message.arguments();
        const QVariantMap options = qdbus_cast<QVariantMap>(arguments.value(1));
        const bool interactive = options.value(QStringLiteral("interactive")).toBool();
        const QString token = options.value(QStringLiteral("handle_token")).toString();
        const QString path = expectedRequestPath(message.service(), token);
        const Answer result =
            m_options.mode == QLatin1String("never") ? Answer{} : answer(m_options, interactive);
        logLine(m_options, QStringLiteral("Screenshot interactive=%1 path=%2 file=%3")
                               .arg(interactive ? 1 : 0)
                               .arg(token.isEmpty() ? QStringLiteral("none") : QStringLiteral("ok"))
                               .arg(result.file));
        const bool answers = m_options.mode != QLatin1String("never");
        portalstructs::answerRequest(message, bus, path, answers ? std::optional(result.code) : std::nullopt,
                                     result.results);
        return true;
    }

    bool backendScreenshot(const QDBusMessage& message, const QDBusConnection& bus)
    {
        // (o handle, s app_id, s parent_window, a{sv} options) → (u response, a{sv} results)
        const QVariantList arguments = message.arguments();
        const QString handle = qdbus_cast<QDBusObjectPath>(arguments.value(0)).path();
        const QVariantMap options = qdbus_cast<QVariantMap>(arguments.value(3));
        const bool interactive = options.value(QStringLiteral("interactive")).toBool();
        const bool wellFormed = handle.startsWith(QLatin1String("/org/freedesktop/portal/desktop/request/"));
        const Answer result =
            m_options.mode == QLatin1String("never") ? Answer{} : answer(m_options, interactive);
        logLine(m_options, QStringLiteral("Screenshot interactive=%1 path=%2 file=%3")
                               .arg(interactive ? 1 : 0)
                               .arg(wellFormed ? QStringLiteral("ok") : QStringLiteral("wrong"))
                               .arg(result.file));
        if (m_options.mode == QLatin1String("never")) {
            // Held unanswered; the frontend waits for as long as the client lets it.
            message.setDelayedReply(true);
            return true;
        }
        bus.send(message.createReply(QVariantList{result.code, result.results}));
        return true;
    }

    // The GlobalShortcuts calls of one client's session; every answer comes as the Response of
    // the request, sent before the reply, as the frontend's Screenshot does.
    bool shortcutsCall(const QDBusMessage& message, const QDBusConnection& bus)
    {
        const QString member = message.member();
        const QVariantList arguments = message.arguments();
        if (member == QLatin1String("ConfigureShortcuts")) {
            logLine(m_options, member);
            bus.send(message.createReply());
            return true;
        }
        QVariantMap results;
        if (member == QLatin1String("CreateSession")) {
            const QVariantMap options = qdbus_cast<QVariantMap>(arguments.value(0));
            QString sender = message.service();
            sender.remove(QLatin1Char(':')).replace(QLatin1Char('.'), QLatin1Char('_'));
            m_session = QStringLiteral("/org/freedesktop/portal/desktop/session/") + sender +
                        QLatin1Char('/') + options.value(QStringLiteral("session_handle_token")).toString();
            results.insert(QStringLiteral("session_handle"), m_session);
            logLine(m_options, member);
        } else if (member == QLatin1String("BindShortcuts")) {
            QList<Shortcut> list;
            qvariant_cast<QDBusArgument>(arguments.value(1)) >> list;
            m_shortcuts.clear();
            QStringList line{member};
            for (const Shortcut& shortcut : std::as_const(list)) {
                const QString trigger =
                    shortcut.properties.value(QStringLiteral("preferred_trigger")).toString();
                m_shortcuts.insert(shortcut.key,
                                   {shortcut.properties.value(QStringLiteral("description")).toString(),
                                    describeTrigger(trigger)});
                line.append(shortcut.key + QLatin1Char('=') +
                            (trigger.isEmpty() ? QStringLiteral("-") : trigger));
            }
            logLine(m_options, line.join(QLatin1Char(' ')));
            results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(assigned()));
        } else if (member == QLatin1String("ListShortcuts")) {
            logLine(m_options, member);
            results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(assigned()));
        } else {
            bus.send(message.createErrorReply(QDBusError::UnknownMethod, member));
            return true;
        }
        const QVariantMap options = qdbus_cast<QVariantMap>(arguments.constLast());
        const QString path =
            expectedRequestPath(message.service(), options.value(QStringLiteral("handle_token")).toString());
        portalstructs::answerRequest(message, bus, path, 0u, results);
        return true;
    }

    // The test standing in for the user at the desktop.
    bool control(const QDBusMessage& message, const QDBusConnection& bus)
    {
        const QVariantList arguments = message.arguments();
        const QString id = arguments.value(0).toString();
        QDBusMessage signal;
        if (message.member() == QLatin1String("Activate")) {
            signal =
                QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
                                           QLatin1String(shortcutsInterface), QStringLiteral("Activated"));
            signal << QVariant::fromValue(QDBusObjectPath(m_session)) << id << qulonglong(0) << QVariantMap();
        } else if (message.member() == QLatin1String("Assign") && m_shortcuts.contains(id)) {
            m_shortcuts[id].trigger = arguments.value(1).toString();
            signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
                                                QLatin1String(shortcutsInterface),
                                                QStringLiteral("ShortcutsChanged"));
            signal << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariant::fromValue(assigned());
        } else {
            bus.send(
                message.createErrorReply(QDBusError::InvalidArgs, message.member() + QLatin1Char(' ') + id));
            return true;
        }
        bus.send(signal);
        bus.send(message.createReply());
        return true;
    }

    // What the desktop assigned, as ListShortcuts and ShortcutsChanged report it.
    QList<Shortcut> assigned() const
    {
        QList<Shortcut> list;
        for (auto it = m_shortcuts.cbegin(); it != m_shortcuts.cend(); ++it) {
            list.append({it.key(),
                         {{QStringLiteral("description"), it->description},
                          {QStringLiteral("trigger_description"), it->trigger}}});
        }
        return list;
    }

    struct Bound
    {
        QString description;
        QString trigger; // as the desktop shows it; empty: no keys
    };

    Options m_options;
    QString m_session;
    QMap<QString, Bound> m_shortcuts;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({{QStringLiteral("role"), QStringLiteral("frontend or backend"), QStringLiteral("role"),
                        QStringLiteral("frontend")},
                       {QStringLiteral("picture"), QStringLiteral("PNG handed out"), QStringLiteral("file")},
                       {QStringLiteral("mode"), QStringLiteral("how to answer"), QStringLiteral("mode"),
                        QStringLiteral("done")},
                       {QStringLiteral("log"), QStringLiteral("call log"), QStringLiteral("file")}});
    parser.process(app);
    Options options{parser.value(QStringLiteral("role")), parser.value(QStringLiteral("picture")),
                    parser.value(QStringLiteral("mode")), parser.value(QStringLiteral("log"))};

    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    const bool backend = options.role == QLatin1String("backend");
    const QString name = backend ? QStringLiteral("org.freedesktop.impl.portal.desktop.velmoratest")
                                 : QStringLiteral("org.freedesktop.portal.Desktop");
    FakePortal portal(options);
    // The portal object and every request object below it.
    if (!bus.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                                   QDBusConnection::SubPath) ||
        !bus.registerService(name)) {
        std::fprintf(stderr, "fake_portal: cannot serve %s: %s\n", qPrintable(name),
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    return app.exec();
}
