#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

// `velmora edit --save-and-quit` as a script uses it: the exit status says whether the picture
// really reached the save folder.
class TestEditCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void saveAndQuitReportsTheOutcome_data();
    void saveAndQuitReportsTheOutcome();
};

void TestEditCommand::saveAndQuitReportsTheOutcome_data()
{
    QTest::addColumn<bool>("unwritable");
    QTest::newRow("saved") << false;
    // A folder nobody can create files in, root included.
    QTest::newRow("save folder unwritable") << true;
}

void TestEditCommand::saveAndQuitReportsTheOutcome()
{
    QFETCH(bool, unwritable);
    test::IsolatedHome home;
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("input.png"));
    QVERIFY(test::solidImage(120, 80, Qt::darkCyan).save(input));
    const QString saves = unwritable ? QStringLiteral("/proc") : dir.filePath(QStringLiteral("saves"));
    QVERIFY(QDir().mkpath(saves));
    QDir().mkpath(home.path() + QStringLiteral("/config/Velmora"));
    QFile config(home.path() + QStringLiteral("/config/Velmora/Velmora.conf"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("[General]\nsaveLocation=" + saves.toUtf8() + "\n");
    config.close();

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VELMORA_EXECUTABLE),
                  {QStringLiteral("edit"), input, QStringLiteral("--save-and-quit")});
    QVERIFY(process.waitForFinished(60000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    if (unwritable) {
        QVERIFY2(process.exitCode() != 0, qPrintable(out));
        QVERIFY2(err.contains(QStringLiteral("could not save")), qPrintable(err));
        QVERIFY(!out.contains(QStringLiteral("Saved")));
        return;
    }
    QCOMPARE(process.exitCode(), 0);
    QVERIFY2(out.startsWith(QStringLiteral("Saved ") + saves + QLatin1Char('/')), qPrintable(out));
    const QString written = out.mid(6).trimmed();
    QCOMPARE(QImageReader(written).read().size(), QSize(120, 80));
}

QTEST_GUILESS_MAIN(TestEditCommand)
#include "tst_editcommand.moc"
