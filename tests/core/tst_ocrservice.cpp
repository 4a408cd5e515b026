#include "annotation/TextLayout.h"
#include "capture/OcrImage.h"
#include "capture/OcrService.h"
#include "preferences/SettingsStore.h"
#include "support/TestSupport.h"

#include <QFontDatabase>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

using namespace velmora;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

// Screen-like text: antialiased lines of one face on a flat light or dark ground. A line with a tab
// is a menu row: the part after the tab is aligned far to the right, as a shortcut is.
QImage renderedText(const QStringList& lines, const QString& family, int pixelSize, bool dark,
                    QSize size = {800, 200}, int step = 0)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(dark ? QColor(30, 30, 34) : QColor(250, 250, 250));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(family);
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    painter.setPen(dark ? QColor(225, 225, 225) : QColor(20, 20, 20));
    int y = 12 + pixelSize;
    for (const QString& line : lines) {
        const QString label = line.section(QLatin1Char('\t'), 0, 0);
        const QString shortcut = line.section(QLatin1Char('\t'), 1);
        painter.drawText(16, y, label);
        painter.drawText(16 + 22 * pixelSize - QFontMetrics(font).horizontalAdvance(shortcut), y, shortcut);
        y += step > 0 ? step : pixelSize * 3 / 2;
    }
    return image;
}

// Edits over the reference's length.
double characterErrorRate(const QString& reference, const QString& text)
{
    return double(test::editDistance(reference, text)) / std::max<qsizetype>(1, reference.size());
}

} // namespace

class TestOcrService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void recognisesRenderedText_data();
    void recognisesRenderedText();
    void menuRowsStayLines_data();
    void menuRowsStayLines();
    void blankImagesGiveNothing_data();
    void blankImagesGiveNothing();
    void groundReachesTheEngineLight_data();
    void groundReachesTheEngineLight();
    void textHeightChoosesTheScale_data();
    void textHeightChoosesTheScale();
    void asynchronousResultArrivesOnTheContext();
    void missingModuleGivesNothing();
    void languagesComeFromTheSetting_data();
    void languagesComeFromTheSetting();
};

void TestOcrService::initTestCase()
{
    QVERIFY(registerBundledFonts());
    QVERIFY2(OcrService::installedLanguages().contains(QStringLiteral("eng")),
             "the English language data must be installed");
}

void TestOcrService::recognisesRenderedText_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("dark");

    for (const BundledFont& font : bundledFonts()) {
        for (const int size : {13, 16, 24}) {
            for (const bool dark : {false, true}) {
                QTest::addRow("%s %dpx %s", qPrintable(font.family), size, dark ? "dark" : "light")
                    << font.family << size << dark;
            }
        }
    }
}

// Lines come back in order, trimmed, without the blank line between paragraphs.
void TestOcrService::recognisesRenderedText()
{
    QFETCH(QString, family);
    QFETCH(int, pixelSize);
    QFETCH(bool, dark);

    const QStringList lines = {QStringLiteral("Build finished with 3 warnings"),
                               QStringLiteral("Open the settings to change the theme"), QString(),
                               QStringLiteral("Quick brown foxes jump over lazy dogs")};
    MemorySettingsStore settings;
    OcrService service(settings);
    const std::optional<QString> text = service.recognizeText(renderedText(lines, family, pixelSize, dark));
    QVERIFY(text.has_value());
    const QStringList got = text->split(QLatin1Char('\n'));
    QVERIFY2(got.size() == 3, qPrintable(*text));
    for (const QString& line : got) {
        QCOMPARE(line, line.trimmed());
    }
    const QString reference = lines.filter(QRegularExpression(QStringLiteral("."))).join(QLatin1Char('\n'));
    const double cer = characterErrorRate(reference, *text);
    QVERIFY2(cer <= 0.03, qPrintable(QStringLiteral("CER %1 for \"%2\"").arg(cer).arg(*text)));
}

void TestOcrService::menuRowsStayLines_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("dark");
    QTest::newRow("bundled 14px dark") << bundledFonts().front().family << 14 << true;
    QTest::newRow("DejaVu Sans 20px light") << QStringLiteral("DejaVu Sans") << 20 << false;
}

