#include "annotation/AnnotationGeometry.h"
#include "annotation/TextLayout.h"
#include "support/TestSupport.h"

#include <QTest>

using namespace velmora;

Q_DECLARE_METATYPE(velmora::Annotation)

using test::arrow;
using test::ellipse;
using test::rect;
using test::stroke;
using test::text;

class TestAnnotationGeometry : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { registerBundledFonts(); }
    void hitBands_data();
    void hitBands();
    void topmostAnnotationWins();
    void textMeasureIsStableAndWraps();
    void handlesAndTies();
    void rectResizeFlipsThroughAnchor_data();
    void rectResizeFlipsThroughAnchor();
    void textResizeKeepsMinimumWidth();
    void freehandScalesFromPreDragPoints();
    void moveLandsAnchorOnPoint();
    void cropKeepRule_data();
    void cropKeepRule();
    void cropRectGeometry();
};

void TestAnnotationGeometry::hitBands_data()
{
    QTest::addColumn<Annotation>("annotation");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<bool>("hit");

    const auto r = rect(100, 100, 200, 100);
    QTest::newRow("rect centre is not hit") << Annotation(r) << QPointF(200, 150) << false;
    QTest::newRow("rect 8 outside left edge hits (half-open)") << Annotation(r) << QPointF(92, 150) << true;
    QTest::newRow("rect just beyond 8 outside") << Annotation(r) << QPointF(91.9, 150) << false;
    QTest::newRow("rect right band outer edge is open") << Annotation(r) << QPointF(308, 150) << false;
    QTest::newRow("rect 7.9 inside the outline") << Annotation(r) << QPointF(107.9, 150) << true;
    QTest::newRow("rect 8 inside the outline") << Annotation(r) << QPointF(108, 150) << false;
    QTest::newRow("small rect is hit everywhere") << Annotation(rect(0, 0, 10, 10)) << QPointF(5, 5) << true;

    const auto e = ellipse(0, 0, 200, 100);
    QTest::newRow("ellipse on outline") << Annotation(e) << QPointF(200, 50) << true;
    QTest::newRow("ellipse band grows with size")
        << Annotation(e) << QPointF(183, 50) << true; // 0.17 of the semi-axis inside
    QTest::newRow("ellipse centre") << Annotation(e) << QPointF(100, 50) << false;
    QTest::newRow("ellipse just outside band") << Annotation(e) << QPointF(100 + 100 * 1.19, 50) << false;
    QTest::newRow("flat ellipse never hit") << Annotation(ellipse(0, 0, 100, 0)) << QPointF(50, 0) << false;

    QTest::newRow("arrow within 10") << Annotation(arrow({0, 0}, {100, 0})) << QPointF(50, 9.9) << true;
    QTest::newRow("arrow at 10") << Annotation(arrow({0, 0}, {100, 0})) << QPointF(50, 10) << false;
    QTest::newRow("arrow beyond tip is clamped")
        << Annotation(arrow({0, 0}, {100, 0})) << QPointF(109, 0) << true;
    QTest::newRow("zero-length arrow") << Annotation(arrow({5, 5}, {5, 5})) << QPointF(5, 14) << true;

    QTest::newRow("stroke segment") << Annotation(stroke({{0, 0}, {50, 0}, {50, 50}})) << QPointF(55, 25)
                                    << true;
    QTest::newRow("single point stroke") << Annotation(stroke({{0, 0}})) << QPointF(0, 0) << false;

    BlurAnnotation blur;
    blur.origin = {0, 0};
    blur.size = {40, 40};
    QTest::newRow("blur interior") << Annotation(blur) << QPointF(20, 20) << true;

    QTest::newRow("empty text box top-left at position")
        << Annotation(text({}, {100, 100})) << QPointF(96.5, 96.5) << true;
    QTest::newRow("empty text box is 50 wide + 4")
        << Annotation(text({}, {100, 100})) << QPointF(153.9, 110) << true;
    QTest::newRow("empty text box not left of position")
        << Annotation(text({}, {100, 100})) << QPointF(95.9, 110) << false;
}

