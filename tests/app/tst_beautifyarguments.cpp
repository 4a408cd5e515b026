#include "BeautifyCommand.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {

// An input and a wallpaper on disk; paths in arguments name files in `dir`.
struct Files
{
    Files()
    {
        test::solidImage(40, 20, QColor(200, 40, 40)).save(dir.filePath(QStringLiteral("in.png")));
        test::solidImage(64, 64, QColor(20, 90, 200)).save(dir.filePath(QStringLiteral("wall.png")));
    }
    QStringList arguments(const QStringList& options) const
    {
        QStringList all{QStringLiteral("velmora"), QStringLiteral("beautify")};
        for (const QString& option : options)
            all << (option.endsWith(QLatin1String(".png")) ? dir.filePath(option) : option);
        return all;
    }
    QTemporaryDir dir;
};

// The background a job asks for, as the command line spells it.
QString backgroundOf(const BeautifyJob& job)
{
    if (const auto* color = std::get_if<Color>(&job.background))
        return color->hexRgb();
    return std::get<BackgroundSelection>(job.background).persistenceValue();
}

} // namespace

class TestBeautifyArguments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsTheJob_data();
    void readsTheJob();
    void endsWithoutAJob_data();
    void endsWithoutAJob();
};

void TestBeautifyArguments::readsTheJob_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("window");
    QTest::addColumn<double>("padding");
    QTest::addColumn<double>("radius");
    QTest::addColumn<double>("scale");
    QTest::addColumn<bool>("shadow");
    QTest::addColumn<QString>("background");
    // The defaults are the ones --help documents.
    QTest::newRow("defaults") << QStringList{"in.png", "-o", "out.png"} << false << 50.0 << 24.0 << 1.0
                              << true << "auto-gradient";
    QTest::newRow("window defaults") << QStringList{"in.png", "-o", "out.png", "--window"} << true << 45.0
                                     << 0.0 << 1.0 << true << "auto-gradient";
    QTest::newRow("given") << QStringList{"in.png",          "-o",     "out.png", "--padding", "10",
                                          "--corner-radius", "3",      "--scale", "2",         "--no-shadow",
                                          "--background",    "#112233"}
                           << false << 10.0 << 3.0 << 2.0 << false << "#112233";
    QTest::newRow("wallpaper alone is the background")
        << QStringList{"in.png", "-o", "out.png", "--wallpaper", "wall.png"} << false << 50.0 << 24.0 << 1.0
        << true << "desktop-wallpaper";
    QTest::newRow("wallpaper with a background choice")
        << QStringList{"in.png", "-o", "out.png", "--wallpaper", "wall.png", "--background", "auto-color"}
        << false << 50.0 << 24.0 << 1.0 << true << "auto-color";
}

void TestBeautifyArguments::readsTheJob()
{
    QFETCH(QStringList, options);
    QFETCH(bool, window);
    QFETCH(double, padding);
    QFETCH(double, radius);
    QFETCH(double, scale);
    QFETCH(bool, shadow);
    QFETCH(QString, background);
    const Files files;
    const auto parsed = parseBeautifyArguments(files.arguments(options));
    if (const auto* stop = std::get_if<BeautifyExit>(&parsed))
        QFAIL(qPrintable(stop->message));
    const BeautifyJob& job = std::get<BeautifyJob>(parsed);
    QCOMPARE(job.kind, window ? CaptureKind::window : CaptureKind::region);
    QCOMPARE(job.padding, padding);
    QCOMPARE(job.cornerRadius, radius);
    QCOMPARE(job.drawsShadow, shadow);
    QCOMPARE(backgroundOf(job), background);
    // The input is decoded, in points of --scale; the wallpaper only when given.
    QCOMPARE(job.input.size(), QSize(40, 20));
    QCOMPARE(job.input.pixelColor(5, 5), QColor(200, 40, 40));
    QCOMPARE(job.input.devicePixelRatio(), scale);
    QCOMPARE(job.wallpaper.has_value(), options.contains(QStringLiteral("--wallpaper")));
    QCOMPARE(job.outputPath, files.dir.filePath(QStringLiteral("out.png")));
    // Reading the arguments writes nothing.
    QVERIFY(!QFile::exists(job.outputPath));
}

void TestBeautifyArguments::endsWithoutAJob_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // how the message begins
    QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: ";
    QTest::newRow("no output") << QStringList{"in.png"} << 2 << "missing -o OUTPUT";
    QTest::newRow("number out of range") << QStringList{"in.png", "-o", "out.png", "--padding", "500"} << 2
                                         << "--padding needs a number from 0 to 100";
    // Beyond the editor's sliders: refused before anything is allocated.
    for (const auto& [option, value] :
         {std::pair{"--padding", "-1"}, std::pair{"--padding", "1e300"}, std::pair{"--shadow", "1e300"},
          std::pair{"--scale", "0"}, std::pair{"--scale", "1e-300"}, std::pair{"--inset", "61"},
          std::pair{"--corner-radius", "1e9"}, std::pair{"--background-blur", "41"}}) {
        QTest::addRow("%s %s", option, value) << QStringList{"in.png", "-o", "out.png", option, value} << 2
                                              << QStringLiteral("%1 needs a number from").arg(option);
    }
    QTest::newRow("unknown background")
        << QStringList{"in.png", "-o", "out.png", "--background", "preset:nope"} << 2
        << "unknown --background";
    QTest::newRow("unknown option") << QStringList{"in.png", "-o", "out.png", "--sparkle"} << 2
                                    << "Unknown option";
    QTest::newRow("not an image") << QStringList{"in.png", "-o", "out.png", "--wallpaper", "missing.png"} << 2
                                  << "cannot read --wallpaper as an image";
}

void TestBeautifyArguments::endsWithoutAJob()
{
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QString, message);
    const Files files;
    const auto parsed = parseBeautifyArguments(files.arguments(options));
    QVERIFY(std::holds_alternative<BeautifyExit>(parsed));
    const BeautifyExit& stop = std::get<BeautifyExit>(parsed);
    QCOMPARE(stop.status, status);
    QVERIFY2(stop.message.startsWith(message), qPrintable(stop.message));
}

QTEST_GUILESS_MAIN(TestBeautifyArguments)
#include "tst_beautifyarguments.moc"