// A menu: labels on the left, shortcuts aligned far to the right. Each row is one line of text in
// screen order, not a column of labels followed by a column of shortcuts.
void TestOcrService::menuRowsStayLines()
{
    QFETCH(QString, family);
    QFETCH(int, pixelSize);
    QFETCH(bool, dark);

    const QStringList rows = {
        QStringLiteral("New Window\tCtrl+N"),    QStringLiteral("Open File\tCtrl+O"),
        QStringLiteral("Save As\tCtrl+Shift+S"), QStringLiteral("Close Tab\tCtrl+W"),
        QStringLiteral("Preferences\tCtrl+P"),   QStringLiteral("Find in Files\tCtrl+Shift+F"),
        QStringLiteral("Go to Line\tCtrl+G"),    QStringLiteral("Quit\tCtrl+Q")};
    // As many rows as fit the picture.
    const int step = pixelSize * 3 / 2 + 2;
    const QStringList shown = rows.mid(0, (200 - 13) / step);
    const QImage image = renderedText(shown, family, pixelSize, dark, {800, 200}, step);
    const QString reference = QStringList(shown)
                                  .replaceInStrings(QStringLiteral("\t"), QStringLiteral(" "))
                                  .join(QLatin1Char('\n'));

    MemorySettingsStore settings;
    OcrService service(settings);
    const std::optional<QString> text = service.recognizeText(image);
    QVERIFY(text.has_value());
    const QString got =
        QString(*text).replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
    // Small faces read "Ctrl" as "Ctri" at times; a column order instead costs more than half.
    const double cer = characterErrorRate(reference, got);
    QVERIFY2(cer <= 0.12, qPrintable(QStringLiteral("CER %1 for \"%2\"").arg(cer).arg(*text)));
}

void TestOcrService::blankImagesGiveNothing_data()
{
    QTest::addColumn<QImage>("image");
    QImage white(800, 200, QImage::Format_RGB32);
    white.fill(Qt::white);
    QImage black(400, 100, QImage::Format_RGB32);
    black.fill(Qt::black);
    QImage transparent(300, 80, QImage::Format_ARGB32_Premultiplied);
    transparent.fill(Qt::transparent);
    QTest::newRow("white") << white;
    QTest::newRow("black") << black;
    QTest::newRow("transparent") << transparent;
    QTest::newRow("null") << QImage();
    QTest::newRow("one pixel") << white.copy(0, 0, 1, 1);
}

void TestOcrService::blankImagesGiveNothing()
{
    QFETCH(QImage, image);
    MemorySettingsStore settings;
    OcrService service(settings);
    QCOMPARE(service.recognizeText(image), std::nullopt);
}

void TestOcrService::groundReachesTheEngineLight_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QSize>("preparedSize");
    const QString family = bundledFonts().front().family;
    // A dark theme is inverted to dark text on light; light stays as it is.
    QTest::newRow("dark theme") << renderedText({QStringLiteral("Dark")}, family, 16, true) << QSize();
    QTest::newRow("light theme") << renderedText({QStringLiteral("Light")}, family, 16, false) << QSize();
    QImage transparent(200, 60, QImage::Format_ARGB32_Premultiplied);
    transparent.fill(Qt::transparent);
    QTest::newRow("transparent") << transparent << QSize(400, 120);
    // Nothing to measure: the full factor, as for the smallest text.
    QImage blank(300, 100, QImage::Format_RGB32);
    blank.fill(QColor(240, 240, 240));
    QTest::newRow("blank") << blank << QSize(600, 200);
}

void TestOcrService::groundReachesTheEngineLight()
{
    QFETCH(QImage, image);
    QFETCH(QSize, preparedSize);
    const QImage prepared = prepareForOcr(image);
    QCOMPARE(prepared.format(), QImage::Format_Grayscale8);
    QVERIFY2(qGray(prepared.pixel(1, 1)) > 200, qPrintable(QString::number(qGray(prepared.pixel(1, 1)))));
    if (preparedSize.isValid()) {
        QCOMPARE(estimateTextHeight(image.convertToFormat(QImage::Format_Grayscale8)), 0);
        QCOMPARE(prepared.size(), preparedSize);
    }
}

void TestOcrService::textHeightChoosesTheScale_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("dark");
    QTest::addColumn<double>("lowestFactor");
    QTest::addColumn<double>("highestFactor");

    const QString bundled = bundledFonts().front().family;
    const QString mono = QStringLiteral("DejaVu Sans Mono");
    // Small text is doubled, large text left alone, what lies between scaled in proportion.
    QTest::newRow("11px bundled") << bundled << 11 << false << 1.6 << 2.0;
    QTest::newRow("11px mono dark") << mono << 11 << true << 1.6 << 2.0;
    QTest::newRow("16px mono") << mono << 16 << false << 1.05 << 1.6;
    QTest::newRow("24px bundled dark") << bundled << 24 << true << 1.0 << 1.0;
    QTest::newRow("32px mono") << mono << 32 << false << 1.0 << 1.0;
}