void TestAnnotationGeometry::hitBands()
{
    QFETCH(Annotation, annotation);
    QFETCH(QPointF, point);
    QFETCH(bool, hit);
    QCOMPARE(annotationContainsPoint(annotation, point), hit);
}

void TestAnnotationGeometry::topmostAnnotationWins()
{
    const auto bottom = rect(0, 0, 100, 100);
    const auto top = rect(0, 0, 100, 100);
    AnnotationList list{bottom, top};
    QCOMPARE(hitTest(list, {0, 50}), std::optional<QUuid>(top.id));
    QCOMPARE(hitTest(list, {50, 50}), std::nullopt);
    QCOMPARE(hitTest({}, {0, 0}), std::nullopt);
}

void TestAnnotationGeometry::textMeasureIsStableAndWraps()
{
    const QSizeF one = measuredTextSize(QStringLiteral("Hello"), TextStyle::standard, 32, std::nullopt);
    QVERIFY(one.width() > 40 && one.width() < 200);
    QVERIFY(one.height() >= 32 && one.height() < 64);
    QCOMPARE(one.width(), std::ceil(one.width()));
    // Twice the size measures about twice as large: sizes are canvas units, not screen points.
    const QSizeF two = measuredTextSize(QStringLiteral("Hello"), TextStyle::standard, 64, std::nullopt);
    QVERIFY(std::abs(two.width() - 2 * one.width()) <= 2);
    // A line break adds a line of the same height.
    const QSizeF lines =
        measuredTextSize(QStringLiteral("Hello\nHello"), TextStyle::standard, 32, std::nullopt);
    QCOMPARE(lines.width(), one.width());
    QVERIFY(std::abs(lines.height() - 2 * one.height()) <= 1);
    // Wrapping: the width is the wrap width, the words fall onto several lines.
    const QSizeF wrapped =
        measuredTextSize(QStringLiteral("Hello Hello Hello"), TextStyle::standard, 32, 120.0);
    QCOMPARE(wrapped.width(), 120.0);
    QVERIFY(wrapped.height() >= 3 * one.height() - 2);
    // A wrap width of 0 means natural width.
    TextAnnotation t = text(QStringLiteral("Hello"), {0, 0});
    t.fontSize = 32;
    t.maxWidth = 0.0;
    QCOMPARE(measuredTextSize(t), one);
}

void TestAnnotationGeometry::handlesAndTies()
{
    const QRectF r(0, 0, 0, 0); // all eight grips on one point: the first in order wins
    QCOMPARE(hitTestHandle(r, {1, 1}, 1.0), std::optional(ResizeHandle::topLeft));
    const QRectF box(0, 0, 100, 50);
    QCOMPARE(hitTestHandle(box, {100, 25}, 1.0), std::optional(ResizeHandle::right));
    // 8 view points: at zoom 2 that is 4 canvas points.
    QCOMPARE(hitTestHandle(box, {105, 25}, 1.0), std::optional(ResizeHandle::right));
    QCOMPARE(hitTestHandle(box, {105, 25}, 2.0), std::nullopt);
    QCOMPARE(hitTestHandle(box, {108, 25}, 1.0), std::nullopt);

    QVERIFY(resizeHandlePositions(text({}, {0, 0})).isEmpty());
    const auto horizontal = stroke({{0, 0}, {100, 0}});
    QCOMPARE(resizeHandlePositions(horizontal).size(), 4);
    QCOMPARE(selectionBoundingRect(horizontal), std::nullopt);
    const auto a = arrow({10, 10}, {20, 10});
    QCOMPARE(*selectionBoundingRect(a), QRectF(-10, -10, 50, 40)); // pad = max(8 * 2.5, 8)
}

void TestAnnotationGeometry::rectResizeFlipsThroughAnchor_data()
{
    QTest::addColumn<int>("handle");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<QRectF>("expected");
    // Rectangle (100, 100, 200, 100).
    QTest::newRow("right past the left edge")
        << int(ResizeHandle::right) << QPointF(50, 999) << QRectF(50, 100, 50, 100);
    QTest::newRow("top past the bottom")
        << int(ResizeHandle::top) << QPointF(0, 260) << QRectF(100, 200, 200, 60);
    QTest::newRow("corner through the anchor")
        << int(ResizeHandle::bottomRight) << QPointF(40, 80) << QRectF(40, 80, 60, 20);
    QTest::newRow("collapse to zero")
        << int(ResizeHandle::left) << QPointF(300, 0) << QRectF(300, 100, 0, 100);
}

