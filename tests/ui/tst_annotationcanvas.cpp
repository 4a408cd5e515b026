#include "annotation/TextLayout.h"
#include "canvas/AnnotationCanvas.h"
#include "canvas/InPlaceTextEditor.h"
#include "editor/BackgroundAssetStore.h"
#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"
#include "preferences/SettingsStore.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {

// A mid tone, so white grips and red strokes both stand out from it.
const QColor paper(120, 140, 160);
const Color blue = Color::fromRgb8(0, 0, 255);

// A canvas on a 400 × 300 capture with its own session and tool state, shown on the offscreen
// platform so that it paints and takes real mouse events.
struct Harness
{
    QTemporaryDir dir;
    MemorySettingsStore settings;
    BackgroundAssetStore wallpapers{dir.filePath(QStringLiteral("wallpapers"))};
    EditorSession session;
    EditorToolState tools{settings};
    AnnotationCanvas canvas;

    explicit Harness(double zoom = 1, const QImage& image = test::solidImage(400, 300, paper))
        : session(image, CaptureKind::region, std::nullopt, false, {settings, wallpapers})
    {
        canvas.setSession(&session);
        canvas.setToolState(&tools);
        canvas.setPresentation({.image = image, .canvasSize = {}, .imageOrigin = {}});
        canvas.setZoom(zoom);
        canvas.show();
        QVERIFY(QTest::qWaitForWindowExposed(&canvas));
    }

    qsizetype undoCount() const { return session.undoStack().size(); }
    const AnnotationList& annotations() const { return session.annotations(); }
    AnnotationTool tool() const { return tools.selectedTool(); }
    QSet<QUuid> selection() const { return tools.selectedAnnotationIds(); }
    template <class T> const T& get(QUuid id) const
    {
        return std::get<T>(*findAnnotation(annotations(), id));
    }
    template <class T> const T& first() const { return std::get<T>(annotations().constFirst()); }

    QUuid add(const Annotation& annotation)
    {
        session.setAnnotations(AnnotationList(annotations()) << annotation);
        return annotationId(annotation);
    }

    QUuid addRect(QRectF r)
    {
        return add(RectAnnotation{QUuid::createUuid(), r.topLeft(), r.size(), blue, 4, 6, false});
    }
    QUuid addEllipse(QRectF r)
    {
        return add(EllipseAnnotation{QUuid::createUuid(), r.topLeft(), r.size(), blue, 4, false});
    }

    void drag(QPoint from, QPoint to, int steps = 6)
    {
        QTest::mousePress(&canvas, Qt::LeftButton, {}, from);
        for (int i = 1; i <= steps; ++i)
            QTest::mouseMove(&canvas, from + (to - from) * i / steps);
        QTest::mouseRelease(&canvas, Qt::LeftButton, {}, to);
    }

    void click(QPoint at, Qt::KeyboardModifiers keys = {})
    {
        QTest::mouseClick(&canvas, Qt::LeftButton, keys, at);
    }

    QWidget* textField() const { return canvas.textEditor()->focusProxy(); }
    QImage grab() { return canvas.grab().toImage(); }
};

bool near(const QColor& a, const QColor& b, int tolerance)
{
    const auto off = [&](int (QColor::*channel)() const) {
        return std::abs((a.*channel)() - (b.*channel)());
    };
    return std::max({off(&QColor::red), off(&QColor::green), off(&QColor::blue)}) <= tolerance;
}

} // namespace

class TestAnnotationCanvas : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { registerBundledFonts(); }
    void dragCommitsBySizeAndThreshold_data();
    void dragCommitsBySizeAndThreshold();
    void clickSelectShiftClickAndGroupMove();
    void gripsOnlyForASingleSelection();
    void cropCreateMoveResizeAndRemove();
    void textCreateTypeCommitAndRemoveEmpty();
    void zoomTwoDoublesViewCoordinates();
    void blurPaintsWhileDrawnAndFollowsAMove();
    void dragHoldsTheCursorOfItsKind_data();
    void dragHoldsTheCursorOfItsKind();
    void changesUnderneathADragKeepTheirKind();
};

