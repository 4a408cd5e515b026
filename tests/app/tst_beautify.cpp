#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {

struct Run
{
    int exitCode = -1;
    QString stderrText;
};

Run beautify(const QStringList& arguments)
{
    QProcess process;
    process.setProgram(QStringLiteral(VELMORA_EXECUTABLE));
    process.setArguments(QStringList{QStringLiteral("beautify")} + arguments);
    process.start();
    if (!process.waitForFinished(60000)) {
        return {};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

QImage readPng(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(false);
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestBeautify : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void placesTheImageAtItsDensity();
    void annotationsLandOverTheContent();
    void transparentBackgroundKeepsCornersClear();
    void wallpaperIsTheBackground();
    void badInputLeavesOutputUntouched_data();
    void badInputLeavesOutputUntouched();

private:
    test::IsolatedHome m_home;
    QTemporaryDir m_dir;
    QString m_input;
    QString path(const QString& name) const { return m_dir.filePath(name); }
};

void TestBeautify::initTestCase()
{
    // 200 × 100 pixels: a blue left half and a yellow right half.
    QImage input(200, 100, QImage::Format_ARGB32);
    input.fill(Qt::blue);
    for (int y = 0; y < 100; ++y) {
        for (int x = 100; x < 200; ++x) {
            input.setPixelColor(x, y, Qt::yellow);
        }
    }
    m_input = path(QStringLiteral("input.png"));
    QVERIFY(input.save(m_input));
}

void TestBeautify::placesTheImageAtItsDensity()
{
    const QString out = path(QStringLiteral("density.png"));
    const Run run = beautify({m_input, QStringLiteral("-o"), out, QStringLiteral("--scale"),
                              QStringLiteral("2"), QStringLiteral("--background"), QStringLiteral("#102030"),
                              QStringLiteral("--corner-radius"), QStringLiteral("0")});
    QCOMPARE(run.exitCode, 0);
    const QImage image = readPng(out);
    test::dump(image, QStringLiteral("beautify"));
    // 100 × 50 points at density 2 with padding 50: 400 × 300 pixels.
    QCOMPARE(image.size(), QSize(400, 300));
    QCOMPARE(image.pixelColor(3, 3), QColor(0x10, 0x20, 0x30));
    QCOMPARE(image.pixelColor(100, 100), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(299, 199), QColor(Qt::yellow));
}

void TestBeautify::annotationsLandOverTheContent()
{
    const QString annotations = path(QStringLiteral("annotations.json"));
    QFile file(annotations);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"([{"kind":"rect","origin":[20,20],"size":[60,40],"color":"#00FF00","lineWidth":4,
                    "cornerRadius":0},
                   {"kind":"text","position":[150,50],"text":"Hi","fontSize":30,"color":"#FF0000",
                    "style":"box"}])");
    file.close();
    const QString out = path(QStringLiteral("annotated.png"));
    const Run run = beautify({m_input, QStringLiteral("-o"), out, QStringLiteral("--annotations"),
                              annotations, QStringLiteral("--padding"), QStringLiteral("30")});
    QCOMPARE(run.exitCode, 0);
    const QImage image = readPng(out);
    test::dump(image, QStringLiteral("beautify"));
    // The rectangle's left stroke runs along content x = 20, i.e. composite x = 50.
    QCOMPARE(image.pixelColor(50, 30 + 40), QColor(Qt::green));
    QCOMPARE(image.pixelColor(50 + 30, 30 + 40), QColor(Qt::blue)); // inside: never filled
    // The box label keeps its box in the export: red beside the glyphs.
    int boxRed = 0;
    for (int x = 30 + 100; x < 30 + 150; ++x) {
        const QColor c = image.pixelColor(x, 30 + 50);
        boxRed += c.red() > 200 && c.green() < 60 ? 1 : 0;
    }
    QVERIFY(boxRed >= 5);
}

void TestBeautify::transparentBackgroundKeepsCornersClear()
{
    const QString out = path(QStringLiteral("transparent.png"));
    const Run run = beautify({m_input, QStringLiteral("-o"), out, QStringLiteral("--background"),
                              QStringLiteral("transparent"), QStringLiteral("--no-shadow")});
    QCOMPARE(run.exitCode, 0);
    const QImage image = readPng(out);
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(image.pixelColor(50, 50).alpha(), 0); // the content's rounded corner
    QCOMPARE(image.pixelColor(100, 100), QColor(Qt::blue));
}

void TestBeautify::wallpaperIsTheBackground()
{
    const QString wallpaper = path(QStringLiteral("wallpaper.png"));
    QVERIFY(test::solidImage(40, 30, Qt::magenta).save(wallpaper));
    const QString out = path(QStringLiteral("wallpaper-out.png"));
    const Run run = beautify({m_input, QStringLiteral("-o"), out, QStringLiteral("--wallpaper"), wallpaper,
                              QStringLiteral("--window")});
    QCOMPARE(run.exitCode, 0);
    const QImage image = readPng(out);
    QCOMPARE(image.size(), QSize(290, 190)); // window defaults: padding 45
    QCOMPARE(image.pixelColor(2, 2), QColor(Qt::magenta));
    QCOMPARE(image.pixelColor(45, 45), QColor(Qt::blue)); // corner radius 0 for windows
}

void TestBeautify::badInputLeavesOutputUntouched_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expectedMessage");
    QTest::addColumn<int>("expectedStatus");
    const QString missing = QStringLiteral("/nonexistent/picture.png");
    QTest::newRow("missing input") << QStringList{missing}
                                   << QStringLiteral(
                                          "cannot read INPUT /nonexistent/picture.png: no such file")
                                   << 2;
    QTest::newRow("input is a folder")
        << QStringList{QStringLiteral("@dir")} << QStringLiteral(": it is a folder") << 2;
    // One option error end to end: the status and the wording reach the terminal. The rules for
    // each option are checked on the parser.
    QTest::newRow("number out of range")
        << QStringList{QStringLiteral("@input"), QStringLiteral("--padding"), QStringLiteral("1e300")}
        << QStringLiteral("--padding needs a number from") << 2;
    QTest::newRow("malformed annotations")
        << QStringList{QStringLiteral("@input"), QStringLiteral("--annotations"), QStringLiteral("@bad")}
        << QStringLiteral("annotation 2: \"size\"") << 2;
    QTest::newRow("not an image") << QStringList{QStringLiteral("@bad")}
                                  << QStringLiteral("cannot read INPUT") << 2;
}

void TestBeautify::badInputLeavesOutputUntouched()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expectedMessage);
    QFETCH(int, expectedStatus);
    const QString bad = path(QStringLiteral("bad.json"));
    QFile badFile(bad);
    QVERIFY(badFile.open(QIODevice::WriteOnly));
    badFile.write(R"([{"kind":"arrow","startPoint":[0,0],"endPoint":[5,5]},{"kind":"rect","origin":[1,1]}])");
    badFile.close();
    for (QString& argument : arguments) {
        argument.replace(QStringLiteral("@input"), m_input)
            .replace(QStringLiteral("@bad"), bad)
            .replace(QStringLiteral("@dir"), m_dir.path());
    }
    const QString out = path(QStringLiteral("untouched.png"));
    QFile existing(out);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("previous content");
    existing.close();

    const Run run = beautify(arguments + QStringList{QStringLiteral("-o"), out});
    QCOMPARE(run.exitCode, expectedStatus);
    QVERIFY2(run.stderrText.contains(expectedMessage), qPrintable(run.stderrText));
    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("previous content"));
}

QTEST_GUILESS_MAIN(TestBeautify)
#include "tst_beautify.moc"
