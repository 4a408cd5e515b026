#include "portal/PortalGlobalShortcuts.h"

#include "PrivateBus.h"
#include "portal/PortalRequest.h"
#include "support/TestSupport.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

using namespace velmora;
using namespace velmora::portal;

namespace {

constexpr char sessionPath[] = "/org/freedesktop/portal/desktop/session/1_1/velmora";
constexpr char shortcutsInterface[] = "org.freedesktop.portal.GlobalShortcuts";

QList<PortalShortcut> shortcutList(const QVariant& value)
{
    QList<PortalShortcut> list;
    if (value.canConvert<QDBusArgument>()) {
        value.value<QDBusArgument>() >> list;
    }
    return list;
}

// The triggers asked for, by shortcut id.
QMap<QString, QString> triggers(const QList<PortalShortcut>& list)
{
    QMap<QString, QString> map;
    for (const PortalShortcut& shortcut : list) {
        map.insert(shortcut.id, shortcut.properties.value(QStringLiteral("preferred_trigger")).toString());
    }
    return map;
}

// The GlobalShortcuts side of the desktop portal: records what CreateSession and BindShortcuts
// were given and answers both at once.
class FakeShortcutsPortal final : public QDBusVirtualObject
{
public:
    bool offered = true;
    int sessions = 0;
    QMap<QString, QString> created; // shortcuts in CreateSession's options
    QMap<QString, QString> boundTriggers;
    QString boundSession;

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override
    {
        const QString member = message.member();
        if (member == QLatin1String("Get")) {
            if (!offered) {
                bus.send(
                    message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("no such interface")));
            } else {
                bus.send(message.createReply(QVariant::fromValue(QDBusVariant(1u))));
            }
            return true;
        }
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().constLast());
        QVariantMap results;
        if (member == QLatin1String("CreateSession")) {
            ++sessions;
            created = triggers(shortcutList(options.value(QStringLiteral("shortcuts"))));
            results.insert(QStringLiteral("session_handle"), QLatin1String(sessionPath));
        } else if (member == QLatin1String("BindShortcuts")) {
            boundSession = qdbus_cast<QDBusObjectPath>(message.arguments().value(0)).path();
            const auto list = shortcutList(message.arguments().value(1));
            boundTriggers = triggers(list);
            results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(list));
        } else {
            bus.send(message.createErrorReply(QDBusError::UnknownMethod, member));
            return true;
        }
        const QString path =
            requestPath(message.service(), options.value(QStringLiteral("handle_token")).toString());
        QDBusMessage response = QDBusMessage::createTargetedSignal(
            message.service(), path, QStringLiteral("org.freedesktop.portal.Request"),
            QStringLiteral("Response"));
        response << 0u << results;
        bus.send(response);
        bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(path))));
        return true;
    }
};

Hotkey hotkey(qint64 keyCode, quint64 modifiers)
{
    return Hotkey{keyCode, modifiers};
}

} // namespace

