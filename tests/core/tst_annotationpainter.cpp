#include "annotation/AnnotationPainter.h"
#include "annotation/ArrowPath.h"
#include "annotation/TextLayout.h"
#include "support/TestSupport.h"

#include <QPainter>
#include <QTest>

using namespace velmora;

namespace {

const Color red = Color::fromRgb8(220, 20, 20);

QImage canvas(int w = 300, int h = 200, QColor fill = Qt::white, double dpr = 1.0)
{
    return test::solidImage(w, h, fill, dpr);
}

QImage draw(const Annotation& annotation, QImage image = canvas())
{
    const BlurSource source{image, {0, 0}};
    QImage out = renderAnnotated(image, {annotation}, source);
    test::dump(out, QStringLiteral("painter"));
    return out;
}

// Colour at a point in canvas units, whatever the pixel density.
QColor at(const QImage& image, QPointF p)
{
    const double k = image.devicePixelRatio();
    return image.pixelColor(int(p.x() * k), int(p.y() * k));
}

bool isRed(const QColor& c)
{
    return c.red() > 180 && c.green() < 80 && c.blue() < 80;
}

bool isWhite(const QColor& c)
{
    return c.red() > 245 && c.green() > 245 && c.blue() > 245;
}

ArrowAnnotation arrow(ArrowStyle style, double width = 6, QPointF s = {40, 100}, QPointF e = {260, 100})
{
    ArrowAnnotation a;
    a.id = QUuid::createUuid();
    a.startPoint = s;
    a.endPoint = e;
    a.color = red;
    a.lineWidth = width;
    a.style = style;
    return a;
}

TextAnnotation text(TextStyle style, QString value = QStringLiteral("HH"))
{
    TextAnnotation t;
    t.id = QUuid::createUuid();
    t.text = std::move(value);
    t.position = {150, 100};
    t.fontSize = 40;
    t.color = red;
    t.style = style;
    return t;
}

} // namespace

class TestAnnotationPainter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { registerBundledFonts(); }
    void arrowStyles_data();
    void arrowStyles();
    void arrowHeadGeometry();
    void whiteOutlineRimsTheStroke();
    void textStyles();
    void outlinedTextIgnoresTheOutlineFlag();
    void blurShowsOnlyBasePixelsAndClipsToTheImage();
    void blurBoxesShareOneGrid();
    void drawsAtThePixelDensity();
    void emptyListReturnsTheBaseItself();
};

void TestAnnotationPainter::arrowStyles_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("headAtEnd");
    QTest::addColumn<bool>("headAtStart");
    QTest::newRow("filled") << int(ArrowStyle::filled) << true << false;
    QTest::newRow("single") << int(ArrowStyle::single) << true << false;
    QTest::newRow("double") << int(ArrowStyle::double_) << true << true;
    QTest::newRow("none") << int(ArrowStyle::none) << false << false;
    QTest::newRow("sketch") << int(ArrowStyle::sketch) << true << false;
    QTest::newRow("sketchDouble") << int(ArrowStyle::sketchDouble) << true << true;
}

void TestAnnotationPainter::arrowStyles()
{
    QFETCH(int, style);
    QFETCH(bool, headAtEnd);
    QFETCH(bool, headAtStart);
    const QImage out = draw(arrow(ArrowStyle(style)));
    // The shaft runs along y = 100 between the ends.
    QVERIFY(isRed(at(out, {150, 100})));
    QVERIFY(isWhite(at(out, {150, 130})));
    // The tip reaches the end point.
    QVERIFY(isRed(at(out, {257, 100})));
    // A head (solid or barbed) spreads well beside the shaft just behind the tip; a bare line
    // does not.
    // Probes: inside a solid head, and on a barb 36° off the shaft.
    auto spreads = [&](double tipX, double direction) {
        for (const QPointF& p :
             {QPointF(tipX - 20 * direction, 112), QPointF(tipX - 20 * direction, 88),
              QPointF(tipX - 10 * direction, 107.3), QPointF(tipX - 10 * direction, 92.7)}) {
            if (isRed(at(out, p))) {
                return true;
            }
        }
        return false;
    };
    QCOMPARE(spreads(260, 1), headAtEnd);
    QCOMPARE(spreads(40, -1), headAtStart);

    // Dragged away and back to the start: no direction, so nothing at all is drawn.
    const QImage blank = canvas();
    QCOMPARE(draw(arrow(ArrowStyle(style), 6, {150, 100}, {150, 100}), blank), blank);
}

