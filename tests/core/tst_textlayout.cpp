#include "annotation/TextLayout.h"

#include <QFile>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QRawFont>
#include <QTest>
#include <QTextLine>

using namespace velmora;

namespace {

// The faces that one laid-out text really draws with.
QList<QRawFont> facesUsed(const TextBlockLayout& layout)
{
    QList<QRawFont> faces;
    for (const auto& paragraph : layout.paragraphs()) {
        for (int l = 0; l < paragraph->lineCount(); ++l) {
            for (const QGlyphRun& run : paragraph->lineAt(l).glyphRuns()) {
                faces.append(run.rawFont());
            }
        }
    }
    return faces;
}

QByteArray resourceBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TextAnnotation textOf(TextStyle style, const QString& text, double fontSize = 32)
{
    TextAnnotation t;
    t.text = text;
    t.style = style;
    t.fontSize = fontSize;
    t.position = {400, 300};
    return t;
}

} // namespace

class TestTextLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bundledFacesRegister();
    void layoutDrawsTheBundledFace_data();
    void layoutDrawsTheBundledFace();
    void monoIsMonospaced();
    void measuredBlockFitsTheDrawnGlyphs_data();
    void measuredBlockFitsTheDrawnGlyphs();
};

// Each bundled file is present in the program and registers as the family its styles ask for;
// a machine without these fonts installed must still get them.
void TestTextLayout::bundledFacesRegister()
{
    QVERIFY(registerBundledFonts());
    for (const BundledFont& font : bundledFonts()) {
        QVERIFY2(!resourceBytes(font.resource).isEmpty(), qPrintable(font.resource));
        const int id = QFontDatabase::addApplicationFont(font.resource);
        QVERIFY2(id >= 0, qPrintable(font.resource));
        QCOMPARE(QFontDatabase::applicationFontFamilies(id), QStringList{font.family});
    }
}

void TestTextLayout::layoutDrawsTheBundledFace_data()
{
    QTest::addColumn<TextStyle>("style");
    QTest::addColumn<QString>("resource");
    const auto& fonts = bundledFonts();
    QTest::newRow("standard") << TextStyle::standard << fonts[0].resource;
    QTest::newRow("box") << TextStyle::box << fonts[0].resource;
    QTest::newRow("rounded") << TextStyle::rounded << fonts[1].resource;
    QTest::newRow("roundedBox") << TextStyle::roundedBox << fonts[1].resource;
    QTest::newRow("mono") << TextStyle::mono << fonts[2].resource;
}

// The glyphs come from the bundled file itself, not from a system face of the same name and not
// from a fallback: the raw font's tables are the file's tables.
void TestTextLayout::layoutDrawsTheBundledFace()
{
    QFETCH(TextStyle, style);
    QFETCH(QString, resource);
    const QRawFont bundled(resourceBytes(resource), 32);
    QVERIFY(bundled.isValid());
    const TextBlockLayout layout =
        layoutAnnotationText(QStringLiteral("Quick 42\nfox"), style, 32, std::nullopt);
    const QList<QRawFont> faces = facesUsed(layout);
    QVERIFY(!faces.isEmpty());
    for (const QRawFont& face : faces) {
        QCOMPARE(face.familyName(), annotationFontFamily(style));
        QCOMPARE(face.fontTable("head"), bundled.fontTable("head"));
        QCOMPARE(face.fontTable("hmtx"), bundled.fontTable("hmtx"));
    }
}

void TestTextLayout::monoIsMonospaced()
{
    const QString narrow(10, QLatin1Char('i'));
    const QString wide(10, QLatin1Char('W'));
    const QSizeF i = measuredTextSize(narrow, TextStyle::mono, 32, std::nullopt);
    const QSizeF w = measuredTextSize(wide, TextStyle::mono, 32, std::nullopt);
    QCOMPARE(i.width(), w.width());
    // And what is drawn agrees with what is measured.
    const auto drawnWidth = [](const QString& s) {
        const TextAnnotation t = textOf(TextStyle::mono, s);
        const QRectF block(QPointF(0, 0), measuredTextSize(t));
        return textGlyphPath(t, block).boundingRect().width();
    };
    QVERIFY(drawnWidth(wide) > 0.8 * w.width());
    // A proportional face would make ten i's a fraction of ten W's.
    QVERIFY(std::abs(drawnWidth(wide) - drawnWidth(narrow)) < 0.15 * w.width());
}

void TestTextLayout::measuredBlockFitsTheDrawnGlyphs_data()
{
    QTest::addColumn<TextStyle>("style");
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<double>>("wrap");
    QTest::newRow("mono") << TextStyle::mono << QStringLiteral("Mono label at 32") << std::optional<double>();
    QTest::newRow("rounded") << TextStyle::rounded << QStringLiteral("Rounded Wobbly Words")
                             << std::optional<double>();
    QTest::newRow("standard") << TextStyle::standard << QStringLiteral("Standard label")
                              << std::optional<double>();
    QTest::newRow("mono wrapped") << TextStyle::mono << QStringLiteral("wrapped mono words here")
                                  << std::optional<double>(160.0);
}

// The box, hit area, grips and wrapping come from the measured block; the drawn glyphs must fill
// it and never spill out of it.
void TestTextLayout::measuredBlockFitsTheDrawnGlyphs()
{
    QFETCH(TextStyle, style);
    QFETCH(QString, text);
    QFETCH(std::optional<double>, wrap);
    TextAnnotation t = textOf(style, text);
    t.maxWidth = wrap;
    const QSizeF size = measuredTextSize(t);
    const QRectF block(t.position - QPointF(size.width() / 2, size.height() / 2), size);
    const QRectF drawn = textGlyphPath(t, block).boundingRect();
    QVERIFY2(block.adjusted(-1, -1, 1, 1).contains(drawn),
             qPrintable(QStringLiteral("drawn %1 wide, measured %2").arg(drawn.width()).arg(size.width())));
    if (!wrap) {
        // Side bearings aside, the glyphs span the block.
        QVERIFY2(
            drawn.width() > size.width() - 0.15 * t.fontSize,
            qPrintable(QStringLiteral("drawn %1 wide, measured %2").arg(drawn.width()).arg(size.width())));
    }
}

QTEST_MAIN(TestTextLayout)
#include "tst_textlayout.moc"