void TestAnnotationCanvas::dragCommitsBySizeAndThreshold_data()
{
    QTest::addColumn<AnnotationTool>("tool");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("committed");
    using T = AnnotationTool;
    // All drags start at (50, 50). Moving under 3 points is a click: it places a text, never an arrow.
    QTest::newRow("text, 2 diagonally (2.8): click") << T::text << QPoint(52, 52) << true;
    QTest::newRow("text, 3 down: drag") << T::text << QPoint(50, 53) << false;
    QTest::newRow("arrow, 2 across: click") << T::arrow << QPoint(52, 50) << false;
    QTest::newRow("arrow, 3 across: drag") << T::arrow << QPoint(53, 50) << true;
    QTest::newRow("rect 4×4") << T::rect << QPoint(54, 54) << true;
    QTest::newRow("rect 3 wide") << T::rect << QPoint(53, 90) << false;
    QTest::newRow("rect dragged up-left") << T::rect << QPoint(10, 20) << true;
    QTest::newRow("ellipse 3 high") << T::ellipse << QPoint(120, 53) << false;
    QTest::newRow("ellipse") << T::ellipse << QPoint(120, 90) << true;
    QTest::newRow("blur 3×3") << T::blur << QPoint(53, 53) << false;
    QTest::newRow("blur") << T::blur << QPoint(150, 80) << true;
    QTest::newRow("draw") << T::draw << QPoint(150, 80) << true;
}

void TestAnnotationCanvas::dragCommitsBySizeAndThreshold()
{
    QFETCH(AnnotationTool, tool);
    QFETCH(QPoint, to);
    QFETCH(bool, committed);
    const QPoint from(50, 50);
    Harness h;
    h.tools.setSelectedTool(tool);
    h.drag(from, to);
    QCOMPARE(h.annotations().size(), committed ? 1 : 0);
    QCOMPARE(h.undoCount(), committed ? 1 : 0);
    if (tool == AnnotationTool::text)
        return;
    QVERIFY(h.canvas.interaction().provisionalAnnotations().isEmpty());
    if (!committed || tool == AnnotationTool::draw) {
        // Strokes, like shapes too small to keep, leave the tool as it was and select nothing.
        QCOMPARE(h.tool(), tool);
        QVERIFY(h.selection().isEmpty());
        if (committed) // every move added a point
            QCOMPARE(h.first<DrawAnnotation>().points.size(), 7);
        return;
    }
    const Annotation& made = h.annotations().constFirst();
    QCOMPARE(h.tool(), AnnotationTool::select);
    QCOMPARE(h.selection(), QSet<QUuid>{annotationId(made)});
    h.click(QPoint(350, 260)); // an empty click goes back to the tool
    QCOMPARE(h.tool(), tool);
    QVERIFY(h.selection().isEmpty());
    const QRectF span = QRectF(QPointF(from), QPointF(to)).normalized();
    if (const auto* arrow = std::get_if<ArrowAnnotation>(&made)) {
        QCOMPARE(arrow->startPoint, QPointF(from));
        QCOMPARE(arrow->endPoint, QPointF(to));
    } else if (const auto* rect = std::get_if<RectAnnotation>(&made)) {
        QCOMPARE(rect->rect(), span);
    } else if (const auto* ellipse = std::get_if<EllipseAnnotation>(&made)) {
        QCOMPARE(ellipse->rect(), span);
    } else {
        QCOMPARE(std::get<BlurAnnotation>(made).rect(), span);
    }
}