void TestAnnotationPainter::arrowHeadGeometry()
{
    // lineWidth 2, single: head size 14, shaft stops 8.4 before the tip.
    const ArrowGeometry g = arrowGeometry(arrow(ArrowStyle::single, 2, {0, 0}, {100, 0}));
    QCOMPARE(g.strokes.size(), 1);
    QCOMPARE(g.strokes[0].currentPosition(), QPointF(100 - 8.4, 0));
    QCOMPARE(g.heads.size(), 1);
    QVERIFY(qFuzzyCompare(g.heads[0].boundingRect().width(), 14 * std::cos(M_PI / 6)));
    QCOMPARE(g.headStrokeWidth, 2.0);
    // A filled arrow shorter than its head is all head; a zero-length one is nothing.
    const ArrowGeometry shortArrow = arrowGeometry(arrow(ArrowStyle::filled, 8, {0, 0}, {10, 0}));
    QVERIFY(shortArrow.filledPolygon);
    QCOMPARE(shortArrow.filledPolygon->elementAt(1).x, 0.0); // head base at the start point
    QVERIFY(!arrowGeometry(arrow(ArrowStyle::filled, 8, {5, 5}, {5, 5})).filledPolygon);
}

void TestAnnotationPainter::whiteOutlineRimsTheStroke()
{
    const RectAnnotation r{QUuid::createUuid(), {50, 50}, {200, 100}, red, 6, 6, true};
    const QImage out = draw(r, canvas(300, 200, Qt::black));
    QVERIFY(isRed(at(out, {150, 50})));
    QVERIFY(isWhite(at(out, {150, 45.5}))); // 3 of stroke + 2 of rim outside the line
    QCOMPARE(at(out, {150, 42}), QColor(Qt::black));
    QCOMPARE(at(out, {150, 100}), QColor(Qt::black)); // never filled
}

void TestAnnotationPainter::textStyles()
{
    // Box: the colour fills the margins around the glyphs; the glyphs are white.
    const TextAnnotation box = text(TextStyle::box);
    const QImage boxed = draw(box);
    const QSizeF size = measuredTextSize(box);
    const QPointF leftMargin(150 - size.width() / 2 - 0.15 * 40, 100);
    QVERIFY(isRed(at(boxed, leftMargin)));
    QVERIFY(isWhite(at(boxed, leftMargin - QPointF(0.2 * 40, 0))));
    int whiteInside = 0;
    for (double x = 150 - size.width() / 2; x < 150 + size.width() / 2; x += 1) {
        whiteInside += isWhite(at(boxed, {x, 100})) ? 1 : 0;
    }
    QVERIFY(whiteInside > 4);

    // Rounded box: a capsule, so its far corners stay clear while its middle is filled.
    const TextAnnotation capsule = text(TextStyle::roundedBox);
    const QImage rounded = draw(capsule);
    const QSizeF capsuleSize = measuredTextSize(capsule);
    const QRectF grown = QRectF(150 - capsuleSize.width() / 2, 100 - capsuleSize.height() / 2,
                                capsuleSize.width(), capsuleSize.height())
                             .adjusted(-0.45 * 40, -0.18 * 40, 0.45 * 40, 0.18 * 40);
    QVERIFY(isWhite(at(rounded, grown.topLeft() + QPointF(1, 1))));
    QVERIFY(isRed(at(rounded, {grown.left() + 2, grown.center().y()})));

    // Standard: coloured glyphs and nothing around them.
    const QImage plain = draw(text(TextStyle::standard));
    QVERIFY(isWhite(at(plain, leftMargin)));
    int redInside = 0;
    for (double x = 150 - size.width() / 2; x < 150 + size.width() / 2; x += 1) {
        redInside += isRed(at(plain, {x, 100})) ? 1 : 0;
    }
    QVERIFY(redInside > 4);
}