void TestOcrService::textHeightChoosesTheScale()
{
    QFETCH(QString, family);
    QFETCH(int, pixelSize);
    QFETCH(bool, dark);
    QFETCH(double, lowestFactor);
    QFETCH(double, highestFactor);

    // Lines with and without ascenders and descenders, as real text mixes them.
    const QImage image = renderedText({QStringLiteral("Typing quickly"), QStringLiteral("we saw a mouse"),
                                       QStringLiteral("Height: 42 px"), QStringLiteral("jump")},
                                      family, pixelSize, dark, {600, 240});
    QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const int height = estimateTextHeight(grey);
    QVERIFY2(height >= pixelSize * 0.7 && height <= pixelSize * 1.3, qPrintable(QString::number(height)));

    const QImage prepared = prepareForOcr(image);
    const double factor = double(prepared.height()) / image.height();
    QVERIFY2(factor >= lowestFactor - 0.01 && factor <= highestFactor + 0.01,
             qPrintable(QString::number(factor)));
    // Both ways alike, so letters keep their shape.
    QVERIFY(std::abs(prepared.width() - image.width() * factor) <= 2);
}

void TestOcrService::asynchronousResultArrivesOnTheContext()
{
    MemorySettingsStore settings;
    OcrService service(settings);
    QObject context;
    std::optional<std::optional<QString>> result;
    Qt::HANDLE thread = nullptr;
    service.recognizeTextAsync(
        renderedText({QStringLiteral("Hello from the pool")}, bundledFonts().front().family, 24, false),
        &context, [&](std::optional<QString> text) {
            result = std::move(text);
            thread = QThread::currentThreadId();
        });
    QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 30000);
    QCOMPARE(thread, QThread::currentThreadId());
    QCOMPARE(*result, std::optional<QString>(QStringLiteral("Hello from the pool")));
}

// A module that cannot be loaded makes the service unavailable; recognition gives nothing, twice.
void TestOcrService::missingModuleGivesNothing()
{
    QTemporaryDir dir;
    QFile notALibrary(dir.filePath(QStringLiteral("velmora_ocr.so")));
    QVERIFY(notALibrary.open(QIODevice::WriteOnly));
    notALibrary.write("not an ELF file");
    notALibrary.close();
    const QImage text =
        renderedText({QStringLiteral("Unreadable")}, bundledFonts().front().family, 24, false);
    for (const QStringList& paths :
         {QStringList{dir.filePath(QStringLiteral("missing.so"))}, QStringList{notALibrary.fileName()}}) {
        MemorySettingsStore settings;
        OcrService service(settings, paths);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unavailable")));
        QVERIFY(!service.isAvailable());
        QCOMPARE(service.recognizeText(text), std::nullopt);
        QCOMPARE(service.recognizeText(text), std::nullopt);
    }
}

void TestOcrService::languagesComeFromTheSetting_data()
{
    QTest::addColumn<QVariant>("setting");
    QTest::addColumn<QString>("expected");
    QTest::newRow("unset") << QVariant() << QStringLiteral("eng");
    QTest::newRow("eng") << QVariant(QStringLiteral("eng")) << QStringLiteral("eng");
    QTest::newRow("not installed") << QVariant(QStringLiteral("zzz")) << QStringLiteral("eng");
    QTest::newRow("list with a missing one") << QVariant(QStringLiteral("zzz+eng")) << QStringLiteral("eng");
    QTest::newRow("commas and repeats") << QVariant(QStringLiteral(" eng, eng ")) << QStringLiteral("eng");
}

void TestOcrService::languagesComeFromTheSetting()
{
    QFETCH(QVariant, setting);
    QFETCH(QString, expected);
    MemorySettingsStore settings;
    if (setting.isValid()) {
        settings.setValue(OcrService::languagesKey(), setting);
    }
    OcrService service(settings);
    QCOMPARE(service.languages(), expected);
    // The engine really starts with it: recognition works with what the setting resolved to.
    QVERIFY(service.isAvailable());
}

QTEST_MAIN(TestOcrService)
#include "tst_ocrservice.moc"
