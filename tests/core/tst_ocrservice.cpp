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

// Screen-like text: antialiased lines of one face on a flat light or dark ground.
QImage renderedText(const QStringList& lines, const QString& family, int pixelSize, bool dark,
                    QSize size = {800, 200})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(dark ? QColor(30, 30, 34) : QColor(250, 250, 250));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(family);
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    painter.setPen(dark ? QColor(225, 225, 225) : QColor(20, 20, 20));
    const int step = pixelSize * 3 / 2;
    int y = 12 + pixelSize;
    for (const QString& line : lines) {
        painter.drawText(16, y, line);
        y += step;
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
    void darkThemesAreInverted();
    void transparentGroundIsLight();
    void textHeightChoosesTheScale_data();
    void textHeightChoosesTheScale();
    void blankImagesAreScaledFully();
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

    const QList<std::pair<QString, QString>> rows = {
        {QStringLiteral("New Window"), QStringLiteral("Ctrl+N")},
        {QStringLiteral("Open File"), QStringLiteral("Ctrl+O")},
        {QStringLiteral("Save As"), QStringLiteral("Ctrl+Shift+S")},
        {QStringLiteral("Close Tab"), QStringLiteral("Ctrl+W")},
        {QStringLiteral("Preferences"), QStringLiteral("Ctrl+P")},
        {QStringLiteral("Find in Files"), QStringLiteral("Ctrl+Shift+F")},
        {QStringLiteral("Go to Line"), QStringLiteral("Ctrl+G")},
        {QStringLiteral("Quit"), QStringLiteral("Ctrl+Q")}};
    QImage image(800, 200, QImage::Format_RGB32);
    image.fill(dark ? QColor(30, 30, 34) : QColor(250, 250, 250));
    QPainter painter(&image);
    QFont font(family);
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    painter.setPen(dark ? QColor(225, 225, 225) : QColor(20, 20, 20));
    QStringList reference;
    const int step = pixelSize * 3 / 2 + 2;
    for (int i = 0; i < rows.size() && (i + 1) * step + 12 < image.height(); ++i) {
        const int y = 12 + pixelSize + i * step;
        painter.drawText(12, y, rows[i].first);
        painter.drawText(12 + 22 * pixelSize - QFontMetrics(font).horizontalAdvance(rows[i].second), y,
                         rows[i].second);
        reference.append(rows[i].first + QLatin1Char(' ') + rows[i].second);
    }
    painter.end();

    MemorySettingsStore settings;
    OcrService service(settings);
    const std::optional<QString> text = service.recognizeText(image);
    QVERIFY(text.has_value());
    const QString got =
        QString(*text).replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
    // Small faces read "Ctrl" as "Ctri" at times; a column order instead costs more than half.
    const double cer = characterErrorRate(reference.join(QLatin1Char('\n')), got);
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

// A dark theme reaches the engine as dark text on light; light stays as it is.
void TestOcrService::darkThemesAreInverted()
{
    const QImage dark = renderedText({QStringLiteral("Dark")}, bundledFonts().front().family, 16, true);
    const QImage light = renderedText({QStringLiteral("Light")}, bundledFonts().front().family, 16, false);
    const QImage preparedDark = prepareForOcr(dark);
    const QImage preparedLight = prepareForOcr(light);
    QCOMPARE(preparedDark.format(), QImage::Format_Grayscale8);
    QVERIFY(qGray(preparedDark.pixel(1, 1)) > 200);
    QVERIFY(qGray(preparedLight.pixel(1, 1)) > 200);
}

void TestOcrService::transparentGroundIsLight()
{
    QImage image(200, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QImage prepared = prepareForOcr(image);
    QCOMPARE(qGray(prepared.pixel(5, 5)), 255);
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

// Nothing to measure: the full factor, as for the smallest text.
void TestOcrService::blankImagesAreScaledFully()
{
    QImage blank(300, 100, QImage::Format_RGB32);
    blank.fill(QColor(240, 240, 240));
    QCOMPARE(estimateTextHeight(blank.convertToFormat(QImage::Format_Grayscale8)), 0);
    QCOMPARE(prepareForOcr(blank).size(), QSize(600, 200));
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
