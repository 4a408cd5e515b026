#include "AppDelegate.h"
#include "AppState.h"
#include "CaptureFlows.h"
#include "Platform.h"
#include "preferences/HotkeyPreferences.h"
#include "shell/PillNotification.h"
#include "shell/TrayMenu.h"
#include "support/FakeDesktopShortcuts.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {

// Runs a command as the bus would deliver it and waits for its one reply.
CommandReply run(AppDelegate& delegate, const QStringList& arguments, const QString& folder)
{
    int replies = 0;
    CommandReply answer;
    delegate.runCommand(arguments, folder, [&](const CommandReply& reply) {
        ++replies;
        answer = reply;
    });
    if (!QTest::qWaitFor([&] { return replies > 0; }, 10000)) {
        return {-1, {}, QStringLiteral("no reply")};
    }
    QTest::qWait(10);
    return replies == 1 ? answer : CommandReply{-2, {}, QStringLiteral("%1 replies").arg(replies)};
}

} // namespace

// The tray instance on the null platform: what the commands other processes send it answer.
class TestAppDelegate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("VELMORA_PLATFORM", "null");
        m_home = std::make_unique<test::IsolatedHome>();
        QVERIFY(test::solidImage(40, 30, Qt::darkGreen).save(m_files.filePath(QStringLiteral("shot.png"))));
    }
    void cleanup()
    {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            window->close();
        }
    }

    void commandsAnswerAsTheirOwnProcessWould_data();
    void commandsAnswerAsTheirOwnProcessWould();
    void aSecondCaptureWhileOneRunsIsRefused();
    void quittingWithEditorsOpenAsksFirst();
    void desktopShortcutsRunOnlyWhatWorksHere_data();
    void desktopShortcutsRunOnlyWhatWorksHere();

private:
    std::unique_ptr<test::IsolatedHome> m_home;
    QTemporaryDir m_files;
};

void TestAppDelegate::commandsAnswerAsTheirOwnProcessWould_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output"); // a part of it
    QTest::addColumn<QString>("error");  // a part of it
    QTest::addColumn<int>("editors");
    // Relative names are the caller's: resolved in its working folder.
    QTest::newRow("edit") << QStringList{"edit", "shot.png"} << 0 << ""
                          << "" << 1;
    QTest::newRow("edit, one unreadable") << QStringList{"edit", "shot.png", "missing.png"} << 0 << ""
                                          << "velmora edit: cannot open missing.png" << 1;
    QTest::newRow("edit, none readable") << QStringList{"edit", "missing.png"} << 2 << ""
                                         << "missing.png" << 0;
    QTest::newRow("edit nothing") << QStringList{"edit"} << 2 << ""
                                  << "no FILE given" << 0;
    QTest::newRow("help") << QStringList{"region", "--help"} << 0 << "--delay"
                          << "" << 0;
    QTest::newRow("bad delay") << QStringList{"text", "--delay", "soon"} << 2 << ""
                               << "velmora text: invalid delay" << 0;
    QTest::newRow("file output stays with the caller") << QStringList{"full", "-o", "x.png"} << 2 << ""
                                                       << "-o is written by the calling process" << 0;
    QTest::newRow("unknown") << QStringList{"frobnicate"} << 2 << ""
                             << "unknown command \"frobnicate\"" << 0;
    QTest::newRow("another start") << QStringList{"activate"} << 0 << ""
                                   << "" << 0;
    // The failure of the capture itself comes back to the caller, not only a beep.
    QTest::newRow("capture without a display") << QStringList{"full"} << 2 << ""
                                               << "velmora full: no display" << 0;
    // A capture this backend cannot do says why, in the words of its disabled tray row.
    QTest::newRow("scrolling where it cannot work")
        << QStringList{"scroll"} << 2 << ""
        << "velmora scroll: Scrolling capture needs a display" << 0;
    QTest::newRow("window where it cannot work") << QStringList{"window"} << 2 << ""
                                                 << "velmora window: Window capture needs a display" << 0;
}

void TestAppDelegate::commandsAnswerAsTheirOwnProcessWould()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, error);
    QFETCH(int, editors);
    AppDelegate delegate;
    const CommandReply reply = run(delegate, arguments, m_files.path());
    QCOMPARE(reply.status, status);
    QVERIFY2(reply.output.contains(output), qPrintable(reply.output));
    QVERIFY2(error.isEmpty() ? reply.error.isEmpty() : reply.error.contains(error), qPrintable(reply.error));
    QVERIFY(reply.error.isEmpty() || reply.error.endsWith(QLatin1Char('\n')));
    QCOMPARE(delegate.state().openEditorCount(), editors);
}

