// The Hotkeys tab where the desktop assigns the keys: what fake_portal, standing in for the
// desktop on a private bus, assigned and later changed shows in the tab, and the tab's button
// asks the desktop the way it allows.
#include "PrivateBus.h"
#include "portal/PortalGlobalShortcuts.h"
#include "portal/PortalRequest.h"
#include "preferences/HotkeyPreferences.h"
#include "preferences/HotkeyRecorderButton.h"
#include "preferences/HotkeysPreferencesView.h"
#include "preferences/SettingsSection.h"
#include "preferences/SettingsStore.h"
#include "support/FakeDesktopShortcuts.h"
#include "support/TestSupport.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;
using Action = HotkeyPreferences::Action;

namespace {

using FakeDesktop = test::FakeDesktopShortcuts;

// Wayland with the shortcut portal: window capture through the desktop's picker, no scrolling.
PlatformCapabilities desktopAssigns()
{
    PlatformCapabilities capabilities;
    capabilities.interactiveWindowGrab = true;
    capabilities.shortcuts = PlatformCapabilities::Shortcuts::desktopAssigned;
    return capabilities;
}

QString shown(const HotkeysPreferencesView& view, Action action)
{
    const QLabel* label = view.assignedLabel(action);
    return label ? label->text() : QStringLiteral("(no row)");
}

QString footer(const HotkeysPreferencesView& view)
{
    return view.findChildren<SettingsSection*>().first()->footerLabel()->text();
}

} // namespace

class TestPortalHotkeysTab : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!m_bus.start()) {
            QSKIP("dbus-daemon is not available");
        }
        m_log = m_folder.filePath(QStringLiteral("calls.log"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus.address());
        m_portal.setProcessEnvironment(environment);
        m_portal.setProcessChannelMode(QProcess::ForwardedChannels);
        m_portal.start(QStringLiteral(FAKE_PORTAL), {QStringLiteral("--log"), m_log});
        QVERIFY(m_portal.waitForStarted());
        QVERIFY(QTest::qWaitFor(
            [this] {
                return m_bus.client().interface()->isServiceRegistered(QLatin1String(portal::desktopService));
            },
            test::waitTimeout));
    }

    void cleanupTestCase()
    {
        m_portal.kill();
        m_portal.waitForFinished();
    }

    // The real portal client against the stand-in desktop: the keys it assigned, then the keys
    // the user gave one shortcut in the desktop's settings (ShortcutsChanged), show in the rows;
    // the button opens the desktop's dialog (the interface's version 2).
    void showsWhatTheDesktopAssignedAndLaterChanged()
    {
        MemorySettingsStore store;
        HotkeyPreferences hotkeys(store);
        portal::PortalGlobalShortcuts desktop(m_bus.client(), 10000);
        HotkeysPreferencesView view(hotkeys, desktopAssigns(), &desktop);
        view.show();
        QCOMPARE(shown(view, Action::region), QStringLiteral("Waiting for the desktop…"));
        QVERIFY(!view.changeShortcutsButton()->isVisibleTo(&view));

        desktop.bind({{rawValue(Action::region), QStringLiteral("Capture Area"),
                       Hotkey{19, Hotkey::command | Hotkey::shift}},
                      {rawValue(Action::window), QStringLiteral("Capture Window"), std::nullopt}});
        QTRY_COMPARE(shown(view, Action::region), QStringLiteral("Ctrl+Shift+2"));
        QCOMPARE(shown(view, Action::window), QStringLiteral("Not assigned"));
        // Not bound at all: no keys either.
        QCOMPARE(shown(view, Action::fullScreen), QStringLiteral("Not assigned"));
        // Nothing to record where the desktop decides, and no row for what cannot work here; the
        // editor's own shortcut stays Velmora's.
        QVERIFY(!view.recorder(Action::region));
        QVERIFY(view.recorder(Action::saveToDisk));
        QVERIFY(!view.assignedLabel(Action::scrollingCapture));

        QDBusMessage assign = QDBusMessage::createMethodCall(
            QLatin1String(portal::desktopService), QLatin1String(portal::desktopPath),
            QStringLiteral("org.velmora.FakePortal"), QStringLiteral("Assign"));
        assign << rawValue(Action::window) << QStringLiteral("Super+W");
        QCOMPARE(m_bus.client().call(assign).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(shown(view, Action::window), QStringLiteral("Super+W"));
        QCOMPARE(shown(view, Action::region), QStringLiteral("Ctrl+Shift+2"));

        QVERIFY(view.changeShortcutsButton()->isVisibleTo(&view));
        QTest::mouseClick(view.changeShortcutsButton(), Qt::LeftButton);
        QTRY_VERIFY(calls().contains(QLatin1String("ConfigureShortcuts\n")));
    }

    // The footer says how the keys can be changed, and the button is there only where Velmora
    // can ask; both follow the desktop when it turns a way down.
    void changingFollowsTheDesktop_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<QString>("footer"); // a part of it
        QTest::addColumn<bool>("button");
        using Change = DesktopShortcuts::Change;
        QTest::newRow("its dialog") << int(Change::configure) << "opens its shortcut settings" << true;
        QTest::newRow("binding again") << int(Change::rebind) << "asks it again" << true;
        QTest::newRow("only its settings")
            << int(Change::desktopSettings) << "desktop's keyboard settings" << false;
    }

    void changingFollowsTheDesktop()
    {
        QFETCH(int, change);
        QFETCH(QString, footer);
        QFETCH(bool, button);
        MemorySettingsStore store;
        HotkeyPreferences hotkeys(store);
        FakeDesktop desktop;
        desktop.way = DesktopShortcuts::Change::configure;
        HotkeysPreferencesView view(hotkeys, desktopAssigns(), &desktop);
        view.show();
        // Some desktops change keys without a word: the tab asks when it comes up.
        QCOMPARE(desktop.refreshes, 1);

        desktop.way = DesktopShortcuts::Change(change);
        desktop.assigned = QMap<QString, QString>{{rawValue(Action::ocr), QStringLiteral("Ctrl+Shift+3")}};
        Q_EMIT desktop.assignmentsChanged();
        QVERIFY2(::footer(view).contains(footer), qPrintable(::footer(view)));
        QCOMPARE(view.changeShortcutsButton()->isVisibleTo(&view), button);
        QCOMPARE(shown(view, Action::ocr), QStringLiteral("Ctrl+Shift+3"));
        if (button) {
            QTest::mouseClick(view.changeShortcutsButton(), Qt::LeftButton);
            QCOMPARE(desktop.changeRequests, 1);
        }
    }

private:
    QString calls() const
    {
        QFile file(m_log);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    PrivateBus m_bus;
    QTemporaryDir m_folder;
    QString m_log;
    QProcess m_portal;
};

QTEST_MAIN(TestPortalHotkeysTab)
#include "tst_portalhotkeystab.moc"