class TestPortalShortcuts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        if (!m_bus.start()) {
            QSKIP("dbus-daemon is not available");
        }
        // The portal answers from a thread of its own: the version check blocks the caller's.
        m_fake.moveToThread(&m_portalThread);
        m_portalThread.start();
        QVERIFY(m_bus.portal().registerVirtualObject(QLatin1String(desktopPath), &m_fake));
        QVERIFY(m_bus.portal().registerService(QLatin1String(desktopService)));
    }

    void cleanupTestCase()
    {
        m_portalThread.quit();
        m_portalThread.wait();
    }

    void init()
    {
        m_fake.offered = true;
        m_fake.sessions = 0;
        m_fake.created.clear();
        m_fake.boundTriggers.clear();
        m_fake.boundSession.clear();
    }

    void triggerSyntax_data()
    {
        QTest::addColumn<Hotkey>("hotkey");
        QTest::addColumn<QString>("expected");
        QTest::newRow("digit") << hotkey(19, Hotkey::command | Hotkey::shift) << "CTRL+SHIFT+2";
        QTest::newRow("letter lower-case") << hotkey(40, Hotkey::option) << "ALT+k";
        QTest::newRow("every modifier in order")
            << hotkey(0, Hotkey::shift | Hotkey::control | Hotkey::option | Hotkey::command)
            << "LOGO+CTRL+ALT+SHIFT+a";
        QTest::newRow("punctuation by keysym name") << hotkey(24, Hotkey::command) << "CTRL+equal";
        QTest::newRow("return") << hotkey(36, Hotkey::command) << "CTRL+Return";
        QTest::newRow("space") << hotkey(49, Hotkey::control) << "LOGO+space";
        QTest::newRow("arrow") << hotkey(126, Hotkey::shift) << "SHIFT+Up";
        QTest::newRow("function key alone") << hotkey(111, 0) << "F12";
    }

    void triggerSyntax()
    {
        QFETCH(Hotkey, hotkey);
        QFETCH(QString, expected);
        QCOMPARE(portalTrigger(hotkey), std::optional(expected));
    }

    void unknownKeyHasNoTrigger() { QCOMPARE(portalTrigger(hotkey(999, Hotkey::command)), std::nullopt); }

    // One session; the shortcuts go in CreateSession's options and in BindShortcuts; Activated of
    // that session presses the hotkey, another session's does nothing.
    void sessionBindAndActivate()
    {
        PortalGlobalShortcuts shortcuts(m_bus.client(), 10000);
        QSignalSpy bound(&shortcuts, &PortalGlobalShortcuts::bound);
        QSignalSpy pressed(&shortcuts, &GlobalShortcuts::pressed);
        const Hotkey region = hotkey(19, Hotkey::command | Hotkey::shift);
        const Hotkey full = hotkey(20, Hotkey::command | Hotkey::shift);
        QCOMPARE(shortcuts.grab({region, full}), QList<Hotkey>{});
        QVERIFY(bound.wait(test::waitTimeout));

        const QMap<QString, QString> expected{{portalShortcutId(region), QStringLiteral("CTRL+SHIFT+2")},
                                              {portalShortcutId(full), QStringLiteral("CTRL+SHIFT+3")}};
        QCOMPARE(m_fake.sessions, 1);
        QCOMPARE(m_fake.created, expected);
        QCOMPARE(m_fake.boundTriggers, expected);
        QCOMPARE(m_fake.boundSession, QLatin1String(sessionPath));
        QCOMPARE(triggers(bound.at(0).at(0).value<QList<PortalShortcut>>()), expected);

        activate(QStringLiteral("/org/freedesktop/portal/desktop/session/other/1"), portalShortcutId(region));
        activate(QLatin1String(sessionPath), portalShortcutId(full));
        QVERIFY(pressed.wait(test::waitTimeout));
        QCOMPARE(pressed.size(), 1);
        QCOMPARE(pressed.at(0).at(0).value<Hotkey>(), full);

        // New shortcuts are bound in the same session.
        QCOMPARE(shortcuts.grab({region}), QList<Hotkey>{});
        QVERIFY(bound.wait(test::waitTimeout));
        QCOMPARE(m_fake.sessions, 1);
        QCOMPARE(m_fake.boundTriggers.size(), 1);
    }

    // Without the interface every combination is reported unavailable, and nothing is asked again.
    void portalWithoutShortcuts()
    {
        m_fake.offered = false;
        PortalGlobalShortcuts shortcuts(m_bus.client(), 10000);
        const QList<Hotkey> wanted{hotkey(19, Hotkey::command | Hotkey::shift)};
        QCOMPARE(shortcuts.grab(wanted), wanted);
        QCOMPARE(shortcuts.grab(wanted), wanted);
        QCOMPARE(m_fake.sessions, 0);
    }

private:
    void activate(const QString& session, const QString& id)
    {
        QDBusMessage signal = QDBusMessage::createSignal(
            QLatin1String(desktopPath), QLatin1String(shortcutsInterface), QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1234) << QVariantMap();
        QVERIFY(m_bus.portal().send(signal));
    }

    PrivateBus m_bus;
    QThread m_portalThread;
    FakeShortcutsPortal m_fake;
};

QTEST_GUILESS_MAIN(TestPortalShortcuts)
#include "tst_portalshortcuts.moc"