void TestAppDelegate::aSecondCaptureWhileOneRunsIsRefused()
{
    AppDelegate delegate;
    QList<CommandReply> replies;
    const auto collect = [&replies](const CommandReply& reply) { replies.append(reply); };
    delegate.runCommand({QStringLiteral("full")}, m_files.path(), collect);
    delegate.runCommand({QStringLiteral("region")}, m_files.path(), collect);
    QTRY_COMPARE(replies.size(), 2);
    QCOMPARE(replies.at(0).status, 2);
    QVERIFY2(replies.at(0).error.contains(QLatin1String("another capture is in progress")),
             qPrintable(replies.at(0).error));
    QVERIFY2(replies.at(1).error.contains(QLatin1String("no display")), qPrintable(replies.at(1).error));
    // Once answered, the next one runs.
    QCOMPARE(
        run(delegate, {QStringLiteral("full")}, m_files.path()).error.contains(QLatin1String("no display")),
        true);
}

void TestAppDelegate::quittingWithEditorsOpenAsksFirst()
{
    AppDelegate delegate;
    QList<int> asked;
    bool answer = false;
    delegate.setQuitConfirmation([&](int editors) {
        asked.append(editors);
        return answer;
    });
    QCOMPARE(run(delegate, {QStringLiteral("edit"), QStringLiteral("shot.png")}, m_files.path()).status, 0);
    QVERIFY(!delegate.requestQuit());
    QCOMPARE(asked, QList<int>{1});
    QCOMPARE(delegate.state().openEditorCount(), 1);
    answer = true;
    QVERIFY(delegate.requestQuit());
    QCOMPARE(asked, (QList<int>{1, 1}));

    AppDelegate idle;
    idle.setQuitConfirmation([&](int editors) {
        asked.append(editors);
        return false;
    });
    QVERIFY(idle.requestQuit());
    QCOMPARE(asked.size(), 2);
}

void TestAppDelegate::desktopShortcutsRunOnlyWhatWorksHere_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("trayRow"); // whose tooltip is the notice; -1: the capture starts
    QTest::newRow("area") << "region" << -1;
    // The desktop may still hold keys for a capture from a run where it worked.
    QTest::newRow("scrolling") << "scrollingCapture" << int(TrayMenu::Command::captureScrolling);
    QTest::newRow("window") << "window" << int(TrayMenu::Command::captureWindow);
}

// Where the desktop assigns the keys, the captures that work are bound under their stored names
// with Velmora's combinations as wishes; a pressed shortcut runs its capture, unless it cannot work
// here: then nothing starts and the notice gives the reason the tray row's tooltip gives.
void TestAppDelegate::desktopShortcutsRunOnlyWhatWorksHere()
{
    QFETCH(QString, id);
    QFETCH(int, trayRow);
    auto platform = createNullPlatform();
    platform->capabilities.shortcuts = PlatformCapabilities::Shortcuts::desktopAssigned;
    auto* desktop = new test::FakeDesktopShortcuts;
    platform->desktopShortcuts.reset(desktop);
    TrayMenu tray(HotkeyPreferences::shared(), {});
    tray.setCapabilities(platform->capabilities);
    AppDelegate delegate(std::move(platform));
    delegate.start();

    QStringList bound;
    for (const DesktopShortcuts::Request& request : std::as_const(desktop->requests)) {
        bound.append(request.id);
    }
    QCOMPARE(bound, (QStringList{"region", "fullScreen", "ocr", "colorCapture"}));
    QCOMPARE(desktop->requests.first().preferred,
             HotkeyPreferences::defaultHotkey(HotkeyPreferences::Action::region));

    PillNotification::shared().dismissNow();
    QSignalSpy finished(&delegate.flows(), &CaptureFlows::finished);
    Q_EMIT desktop->activated(id);
    if (trayRow < 0) {
        QTRY_COMPARE(finished.size(), 1);
        QVERIFY(
            finished.first().first().value<CaptureResult>().message.contains(QLatin1String("no display")));
        return;
    }
    const QString reason = tray.action(TrayMenu::Command(trayRow))->toolTip();
    QVERIFY(!reason.isEmpty());
    QTRY_COMPARE(PillNotification::shared().message(), reason);
    QTest::qWait(50);
    QCOMPARE(finished.size(), 0);
    QVERIFY(!delegate.flows().isBusy());
}

QTEST_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
