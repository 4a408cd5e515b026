#include "portal/PortalGlobalShortcuts.h"

#include "PortalStructs.h"
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

#include <atomic>

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

// The GlobalShortcuts side of the desktop portal: records what each call was given and answers
// at once. Its desktop assigns every shortcut its preferred trigger, as is.
class FakeShortcutsPortal final : public QDBusVirtualObject
{
public:
    bool offered = true;
    uint version = 1;
    bool configureFails = false;
    uint rebindCode = 0; // the response to every BindShortcuts after the first
    std::atomic<int> sessions = 0;
    std::atomic<int> binds = 0;
    std::atomic<int> lists = 0;
    std::atomic<int> configures = 0;
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
                bus.send(message.createReply(QVariant::fromValue(QDBusVariant(version))));
            }
            return true;
        }
        if (member == QLatin1String("ConfigureShortcuts")) {
            ++configures;
            bus.send(configureFails ? message.createErrorReply(QDBusError::UnknownMethod, member)
                                    : message.createReply());
            return true;
        }
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().constLast());
        QVariantMap results;
        uint code = 0;
        if (member == QLatin1String("CreateSession")) {
            ++sessions;
            created = triggers(shortcutList(options.value(QStringLiteral("shortcuts"))));
            results.insert(QStringLiteral("session_handle"), QLatin1String(sessionPath));
        } else if (member == QLatin1String("BindShortcuts")) {
            if (++binds > 1) {
                code = rebindCode;
            }
            if (code == 0) {
                boundSession = qdbus_cast<QDBusObjectPath>(message.arguments().value(0)).path();
                boundTriggers = triggers(shortcutList(message.arguments().value(1)));
                results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(assigned()));
            }
        } else if (member == QLatin1String("ListShortcuts")) {
            ++lists;
            results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(assigned()));
        } else {
            bus.send(message.createErrorReply(QDBusError::UnknownMethod, member));
            return true;
        }
        const QString path =
            requestPath(message.service(), options.value(QStringLiteral("handle_token")).toString());
        portalstructs::answerRequest(message, bus, path, code, results);
        return true;
    }

    // The bound shortcuts with the keys the desktop gave them; none for one without a trigger.
    QList<PortalShortcut> assigned() const
    {
        QList<PortalShortcut> list;
        for (auto it = boundTriggers.cbegin(); it != boundTriggers.cend(); ++it) {
            if (!it.value().isEmpty()) {
                list.append({it.key(), {{QStringLiteral("trigger_description"), it.value()}}});
            }
        }
        return list;
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
        m_fake.version = 1;
        m_fake.configureFails = false;
        m_fake.rebindCode = 0;
        m_fake.sessions = 0;
        m_fake.binds = 0;
        m_fake.lists = 0;
        m_fake.configures = 0;
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

    // One session; the shortcuts go in CreateSession's options and in BindShortcuts, by name, a
    // preferred trigger only where there is one; what the desktop answers is what it assigned.
    // Activated of that session names the shortcut, another session's does nothing.
    void sessionBindAndActivate()
    {
        PortalGlobalShortcuts shortcuts(m_bus.client(), 10000);
        QSignalSpy activated(&shortcuts, &DesktopShortcuts::activated);
        bindRegionAndWindow(shortcuts);

        const QMap<QString, QString> expected{{QStringLiteral("region"), QStringLiteral("CTRL+SHIFT+2")},
                                              {QStringLiteral("window"), QString()}};
        QCOMPARE(m_fake.sessions.load(), 1);
        QCOMPARE(m_fake.created, expected);
        QCOMPARE(m_fake.boundTriggers, expected);
        QCOMPARE(m_fake.boundSession, QLatin1String(sessionPath));
        // The desktop listed only the one it gave keys to: the other has none.
        QCOMPARE(shortcuts.assignments(), std::optional(expected));

        activate(QStringLiteral("/org/freedesktop/portal/desktop/session/other/1"), QStringLiteral("region"));
        activate(QLatin1String(sessionPath), QStringLiteral("window"));
        QVERIFY(activated.wait(test::waitTimeout));
        QTest::qWait(50);
        QCOMPARE(activated.size(), 1);
        QCOMPARE(activated.at(0).at(0).toString(), QStringLiteral("window"));

        // New shortcuts are bound in the same session.
        QSignalSpy changed(&shortcuts, &DesktopShortcuts::assignmentsChanged);
        shortcuts.bind({{QStringLiteral("full"), QStringLiteral("Capture Full Screen"),
                         hotkey(20, Hotkey::command | Hotkey::shift)}});
        QVERIFY(changed.wait(test::waitTimeout));
        QCOMPARE(m_fake.sessions.load(), 1);
        QCOMPARE(m_fake.boundTriggers.keys(), QStringList{QStringLiteral("full")});
    }

    // The user gives other keys in the desktop's settings: ShortcutsChanged of our session is
    // what is assigned from then on; another session's changes nothing.
    void desktopChangesAreFollowed()
    {
        PortalGlobalShortcuts shortcuts(m_bus.client(), 10000);
        bindRegionAndWindow(shortcuts);
        QSignalSpy changed(&shortcuts, &DesktopShortcuts::assignmentsChanged);
        shortcutsChanged(QStringLiteral("/org/freedesktop/portal/desktop/session/other/1"),
                         {{QStringLiteral("region"), QStringLiteral("Alt+X")}});
        shortcutsChanged(QLatin1String(sessionPath), {{QStringLiteral("window"), QStringLiteral("Super+W")}});
        QVERIFY(changed.wait(test::waitTimeout));
        QTest::qWait(50);
        QCOMPARE(changed.size(), 1);
        const QMap<QString, QString> expected{{QStringLiteral("region"), QString()},
                                              {QStringLiteral("window"), QStringLiteral("Super+W")}};
        QCOMPARE(shortcuts.assignments(), std::optional(expected));
        // Asked again, the desktop says what it holds now.
        shortcuts.refresh();
        QTRY_COMPARE(m_fake.lists.load(), 1);
        QTRY_COMPARE(shortcuts.assignments()->value(QStringLiteral("region")),
                     QStringLiteral("CTRL+SHIFT+2"));
    }

    // How the user can change the keys: the desktop's dialog from version 2 on, else binding
    // again, and where the desktop turns a way down, the next one.
    void changingTheKeys_data()
    {
        QTest::addColumn<uint>("version");
        QTest::addColumn<bool>("configureFails");
        QTest::addColumn<uint>("rebindCode");
        QTest::addColumn<int>("offered");    // DesktopShortcuts::Change before asking
        QTest::addColumn<int>("afterwards"); // and after
        QTest::addColumn<int>("configures");
        QTest::addColumn<int>("binds");
        using Change = DesktopShortcuts::Change;
        QTest::newRow("version 2: the desktop's dialog")
            << 2u << false << 0u << int(Change::configure) << int(Change::configure) << 1 << 1;
        QTest::newRow("version 2, dialog refused: binding again next")
            << 2u << true << 0u << int(Change::configure) << int(Change::rebind) << 1 << 1;
        QTest::newRow("version 1: binding again")
            << 1u << false << 0u << int(Change::rebind) << int(Change::rebind) << 0 << 2;
        QTest::newRow("binding again cancelled by the user: offered again")
            << 1u << false << 1u << int(Change::rebind) << int(Change::rebind) << 0 << 2;
        QTest::newRow("binding again refused: the desktop's settings")
            << 1u << false << 2u << int(Change::rebind) << int(Change::desktopSettings) << 0 << 2;
    }

    void changingTheKeys()
    {
        QFETCH(uint, version);
        QFETCH(bool, configureFails);
        QFETCH(uint, rebindCode);
        QFETCH(int, offered);
        QFETCH(int, afterwards);
        QFETCH(int, configures);
        QFETCH(int, binds);
        m_fake.version = version;
        m_fake.configureFails = configureFails;
        m_fake.rebindCode = rebindCode;
        PortalGlobalShortcuts shortcuts(m_bus.client(), 10000);
        bindRegionAndWindow(shortcuts);
        const auto before = shortcuts.assignments();
        QCOMPARE(int(shortcuts.change()), offered);

        shortcuts.requestChange();
        QTRY_COMPARE(m_fake.configures.load() + m_fake.binds.load(), configures + binds);
        QTRY_COMPARE(int(shortcuts.change()), afterwards);
        QTest::qWait(50);
        QCOMPARE(m_fake.configures.load(), configures);
        QCOMPARE(m_fake.binds.load(), binds);
        // A refused or cancelled request leaves the keys as they were.
        QCOMPARE(shortcuts.assignments(), before);
    }

    // Without the interface nothing is asked, no keys are known and only the desktop's settings
    // can change them.
    void portalWithoutShortcuts()
    {
        m_fake.offered = false;
        PortalGlobalShortcuts shortcuts(m_bus.client(), 10000);
        shortcuts.bind({{QStringLiteral("region"), QStringLiteral("Capture Area"), std::nullopt}});
        shortcuts.refresh();
        shortcuts.requestChange();
        QTest::qWait(50);
        QCOMPARE(m_fake.sessions.load(), 0);
        QCOMPARE(m_fake.lists.load(), 0);
        QCOMPARE(shortcuts.assignments(), std::nullopt);
        QCOMPARE(shortcuts.change(), DesktopShortcuts::Change::desktopSettings);
    }

private:
    void bindRegionAndWindow(PortalGlobalShortcuts& shortcuts)
    {
        QSignalSpy changed(&shortcuts, &DesktopShortcuts::assignmentsChanged);
        shortcuts.bind({{QStringLiteral("region"), QStringLiteral("Capture Area"),
                         hotkey(19, Hotkey::command | Hotkey::shift)},
                        {QStringLiteral("window"), QStringLiteral("Capture Window"), std::nullopt}});
        QVERIFY(QTest::qWaitFor([&] { return shortcuts.assignments().has_value(); }, test::waitTimeout));
    }

    // The desktop says which keys each shortcut has now.
    void shortcutsChanged(const QString& session, const QMap<QString, QString>& triggers)
    {
        QList<PortalShortcut> list;
        for (auto it = triggers.cbegin(); it != triggers.cend(); ++it) {
            list.append({it.key(), {{QStringLiteral("trigger_description"), it.value()}}});
        }
        QDBusMessage signal =
            QDBusMessage::createSignal(QLatin1String(desktopPath), QLatin1String(shortcutsInterface),
                                       QStringLiteral("ShortcutsChanged"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << QVariant::fromValue(list);
        QVERIFY(m_bus.portal().send(signal));
    }

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