void TestAnnotationCanvas::clickSelectShiftClickAndGroupMove()
{
    Harness h;
    const QUuid a = h.addRect({20, 20, 100, 60});
    const QUuid b = h.addRect({200, 150, 100, 60});
    const QUuid c = h.addEllipse({250, 20, 100, 80});
    // A click with a drawing tool selects what it hits: the outline, not the inside.
    h.tools.setSelectedTool(AnnotationTool::ellipse);
    h.click(QPoint(70, 50));
    QVERIFY(h.selection().isEmpty());
    h.click(QPoint(20, 50));
    QCOMPARE(h.tool(), AnnotationTool::select);
    h.click(QPoint(250, 150), Qt::ShiftModifier);
    QCOMPARE(h.selection(), (QSet<QUuid>{a, b}));
    h.click(QPoint(380, 280), Qt::ShiftModifier); // empty: the selection stays
    QCOMPARE(h.selection(), (QSet<QUuid>{a, b}));
    h.click(QPoint(20, 50), Qt::ShiftModifier);
    QCOMPARE(h.selection(), QSet<QUuid>{b});
    h.click(QPoint(20, 50), Qt::ShiftModifier);

    h.drag(QPoint(20, 50), QPoint(50, 70), 5);
    QCOMPARE(h.get<RectAnnotation>(a).origin, QPointF(50, 40));
    QCOMPARE(h.get<RectAnnotation>(b).origin, QPointF(230, 170));
    QCOMPARE(h.selection(), (QSet<QUuid>{a, b}));
    QCOMPARE(h.undoCount(), 1);

    // An unselected annotation dragged becomes the only selection and moves alone.
    h.drag(QPoint(250, 60), QPoint(250, 100));
    QCOMPARE(h.selection(), QSet<QUuid>{c});
    QCOMPARE(h.get<EllipseAnnotation>(c).origin, QPointF(250, 60));
    QCOMPARE(h.get<RectAnnotation>(a).origin, QPointF(50, 40));

    // A drag from empty canvas changes nothing; a plain empty click clears.
    const AnnotationList before = h.annotations();
    h.drag(QPoint(150, 280), QPoint(390, 290));
    QCOMPARE(h.annotations(), before);
    QCOMPARE(h.undoCount(), 2);
    h.click(QPoint(380, 280));
    QVERIFY(h.selection().isEmpty());
}

void TestAnnotationCanvas::gripsOnlyForASingleSelection()
{
    Harness h;
    // An ellipse's corner grips lie off its outline, so a press there is a grip or nothing.
    const QUuid a = h.addEllipse({40, 40, 120, 80});
    const QUuid b = h.addEllipse({220, 140, 120, 80});
    h.tools.setSelectedTool(AnnotationTool::select);
    h.tools.setSelectedAnnotationIds({a, b});
    QVERIFY(!near(h.grab().pixelColor(160, 120), Qt::white, 30));
    const AnnotationList before = h.annotations();
    h.drag(QPoint(160, 120), QPoint(200, 130));
    QCOMPARE(h.annotations(), before);

    h.tools.setSelectedAnnotationIds({a});
    QVERIFY(near(h.grab().pixelColor(160, 120), Qt::white, 30));
    h.drag(QPoint(161, 119), QPoint(200, 130));
    QCOMPARE(h.get<EllipseAnnotation>(a).rect(), QRectF(40, 40, 160, 90));
    // Past the opposite edge the shape flips instead of growing a negative size.
    h.drag(QPoint(200, 85), QPoint(10, 85));
    QCOMPARE(h.get<EllipseAnnotation>(a).rect(), QRectF(10, 40, 30, 90));
    QCOMPARE(h.undoCount(), 2);
}

void TestAnnotationCanvas::cropCreateMoveResizeAndRemove()
{
    Harness h;
    h.tools.setSelectedTool(AnnotationTool::crop);
    // Many moves: the rectangle keeps following the press point even once it lies on a corner.
    h.drag(QPoint(50, 40), QPoint(250, 190), 10);
    QCOMPARE(h.tools.cropRect(), std::optional(QRectF(50, 40, 200, 150)));
    // Moved beyond either edge: stops there, same size.
    h.drag(QPoint(150, 100), QPoint(500, 400), 8);
    QCOMPARE(h.tools.cropRect(), std::optional(QRectF(200, 150, 200, 150)));
    h.drag(QPoint(300, 200), QPoint(-100, -100), 8);
    QCOMPARE(h.tools.cropRect(), std::optional(QRectF(0, 0, 200, 150)));
    // The bottom-right grip, dragged past the canvas, is held at its edge.
    h.drag(QPoint(200, 150), QPoint(450, 220));
    QCOMPARE(h.tools.cropRect(), std::optional(QRectF(0, 0, 400, 220)));

    h.click(QPoint(100, 100)); // inside: kept
    QVERIFY(h.tools.cropRect().has_value());
    h.click(QPoint(100, 260)); // outside: removed
    QVERIFY(!h.tools.cropRect().has_value());
    QCOMPARE(h.undoCount(), 0);

    // Dimmed outside, untouched inside.
    h.drag(QPoint(100, 100), QPoint(300, 200));
    QVERIFY(near(h.grab().pixelColor(200, 150), paper, 2));
    QVERIFY(h.grab().pixelColor(30, 30).lightness() < paper.lightness() * 0.7);
}

