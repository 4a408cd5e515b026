#include "AppDelegate.h"
#include "AppState.h"
#include "CaptureFlows.h"
#include "support/TestSupport.h"

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

QTEST_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
