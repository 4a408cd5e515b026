#include "CaptureArguments.h"

#include <QTest>

using namespace velmora;

class TestCaptureArguments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parses_data();
    void parses();
};

void TestCaptureArguments::parses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("output");
    QTest::addColumn<double>("delay");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("widgets");
    QTest::addColumn<QString>("error"); // a part of the message; empty: accepted

    const auto row = [](const char* name, QStringList arguments) -> QTestData& {
        arguments.prepend(QStringLiteral("velmora"));
        return QTest::newRow(name) << arguments;
    };
    // Only a file written from a grab without any picker or countdown can skip the widgets.
    row("full", {"full"}) << "" << 0.0 << QRect() << true << "";
    row("full -o", {"full", "-o", "/tmp/a.png"}) << "/tmp/a.png" << 0.0 << QRect() << false << "";
    row("full --output=", {"full", "--output=b.png"}) << "b.png" << 0.0 << QRect() << false << "";
    row("full -o with delay", {"full", "-o", "a.png", "--delay", "2.5"})
        << "a.png" << 2.5 << QRect() << true << "";
    row("zero delay", {"full", "-o", "a.png", "--delay", "0"}) << "a.png" << 0.0 << QRect() << false << "";
    row("region picks", {"region", "-o", "a.png"}) << "a.png" << 0.0 << QRect() << true << "";
    row("region geometry to file", {"region", "--geometry", "20x10+-5+7", "-o", "a.png"})
        << "a.png" << 0.0 << QRect(-5, 7, 20, 10) << false << "";
    row("region geometry into the editor", {"region", "--geometry=20x10+0+0"})
        << "" << 0.0 << QRect(0, 0, 20, 10) << true << "";
    row("window to file", {"window", "-o", "w.png"}) << "w.png" << 0.0 << QRect() << true << "";
    row("color", {"color"}) << "" << 0.0 << QRect() << true << "";
    row("text after a delay", {"text", "--delay", "1"}) << "" << 1.0 << QRect() << true << "";
    // A scrolling capture always shows its picker and HUD, even when it ends in a file.
    row("scroll to file after a delay", {"scroll", "-o", "s.png", "--delay", "3"})
        << "s.png" << 3.0 << QRect() << true << "";

    row("bad geometry", {"region", "--geometry", "20x10"}) << "" << 0.0 << QRect() << false << "WxH+X+Y";
    row("zero geometry", {"region", "--geometry", "0x10+0+0"}) << "" << 0.0 << QRect() << false << "zero";
    row("geometry is region's", {"full", "--geometry", "20x10+0+0"})
        << "" << 0.0 << QRect() << false << "Unknown option";
    row("color writes no file", {"color", "-o", "a.png"})
        << "" << 0.0 << QRect() << false << "Unknown option";
    row("scroll takes no geometry", {"scroll", "--geometry", "20x10+0+0"})
        << "" << 0.0 << QRect() << false << "Unknown option";
    row("text writes no file", {"text", "-o", "a.txt"}) << "" << 0.0 << QRect() << false << "Unknown option";
    row("negative delay", {"full", "--delay", "-1"}) << "" << 0.0 << QRect() << false << "invalid delay";
    row("long delay", {"full", "--delay", "61"}) << "" << 0.0 << QRect() << false << "invalid delay";
    row("word delay", {"full", "--delay", "soon"}) << "" << 0.0 << QRect() << false << "invalid delay";
    row("nan delay", {"full", "--delay", "nan"}) << "" << 0.0 << QRect() << false << "invalid delay";
    row("missing file", {"full", "-o"}) << "" << 0.0 << QRect() << false << "Missing value";
    row("empty file", {"full", "-o", ""}) << "" << 0.0 << QRect() << false << "file name";
    row("stray argument", {"full", "now"}) << "" << 0.0 << QRect() << false << "unexpected argument \"now\"";
}

void TestCaptureArguments::parses()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    QFETCH(double, delay);
    QFETCH(QRect, geometry);
    QFETCH(bool, widgets);
    QFETCH(QString, error);
    const CaptureArguments parsed = parseCaptureArguments(arguments);
    QCOMPARE(parsed.command, arguments.at(1));
    QVERIFY(isCaptureCommand(parsed.command));
    if (!error.isEmpty()) {
        QVERIFY2(parsed.error.contains(error), qPrintable(parsed.error));
        QVERIFY(!parsed.needsWidgets());
        return;
    }
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QCOMPARE(parsed.output, output);
    QCOMPARE(parsed.delay, delay);
    QCOMPARE(parsed.geometry.value_or(QRect()), geometry);
    QCOMPARE(parsed.needsWidgets(), widgets);
    QVERIFY(parsed.helpText.isEmpty());

    // --help anywhere wins and names the command's own options.
    const CaptureArguments help = parseCaptureArguments(arguments + QStringList{QStringLiteral("--help")});
    QVERIFY(help.helpText.contains(QLatin1String("--delay")) || arguments.at(1) == QLatin1String("color"));
    QCOMPARE(help.helpText.contains(QLatin1String("--geometry")), arguments.at(1) == QLatin1String("region"));
}

QTEST_GUILESS_MAIN(TestCaptureArguments)
#include "tst_capturearguments.moc"