void TestAnnotationCanvas::textCreateTypeCommitAndRemoveEmpty()
{
    Harness h;
    h.tools.setSelectedTool(AnnotationTool::text);
    h.click(QPoint(150, 120));
    QCOMPARE(h.first<TextAnnotation>().position, QPointF(150, 120));
    QVERIFY(h.canvas.isEditingText() && h.canvas.textEditor()->isVisible());
    // A drag while typing changes nothing; a click elsewhere only commits, and the empty text goes.
    h.drag(QPoint(300, 200), QPoint(350, 250));
    QVERIFY(h.canvas.isEditingText());
    h.click(QPoint(300, 200));
    QVERIFY(!h.canvas.isEditingText() && h.annotations().isEmpty());
    QCOMPARE(h.tool(), AnnotationTool::text);

    // Undo while typing takes the text away and closes the editor.
    h.click(QPoint(100, 100));
    QTest::keyClicks(h.textField(), QStringLiteral("gone"));
    h.session.undo();
    QVERIFY(!h.canvas.isEditingText() && h.annotations().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!h.canvas.textEditor(), test::waitTimeout);

    h.click(QPoint(150, 120));
    const qsizetype undoPoints = h.undoCount();
    QPointer<InPlaceTextEditor> editor = h.canvas.textEditor();
    // Every keystroke lands in the annotation, without undo points.
    QTest::keyClicks(h.textField(), QStringLiteral("Hi there"));
    QCOMPARE(h.first<TextAnnotation>().text, QStringLiteral("Hi there"));
    QTest::keyClick(h.textField(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(!editor, test::waitTimeout);
    QCOMPARE(h.selection(), QSet<QUuid>{h.first<TextAnnotation>().id});
    QCOMPARE(h.tool(), AnnotationTool::select);
    QCOMPARE(h.undoCount(), undoPoints);
    // Now painted by the canvas: red glyph pixels near the centre.
    const QImage shown = h.grab();
    bool red = false;
    for (int x = 110; x < 190 && !red; ++x)
        red = near(shown.pixelColor(x, 120), h.tools.annotationColor().toQColor(), 30);
    QVERIFY(red);
    // A click on the sole selected text opens it again.
    h.click(QPoint(150, 120));
    QVERIFY(h.canvas.isEditingText() && h.selection().isEmpty());
}

void TestAnnotationCanvas::zoomTwoDoublesViewCoordinates()
{
    Harness h(2);
    QCOMPARE(h.canvas.size(), QSize(800, 600));
    h.tools.setSelectedTool(AnnotationTool::rect);
    h.drag(QPoint(40, 40), QPoint(100, 80));
    QCOMPARE(h.first<RectAnnotation>().rect(), QRectF(20, 20, 30, 20));
    // Painted at twice the size: the stroke (8 units) covers view x 32…48 at the left edge.
    const QImage shown = h.grab();
    const QColor red = h.tools.annotationColor().toQColor();
    QVERIFY(near(shown.pixelColor(40, 50), red, 20));
    QVERIFY(near(shown.pixelColor(60, 50), paper, 4));

    // Grip tolerance is 8 view points at any zoom: 7 away still grabs the grip.
    h.drag(QPoint(105, 85), QPoint(140, 120));
    QCOMPARE(h.first<RectAnnotation>().rect(), QRectF(20, 20, 50, 40));

    h.tools.setSelectedTool(AnnotationTool::text);
    h.click(QPoint(300, 300));
    QCOMPARE(std::get<TextAnnotation>(h.annotations().constLast()).position, QPointF(150, 150));
}

// Fine stripes that pixellation averages away: black and white left of x = 200, red and blue right of it.
QImage stripes()
{
    QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            image.setPixelColor(x, y,
                                x < 200 ? (x % 2 ? Qt::black : Qt::white) : (x % 2 ? Qt::blue : Qt::red));
    return image;
}

void TestAnnotationCanvas::blurPaintsWhileDrawnAndFollowsAMove()
{
    Harness h(1, stripes());
    h.tools.setSelectedTool(AnnotationTool::blur);
    QTest::mousePress(&h.canvas, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(&h.canvas, QPoint(180, 180));
    // Averaged inside the box, untouched outside, already while dragging.
    for (const bool released : {false, true}) {
        if (released)
            QTest::mouseRelease(&h.canvas, Qt::LeftButton, {}, QPoint(180, 180));
        const QImage shown = h.grab();
        QVERIFY(std::abs(shown.pixelColor(140, 140).lightness() - 128) < 24);
        QVERIFY(std::abs(shown.pixelColor(141, 140).lightness() - 128) < 24);
        QCOMPARE(shown.pixelColor(50, 140), QColor(Qt::white));
        QCOMPARE(shown.pixelColor(51, 140), QColor(Qt::black));
    }
    // Selected after drawing: a drag inside moves it onto the red and blue stripes. The patch kept
    // from the last paint belongs to the old place; the new place shows its own pixels averaged.
    h.drag(QPoint(140, 140), QPoint(290, 140));
    QCOMPARE(h.first<BlurAnnotation>().rect(), QRectF(250, 100, 80, 80));
    const QImage shown = h.grab();
    for (const int x : {290, 291}) {
        const QColor averaged = shown.pixelColor(x, 140);
        QVERIFY2(near(averaged, QColor(128, 0, 128), 24), qPrintable(averaged.name()));
    }
    QCOMPARE(shown.pixelColor(140, 140), QColor(Qt::white));
    QCOMPARE(shown.pixelColor(141, 140), QColor(Qt::black));
}

void TestAnnotationCanvas::dragHoldsTheCursorOfItsKind_data()
{
    QTest::addColumn<AnnotationTool>("tool");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<Qt::CursorShape>("held");
    using T = AnnotationTool;
    // A selected rectangle (select tool) or a crop rectangle (crop tool) at (100, 100, 120, 80).
    // Without a held cursor the canvas keeps the one the pointer showed over the press point as it
    // came in: the crosshair for drawing, the arrow for the select tool.
    QTest::newRow("grip, corner") << T::select << QPoint(220, 180) << Qt::SizeFDiagCursor;
    QTest::newRow("grip, other corner") << T::select << QPoint(220, 100) << Qt::SizeBDiagCursor;
    QTest::newRow("grip, edge") << T::select << QPoint(220, 140) << Qt::SizeHorCursor;
    QTest::newRow("move") << T::select << QPoint(100, 120) << Qt::ClosedHandCursor;
    QTest::newRow("select from empty: nothing held") << T::select << QPoint(300, 250) << Qt::ArrowCursor;
    QTest::newRow("crop grip, corner") << T::crop << QPoint(100, 100) << Qt::SizeFDiagCursor;
    QTest::newRow("crop grip, edge") << T::crop << QPoint(160, 180) << Qt::SizeVerCursor;
    QTest::newRow("crop move") << T::crop << QPoint(160, 140) << Qt::ClosedHandCursor;
    QTest::newRow("new crop: nothing held") << T::crop << QPoint(300, 250) << Qt::CrossCursor;
    QTest::newRow("drawing: nothing held") << T::rect << QPoint(300, 250) << Qt::CrossCursor;
}

void TestAnnotationCanvas::dragHoldsTheCursorOfItsKind()
{
    QFETCH(AnnotationTool, tool);
    QFETCH(QPoint, press);
    QFETCH(Qt::CursorShape, held);
    Harness h;
    const QRectF box(100, 100, 120, 80);
    h.tools.setSelectedTool(tool);
    if (tool == AnnotationTool::crop)
        h.tools.setCropRect(box);
    else
        h.tools.setSelectedAnnotationIds({h.addRect(box)});
    QTest::mousePress(&h.canvas, Qt::LeftButton, {}, press);
    // The pointer leaves the grip at once; the cursor stays the one the drag began with.
    for (const QPoint step : {QPoint(10, 5), QPoint(40, 30), QPoint(60, 45)}) {
        QTest::mouseMove(&h.canvas, press + step);
        QCOMPARE(h.canvas.cursor().shape(), held);
    }
    QTest::mouseRelease(&h.canvas, Qt::LeftButton, {}, press + QPoint(60, 45));
    QVERIFY(!h.canvas.interaction().dragCursor());
    QCOMPARE(h.canvas.cursor().shape(), h.canvas.interaction().hoverCursor(press + QPoint(60, 45)).shape());
}

void TestAnnotationCanvas::changesUnderneathADragKeepTheirKind()
{
    // A tool picked while an arrow is drawn (by its key): the arrow is still laid down, and an
    // empty click goes back to the arrow tool that drew it.
    {
        Harness h;
        h.tools.setSelectedTool(AnnotationTool::arrow);
        QTest::mousePress(&h.canvas, Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mouseMove(&h.canvas, QPoint(80, 60));
        h.tools.setSelectedTool(AnnotationTool::rect);
        QTest::mouseMove(&h.canvas, QPoint(120, 90));
        QTest::mouseRelease(&h.canvas, Qt::LeftButton, {}, QPoint(120, 90));
        QCOMPARE(h.annotations().size(), 1);
        QCOMPARE(h.first<ArrowAnnotation>().startPoint, QPointF(50, 50));
        QCOMPARE(h.first<ArrowAnnotation>().endPoint, QPointF(120, 90));
        QCOMPARE(h.tool(), AnnotationTool::select);
        h.click(QPoint(350, 260));
        QCOMPARE(h.tool(), AnnotationTool::arrow);
    }
    // Escape takes the crop rectangle away mid-drag: one being moved stays away, one being
    // spanned comes back under the pointer.
    {
        Harness h;
        h.tools.setSelectedTool(AnnotationTool::crop);
        h.tools.setCropRect(QRectF(100, 100, 120, 80));
        QTest::mousePress(&h.canvas, Qt::LeftButton, {}, QPoint(160, 140));
        QTest::mouseMove(&h.canvas, QPoint(170, 150));
        QCOMPARE(h.tools.cropRect(), std::optional(QRectF(110, 110, 120, 80)));
        h.tools.setCropRect(std::nullopt);
        QTest::mouseMove(&h.canvas, QPoint(200, 170));
        QTest::mouseRelease(&h.canvas, Qt::LeftButton, {}, QPoint(200, 170));
        QVERIFY(!h.tools.cropRect());

        QTest::mousePress(&h.canvas, Qt::LeftButton, {}, QPoint(50, 40));
        QTest::mouseMove(&h.canvas, QPoint(100, 80));
        h.tools.setCropRect(std::nullopt);
        QTest::mouseMove(&h.canvas, QPoint(150, 120));
        QTest::mouseRelease(&h.canvas, Qt::LeftButton, {}, QPoint(150, 120));
        QCOMPARE(h.tools.cropRect(), std::optional(QRectF(50, 40, 100, 80)));
    }
    // A grip drag stops once its annotation is no longer the single selection (everything
    // selected meanwhile): neither it nor the other annotation changes any more.
    {
        Harness h;
        const QUuid a = h.addRect({20, 20, 100, 60});
        const QUuid b = h.addRect({200, 150, 100, 60});
        h.tools.setSelectedTool(AnnotationTool::select);
        h.tools.setSelectedAnnotationIds({a});
        QTest::mousePress(&h.canvas, Qt::LeftButton, {}, QPoint(120, 80));
        QTest::mouseMove(&h.canvas, QPoint(140, 100));
        QCOMPARE(h.get<RectAnnotation>(a).rect(), QRectF(20, 20, 120, 80));
        h.tools.setSelectedAnnotationIds({a, b});
        QTest::mouseMove(&h.canvas, QPoint(180, 130));
        QTest::mouseRelease(&h.canvas, Qt::LeftButton, {}, QPoint(180, 130));
        QCOMPARE(h.get<RectAnnotation>(a).rect(), QRectF(20, 20, 120, 80));
        QCOMPARE(h.get<RectAnnotation>(b).rect(), QRectF(200, 150, 100, 60));
        QCOMPARE(h.undoCount(), 1);
    }
}

QTEST_MAIN(TestAnnotationCanvas)
#include "tst_annotationcanvas.moc"