void TestAnnotationGeometry::rectResizeFlipsThroughAnchor()
{
    QFETCH(int, handle);
    QFETCH(QPointF, to);
    QFETCH(QRectF, expected);
    const auto original = rect(100, 100, 200, 100);
    for (Annotation a : {Annotation(original), Annotation(ellipse(100, 100, 200, 100))}) {
        const auto h = ResizeHandle(handle);
        const ResizeState state = setupResizeState(a, h);
        const Annotation resized = resizedAnnotation(a, h, to, state);
        QCOMPARE(*selectionBoundingRect(resized), expected);
    }
}

void TestAnnotationGeometry::textResizeKeepsMinimumWidth()
{
    AnnotationList list{text(QStringLiteral("Some label"), {200, 100})};
    const auto id = annotationId(list[0]);
    const double w = measuredTextSize(std::get<TextAnnotation>(list[0])).width();
    const ResizeState state = setupResizeState(list[0], ResizeHandle::textRight);
    QCOMPARE(*state.anchor, QPointF(200 - w / 2, 100));
    // Drag the right grip onto the left edge: the width stays at 30.
    applyResize(list, id, ResizeHandle::textRight, QPointF(200 - w / 2 + 10, 300), state);
    const auto& t = std::get<TextAnnotation>(list[0]);
    QCOMPARE(t.maxWidth, std::optional(30.0));
    QCOMPARE(t.position.y(), 100.0);
    QCOMPARE(t.position.x(), (2 * (200 - w / 2) + 10) / 2);
    // Past the left edge the left grip becomes the right one.
    const ResizeState left = setupResizeState(list[0], ResizeHandle::textLeft);
    applyResize(list, id, ResizeHandle::textLeft, *left.anchor + QPointF(80, 0), left);
    QCOMPARE(std::get<TextAnnotation>(list[0]).maxWidth, std::optional(80.0));
}

void TestAnnotationGeometry::freehandScalesFromPreDragPoints()
{
    const auto original = stroke({{0, 0}, {50, 100}, {100, 50}});
    AnnotationList list{original};
    const ResizeState state = setupResizeState(original, ResizeHandle::bottomRight);
    QCOMPARE(*state.anchor, QPointF(0, 0));
    // Many intermediate steps must not accumulate: only the final pointer position matters.
    for (double x = 100; x <= 300; x += 7.3) {
        applyResize(list, original.id, ResizeHandle::bottomRight, {x, x}, state);
    }
    applyResize(list, original.id, ResizeHandle::bottomRight, {200, 50}, state);
    QCOMPARE(std::get<DrawAnnotation>(list[0]).points, (QVector<QPointF>{{0, 0}, {100, 50}, {200, 25}}));
    // Onto the anchor's x collapses to a vertical line; past it mirrors.
    applyResize(list, original.id, ResizeHandle::bottomRight, {0, 100}, state);
    for (const QPointF& p : std::get<DrawAnnotation>(list[0]).points) {
        QCOMPARE(p.x(), 0.0);
    }
    applyResize(list, original.id, ResizeHandle::bottomRight, {-100, 100}, state);
    QCOMPARE(std::get<DrawAnnotation>(list[0]).points, (QVector<QPointF>{{0, 0}, {-50, 100}, {-100, 50}}));
    // Edge grips do not act on strokes.
    const ResizeState edge = setupResizeState(original, ResizeHandle::top);
    QCOMPARE(resizedAnnotation(original, ResizeHandle::top, {5, 5}, edge), Annotation(original));
}

