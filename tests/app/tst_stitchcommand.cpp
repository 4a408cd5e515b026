#include "core/ScrollPages.h"

#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace scrollpages;

namespace {

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run runVelmora(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VELMORA_EXECUTABLE), QStringList{QStringLiteral("stitch")} + arguments);
    if (!process.waitForFinished(60000)) {
        return {};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

// `velmora stitch` as a script uses it: the PNG it writes is the page, and bad input writes nothing.
class TestStitchCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writesTheStitchedPage();
    void badInputWritesNothing_data();
    void badInputWritesNothing();
};

void TestStitchCommand::writesTheStitchedPage()
{
    QTemporaryDir dir;
    const QImage page = makePage(1200, 3);
    const Chrome chrome{30, 20, false};
    QStringList frames;
    for (int top : {0, 60, 60, 130, 700, 200, 320}) {
        frames << dir.filePath(QStringLiteral("frame%1.png").arg(frames.size()));
        QVERIFY(frameAt(page, top, 200, chrome).save(frames.back()));
    }
    const QString output = dir.filePath(QStringLiteral("page.png"));
    const Run run = runVelmora(frames + QStringList{QStringLiteral("-o"), output});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    QVERIFY2(run.out.startsWith(QStringLiteral("Stitched 5 of 7 frames")), qPrintable(run.out));
    const QImage written = QImageReader(output).read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(written, expectedImage(page, 320 + 200, chrome));
}

void TestStitchCommand::badInputWritesNothing_data()
{
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QString>("message");
    QTest::newRow("no frames") << QStringList{} << QStringLiteral("no frames");
    QTest::newRow("missing file") << QStringList{QStringLiteral("a.png"), QStringLiteral("gone.png")}
                                  << QStringLiteral("gone.png: no such file");
    QTest::newRow("different widths") << QStringList{QStringLiteral("a.png"), QStringLiteral("wide.png")}
                                      << QStringLiteral("wide.png: 330×200 pixels");
    QTest::newRow("not an image") << QStringList{QStringLiteral("a.png"), QStringLiteral("text.png")}
                                  << QStringLiteral("text.png: not a readable image");
}

void TestStitchCommand::badInputWritesNothing()
{
    QFETCH(QStringList, frames);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QImage page = makePage(600, 3);
    QVERIFY(frameAt(page, 0, 200, {}).save(dir.filePath(QStringLiteral("a.png"))));
    QVERIFY(frameAt(page, 0, 200, {}).copy(0, 0, 330, 200).save(dir.filePath(QStringLiteral("wide.png"))));
    QFile text(dir.filePath(QStringLiteral("text.png")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("not a picture\n");
    text.close();
    QStringList arguments;
    for (const QString& frame : frames) {
        arguments << dir.filePath(frame);
    }
    const QString output = dir.filePath(QStringLiteral("page.png"));
    const Run run = runVelmora(arguments + QStringList{QStringLiteral("-o"), output});
    QCOMPARE(run.status, 2);
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(!QFile::exists(output));
}

QTEST_GUILESS_MAIN(TestStitchCommand)
#include "tst_stitchcommand.moc"
