#include "preferences/SettingsStore.h"
#include "shell/TrayMenu.h"
#include "support/FakeDesktopShortcuts.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace velmora;

Q_DECLARE_METATYPE(velmora::TrayMenu::Command)

class TestTrayMenu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowsInOrderWithTheShortcutsInForce();
    void rowsThatNeedSomethingAreEnabledOnlyWhenItExists();
    void rowsShowTheKeysTheDesktopAssigned();
    void capturesTheBackendCannotDoAreDisabledWithTheReason_data();
    void capturesTheBackendCannotDoAreDisabledWithTheReason();
};

void TestTrayMenu::rowsInOrderWithTheShortcutsInForce()
{
    MemorySettingsStore settings;
    HotkeyPreferences hotkeys(settings);
    TrayMenu tray(hotkeys, {});
    QStringList rows;
    for (const QAction* action : tray.menu()->actions()) {
        rows.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    QCOMPARE(rows,
             (QStringList{"Capture Area", "Capture Text", "Capture Color", "Capture Window",
                          "Capture Full Screen", "Capture While Scrolling", "-", "Load from Clipboard",
                          "Open Image…", "Copy Last Screenshot", "Edit Last Screenshot", "Continue Last Edit",
                          "-", "Preferences…", "Check for Updates…", "-", "Quit Velmora"}));
    const auto shortcut = [&tray](TrayMenu::Command command) {
        return tray.action(command)->shortcut().toString();
    };
    QCOMPARE(shortcut(TrayMenu::Command::captureRegion), QStringLiteral("Ctrl+Shift+2"));
    QCOMPARE(shortcut(TrayMenu::Command::captureWindow), QStringLiteral("Ctrl+Shift+1"));
    QCOMPARE(shortcut(TrayMenu::Command::captureColor), QString());
    QCOMPARE(shortcut(TrayMenu::Command::openPreferences), QStringLiteral("Ctrl+,"));
    QCOMPARE(shortcut(TrayMenu::Command::quit), QStringLiteral("Ctrl+Q"));
    // A cleared shortcut shows none; a new one shows the next time the menu opens.
    hotkeys.set(std::nullopt, HotkeyPreferences::Action::region);
    hotkeys.set(Hotkey{40, Hotkey::command | Hotkey::option}, HotkeyPreferences::Action::colorCapture);
    Q_EMIT tray.menu()->aboutToShow();
    QCOMPARE(shortcut(TrayMenu::Command::captureRegion), QString());
    QCOMPARE(shortcut(TrayMenu::Command::captureColor), QStringLiteral("Ctrl+Alt+K"));

    QSignalSpy triggered(&tray, &TrayMenu::triggered);
    tray.action(TrayMenu::Command::captureText)->trigger();
    QCOMPARE(triggered.size(), 1);
    QCOMPARE(triggered.constFirst().at(0).value<TrayMenu::Command>(), TrayMenu::Command::captureText);
}

void TestTrayMenu::capturesTheBackendCannotDoAreDisabledWithTheReason_data()
{
    QTest::addColumn<bool>("windowList");
    QTest::addColumn<bool>("interactiveWindowGrab");
    QTest::addColumn<bool>("scrolling");
    QTest::addColumn<QString>("scrollingReason");
    QTest::addColumn<bool>("windowEnabled");
    QTest::newRow("x11") << true << false << true << QString() << true;
    QTest::newRow("wayland portal") << false << true << false
                                    << QStringLiteral("Scrolling capture needs the ScreenCast portal")
                                    << true;
    QTest::newRow("no display") << false << false << false
                                << QStringLiteral("Scrolling capture needs a display") << false;
}

void TestTrayMenu::capturesTheBackendCannotDoAreDisabledWithTheReason()
{
    QFETCH(bool, windowList);
    QFETCH(bool, interactiveWindowGrab);
    QFETCH(bool, scrolling);
    QFETCH(QString, scrollingReason);
    QFETCH(bool, windowEnabled);
    MemorySettingsStore settings;
    HotkeyPreferences hotkeys(settings);
    TrayMenu tray(hotkeys, [] { return TrayMenu::Availability{true, true}; });
    PlatformCapabilities capabilities;
    capabilities.windowList = windowList;
    capabilities.interactiveWindowGrab = interactiveWindowGrab;
    capabilities.scrollingCapture = scrolling;
    capabilities.scrollingUnavailableReason = scrollingReason;
    capabilities.windowUnavailableDetail = QStringLiteral("Window capture needs a display");
    tray.setCapabilities(capabilities);
    // Opening the menu again keeps what the backend cannot do.
    Q_EMIT tray.menu()->aboutToShow();

    QAction* window = tray.action(TrayMenu::Command::captureWindow);
    QAction* scroll = tray.action(TrayMenu::Command::captureScrolling);
    QCOMPARE(window->isEnabled(), windowEnabled);
    QCOMPARE(window->toolTip().contains(QLatin1String("Window capture needs")), !windowEnabled);
    QCOMPARE(scroll->isEnabled(), scrolling);
    QCOMPARE(scroll->toolTip().contains(QLatin1String("Scrolling capture needs")), !scrolling);
    if (!scrolling) {
        QCOMPARE(scroll->toolTip(), scrollingReason);
    }
    QVERIFY(tray.menu()->toolTipsVisible());
    // The rows it can do are untouched.
    QVERIFY(tray.action(TrayMenu::Command::captureRegion)->isEnabled());
    QVERIFY(tray.action(TrayMenu::Command::captureFullScreen)->isEnabled());

    // A disabled row starts nothing.
    QSignalSpy triggered(&tray, &TrayMenu::triggered);
    window->trigger();
    scroll->trigger();
    QCOMPARE(triggered.size(), int(windowEnabled) + int(scrolling));
}

void TestTrayMenu::rowsThatNeedSomethingAreEnabledOnlyWhenItExists()
{
    MemorySettingsStore settings;
    HotkeyPreferences hotkeys(settings);
    TrayMenu::Availability now;
    TrayMenu tray(hotkeys, [&now] { return now; });
    const auto enabled = [&tray](TrayMenu::Command command) { return tray.action(command)->isEnabled(); };
    QVERIFY(!enabled(TrayMenu::Command::copyLastScreenshot));
    QVERIFY(!enabled(TrayMenu::Command::editLastScreenshot));
    QVERIFY(!enabled(TrayMenu::Command::continueLastEdit));
    QVERIFY(enabled(TrayMenu::Command::loadFromClipboard));
    now = {true, false};
    Q_EMIT tray.menu()->aboutToShow();
    QVERIFY(enabled(TrayMenu::Command::copyLastScreenshot));
    QVERIFY(enabled(TrayMenu::Command::editLastScreenshot));
    QVERIFY(!enabled(TrayMenu::Command::continueLastEdit));
    now = {false, true};
    Q_EMIT tray.menu()->aboutToShow();
    QVERIFY(!enabled(TrayMenu::Command::copyLastScreenshot));
    QVERIFY(enabled(TrayMenu::Command::continueLastEdit));
}

// Where the desktop assigns the keys, the rows show its keys, which may differ from Velmora's
// preferences, and none where it left a capture without keys.
void TestTrayMenu::rowsShowTheKeysTheDesktopAssigned()
{
    MemorySettingsStore settings;
    HotkeyPreferences hotkeys(settings);
    TrayMenu tray(hotkeys, {});
    test::FakeDesktopShortcuts desktop;
    tray.followDesktopShortcuts(&desktop);
    QAction* region = tray.action(TrayMenu::Command::captureRegion);
    QAction* text = tray.action(TrayMenu::Command::captureText);
    // Before the desktop answers, no keys at all: Velmora's own wishes may not be what holds.
    QCOMPARE(region->text(), QStringLiteral("Capture Area"));
    QVERIFY(region->shortcut().isEmpty());

    desktop.assigned = QMap<QString, QString>{{QStringLiteral("region"), QStringLiteral("Super+Print")},
                                              {QStringLiteral("ocr"), QString()}};
    Q_EMIT tray.menu()->aboutToShow();
    QCOMPARE(region->text(), QStringLiteral("Capture Area\tSuper+Print"));
    QVERIFY(region->shortcut().isEmpty());
    QCOMPARE(text->text(), QStringLiteral("Capture Text"));
    QVERIFY(text->shortcut().isEmpty());
}

QTEST_MAIN(TestTrayMenu)
#include "tst_traymenu.moc"