void TestAnnotationGeometry::moveLandsAnchorOnPoint()
{
    AnnotationList list{arrow({0, 0}, {100, 100}), rect(0, 0, 40, 20), stroke({{0, 0}, {10, 30}})};
    for (const Annotation& a : AnnotationList(list)) {
        const QUuid id = annotationId(a);
        const QPointF grab(3, 4);
        const QPointF offset = annotationDragOffset(list, id, grab);
        moveAnnotation(list, id, QPointF(500, 400) + offset);
        QCOMPARE(*annotationAnchor(list, id), QPointF(500, 400) + offset);
    }
    const AnnotationList before = list;
    moveAnnotation(list, QUuid::createUuid(), {1, 1});
    QCOMPARE(list, before);
    QCOMPARE(annotationDragOffset(list, QUuid::createUuid(), {1, 1}), QPointF(0, 0));
}

void TestAnnotationGeometry::cropKeepRule_data()
{
    QTest::addColumn<Annotation>("annotation");
    QTest::addColumn<bool>("kept");
    // Crop at (100, 100) with a 200 × 100 result: annotations shift by (-100, -100).
    QTest::newRow("arrow with only its end inside") << Annotation(arrow({0, 0}, {150, 150})) << true;
    QTest::newRow("arrow crossing but both ends outside")
        << Annotation(arrow({50, 150}, {400, 150})) << false;
    QTest::newRow("rect partly inside") << Annotation(rect(50, 50, 60, 60)) << true;
    QTest::newRow("rect touching only at the edge") << Annotation(rect(40, 40, 60, 60)) << false;
    QTest::newRow("text position on the open right edge")
        << Annotation(text(QStringLiteral("x"), {300, 150})) << false;
    QTest::newRow("text position inside") << Annotation(text(QStringLiteral("x"), {299, 150})) << true;
    QTest::newRow("straight horizontal stroke inside")
        << Annotation(stroke({{120, 150}, {200, 150}})) << true;
    QTest::newRow("stroke outside") << Annotation(stroke({{0, 0}, {50, 50}})) << false;
}

void TestAnnotationGeometry::cropKeepRule()
{
    QFETCH(Annotation, annotation);
    QFETCH(bool, kept);
    const AnnotationList result = translatedAndKept({annotation}, {-100, -100}, QRectF(0, 0, 200, 100));
    QCOMPARE(result.size(), kept ? 1 : 0);
    if (kept) {
        // Nothing is clipped: the kept annotation is the shifted original.
        QCOMPARE(result[0], translatedAnnotation(annotation, {-100, -100}));
    }
}

void TestAnnotationGeometry::cropRectGeometry()
{
    const QSizeF canvas(400, 300);
    QCOMPARE(clampedCropRect({-50, 10, 100, 100}, canvas), QRectF(0, 10, 100, 100));
    QCOMPARE(clampedCropRect({350, 250, 100, 100}, canvas), QRectF(300, 200, 100, 100));
    QCOMPARE(clampedCropRect({20, 20, 900, 900}, canvas), QRectF(0, 0, 400, 300));

    const QRectF crop(100, 100, 100, 100);
    const QPointF anchor = rectResizeAnchor(crop, ResizeHandle::topLeft);
    QCOMPARE(cropRectFromResize(crop, ResizeHandle::topLeft, anchor, {250, 260}, canvas),
             QRectF(200, 200, 50, 60));
    QCOMPARE(cropRectFromResize(crop, ResizeHandle::topLeft, anchor, {-40, -40}, canvas),
             QRectF(0, 0, 240, 240));
    const QPointF bottom = rectResizeAnchor(crop, ResizeHandle::bottom);
    QCOMPARE(cropRectFromResize(crop, ResizeHandle::bottom, bottom, {0, 250}, canvas),
             QRectF(100, 100, 100, 150));
    // Dragged past the canvas it keeps the canvas height and slides back inside.
    QCOMPARE(cropRectFromResize(crop, ResizeHandle::bottom, bottom, {0, 500}, canvas),
             QRectF(100, 0, 100, 300));
    // No crop yet: the whole canvas is the starting rectangle.
    const QPointF whole = rectResizeAnchor(QRectF(QPointF(), canvas), ResizeHandle::right);
    QCOMPARE(cropRectFromResize(std::nullopt, ResizeHandle::right, whole, {200, 0}, canvas),
             QRectF(0, 0, 200, 300));
}

QTEST_MAIN(TestAnnotationGeometry)
#include "tst_annotationgeometry.moc"