void TestAnnotationPainter::outlinedTextIgnoresTheOutlineFlag()
{
    TextAnnotation outlined = text(TextStyle::outlined, QStringLiteral("I"));
    outlined.fontSize = 80;
    const QImage plain = draw(outlined, canvas(300, 200, Qt::black));
    outlined.hasWhiteStroke = true;
    const QImage flagged = draw(outlined, canvas(300, 200, Qt::black));
    QCOMPARE(plain, flagged);
    // A white stem with a coloured rim: scan across the middle of the "I".
    bool sawRed = false;
    bool sawWhite = false;
    for (int x = 100; x < 200; ++x) {
        const QColor c = plain.pixelColor(x, 100);
        sawRed = sawRed || isRed(c);
        sawWhite = sawWhite || isWhite(c);
    }
    QVERIFY(sawRed && sawWhite);
}

void TestAnnotationPainter::blurShowsOnlyBasePixelsAndClipsToTheImage()
{
    // Left half black, right half white: a block straddling the middle averages to grey.
    QImage base = canvas(100, 100, Qt::white);
    {
        QPainter p(&base);
        p.fillRect(0, 0, 50, 100, Qt::black);
    }
    BlurAnnotation blur{QUuid::createUuid(), {40, -30}, {40, 60}, 20}; // half outside the image
    // A red rectangle under the blur is not what the blur shows: it reads the base picture.
    const RectAnnotation under{QUuid::createUuid(), {45, 5}, {10, 10}, red, 10, 6, false};
    const QImage out = renderAnnotated(base, {under, blur}, {base, {0, 0}});
    test::dump(out, QStringLiteral("blur"));
    const QColor straddling = out.pixelColor(45, 10); // block x 40…60 holds 10 black + 10 white columns
    QVERIFY(std::abs(straddling.red() - 128) <= 2);
    QCOMPARE(straddling.red(), straddling.green());
    QCOMPARE(out.pixelColor(70, 10), QColor(Qt::white)); // block 60…80 is all white
    QCOMPARE(out.pixelColor(45, 40), QColor(Qt::black)); // below the box: untouched
    // A box entirely outside the picture draws nothing.
    blur.origin = {200, 200};
    QCOMPARE(renderAnnotated(base, {blur}, {base, {0, 0}}), base);
}

void TestAnnotationPainter::blurBoxesShareOneGrid()
{
    QImage base(64, 64, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            base.setPixelColor(x, y, QColor((x * 37 + y * 11) % 256, (x * 7) % 256, (y * 13) % 256));
        }
    }
    const BlurAnnotation left{QUuid(), {0, 0}, {20, 64}, 8};
    const BlurAnnotation right{QUuid(), {20, 0}, {20, 64}, 8};
    const BlurAnnotation whole{QUuid(), {0, 0}, {40, 64}, 8};
    const QImage twoBoxes = renderAnnotated(base, {left, right}, {base, {0, 0}});
    const QImage oneBox = renderAnnotated(base, {whole}, {base, {0, 0}});
    // Two adjacent boxes pixellate exactly like one box over both: the block at 16…24 is cut by
    // the boundary yet shows one colour.
    QCOMPARE(twoBoxes.copy(0, 0, 40, 64), oneBox.copy(0, 0, 40, 64));
    QCOMPARE(twoBoxes.pixelColor(19, 3), twoBoxes.pixelColor(20, 3));
}

void TestAnnotationPainter::drawsAtThePixelDensity()
{
    // At density 2 a 6-unit stroke is 12 pixels wide.
    const RectAnnotation r{QUuid(), {50, 50}, {100, 60}, red, 6, 0, false};
    const QImage out = draw(r, canvas(200, 150, Qt::white, 2.0));
    QCOMPARE(out.size(), QSize(400, 300));
    int redRun = 0;
    for (int y = 80; y < 120; ++y) {
        redRun += isRed(out.pixelColor(200, y)) ? 1 : 0;
    }
    QVERIFY(std::abs(redRun - 12) <= 1);
}

void TestAnnotationPainter::emptyListReturnsTheBaseItself()
{
    const QImage base = canvas();
    QCOMPARE(renderAnnotated(base, {}, {base, {0, 0}}).cacheKey(), base.cacheKey());
}

QTEST_MAIN(TestAnnotationPainter)
#include "tst_annotationpainter.moc"
