#include "annotation/AnnotationGeometry.h"
#include "annotation/TextLayout.h"
#include "canvas/AnnotationCanvas.h"
#include "canvas/InPlaceTextEditor.h"
#include "editor/BackgroundAssetStore.h"
#include "editor/CompositeRenderer.h"
#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"
#include "preferences/SettingsStore.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {

// A mid tone, so white grips and red strokes both stand out from it.
const QColor paper(120, 140, 160);

// A canvas on a 400 × 300 capture with its own session and tool state, shown on the offscreen
// platform so that it paints and takes real mouse events.
struct Harness
{
    QTemporaryDir dir;
    MemorySettingsStore settings;
    BackgroundAssetStore wallpapers{dir.filePath(QStringLiteral("wallpapers"))};
    std::unique_ptr<EditorSession> session;
    std::unique_ptr<EditorToolState> tools;
    std::unique_ptr<AnnotationCanvas> canvas;

    explicit Harness(double zoom = 1, QImage image = test::solidImage(400, 300, paper))
    {
        session = std::make_unique<EditorSession>(image, CaptureKind::region, std::nullopt, false,
                                                  EditorSession::Services{settings, wallpapers});
        tools = std::make_unique<EditorToolState>(settings);
        canvas = std::make_unique<AnnotationCanvas>();
        canvas->setSession(session.get());
        canvas->setToolState(tools.get());
        CanvasPresentation presentation;
        presentation.image = image;
        canvas->setPresentation(presentation);
        canvas->setZoom(zoom);
        canvas->show();
        QVERIFY(QTest::qWaitForWindowExposed(canvas.get()));
    }

    qsizetype undoCount() const { return session->undoStack().size(); }
    const AnnotationList& annotations() const { return session->annotations(); }
    AnnotationTool tool() const { return tools->selectedTool(); }
    QSet<QUuid> selection() const { return tools->selectedAnnotationIds(); }

    QUuid add(const Annotation& annotation)
    {
        AnnotationList list = session->annotations();
        list.append(annotation);
        session->setAnnotations(list);
        return annotationId(annotation);
    }

    void drag(QPoint from, QPoint to, int steps = 6, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mousePress(canvas.get(), Qt::LeftButton, modifiers, from);
        for (int i = 1; i <= steps; ++i) {
            QTest::mouseMove(canvas.get(), from + (to - from) * i / steps);
        }
        QTest::mouseRelease(canvas.get(), Qt::LeftButton, modifiers, to);
    }

    void click(QPoint at, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(canvas.get(), Qt::LeftButton, modifiers, at);
    }

    void hover(QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, at, canvas->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(canvas.get(), &move);
    }

    QImage grab() const { return canvas->grab().toImage(); }
};

RectAnnotation rectAt(QRectF r)
{
    return RectAnnotation{
        QUuid::createUuid(), r.topLeft(), r.size(), Color::fromRgb8(0, 0, 255), 4, 6, false};
}

EllipseAnnotation ellipseAt(QRectF r)
{
    return EllipseAnnotation{QUuid::createUuid(),        r.topLeft(), r.size(),
                             Color::fromRgb8(0, 0, 255), 4,           false};
}

bool near(const QColor& a, const QColor& b, int tolerance = 8)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

class TestAnnotationCanvas : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { registerBundledFonts(); }
    void clickOrDragByThreshold_data();
    void clickOrDragByThreshold();
    void drawingToolsCommitBySize_data();
    void drawingToolsCommitBySize();
    void drawnShapeIsSelectedUntilAnEmptyClick();
    void clickWithDrawingToolSelectsWhatItHits();
    void shiftClickTogglesMembership();
    void movingMovesTheWholeSelection();
    void gripsOnlyForASingleSelection();
    void cropCreateMoveResizeAndRemove();
    void textCreateTypeCommit();
    void emptyTextIsRemovedAndClicksWhileEditingOnlyCommit();
    void undoWhileEditingClosesTheEditor();
    void zoomTwoDoublesViewCoordinates();
    void hoverReportsAndCursors();
    void paintsAnnotationsProvisionalAndBlur();
    void compositePreviewMatchesExport();
};

void TestAnnotationCanvas::clickOrDragByThreshold_data()
{
    QTest::addColumn<AnnotationTool>("tool");
    QTest::addColumn<QPoint>("move");
    QTest::addColumn<int>("expected");
    // A text is placed by a click only; an arrow only by a drag.
    QTest::newRow("text, 2 across: click") << AnnotationTool::text << QPoint(2, 0) << 1;
    QTest::newRow("text, 2 diagonally (2.8): click") << AnnotationTool::text << QPoint(2, 2) << 1;
    QTest::newRow("text, 3 down: drag") << AnnotationTool::text << QPoint(0, 3) << 0;
    QTest::newRow("arrow, 2 across: click") << AnnotationTool::arrow << QPoint(2, 0) << 0;
    QTest::newRow("arrow, 3 across: drag") << AnnotationTool::arrow << QPoint(3, 0) << 1;
}

void TestAnnotationCanvas::clickOrDragByThreshold()
{
    QFETCH(AnnotationTool, tool);
    QFETCH(QPoint, move);
    QFETCH(int, expected);
    Harness h;
    h.tools->setSelectedTool(tool);
    h.drag(QPoint(100, 100), QPoint(100, 100) + move, 1);
    QCOMPARE(h.annotations().size(), expected);
}

void TestAnnotationCanvas::drawingToolsCommitBySize_data()
{
    QTest::addColumn<AnnotationTool>("tool");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("committed");
    QTest::newRow("rect 4×4") << AnnotationTool::rect << QPoint(50, 50) << QPoint(54, 54) << true;
    QTest::newRow("rect 3 wide") << AnnotationTool::rect << QPoint(50, 50) << QPoint(53, 90) << false;
    QTest::newRow("rect dragged up-left") << AnnotationTool::rect << QPoint(90, 90) << QPoint(40, 60) << true;
    QTest::newRow("ellipse 3 high") << AnnotationTool::ellipse << QPoint(50, 50) << QPoint(120, 53) << false;
    QTest::newRow("ellipse") << AnnotationTool::ellipse << QPoint(50, 50) << QPoint(120, 90) << true;
    QTest::newRow("blur 3×3") << AnnotationTool::blur << QPoint(50, 50) << QPoint(53, 53) << false;
    QTest::newRow("blur") << AnnotationTool::blur << QPoint(50, 50) << QPoint(150, 80) << true;
    QTest::newRow("arrow") << AnnotationTool::arrow << QPoint(50, 50) << QPoint(150, 80) << true;
    QTest::newRow("draw") << AnnotationTool::draw << QPoint(50, 50) << QPoint(150, 80) << true;
}

void TestAnnotationCanvas::drawingToolsCommitBySize()
{
    QFETCH(AnnotationTool, tool);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(bool, committed);
    Harness h;
    h.tools->setSelectedTool(tool);
    h.drag(from, to);
    QCOMPARE(h.annotations().size(), committed ? 1 : 0);
    QCOMPARE(h.undoCount(), committed ? 1 : 0);
    QVERIFY(h.canvas->interaction().provisionalAnnotations().isEmpty());
    if (!committed) {
        QCOMPARE(h.tool(), tool);
        return;
    }
    const Annotation& made = h.annotations().constFirst();
    const QRectF span = QRectF(QPointF(from), QPointF(to)).normalized();
    if (tool == AnnotationTool::draw) {
        // Strokes keep the tool and are not selected; every move added a point.
        QCOMPARE(h.tool(), AnnotationTool::draw);
        QVERIFY(h.selection().isEmpty());
        const auto& stroke = std::get<DrawAnnotation>(made);
        QCOMPARE(stroke.points.size(), 7);
        QCOMPARE(stroke.points.constFirst(), QPointF(from));
        QCOMPARE(stroke.points.constLast(), QPointF(to));
        return;
    }
    QCOMPARE(h.tool(), AnnotationTool::select);
    QCOMPARE(h.selection(), QSet<QUuid>{annotationId(made)});
    if (tool == AnnotationTool::arrow) {
        const auto& arrow = std::get<ArrowAnnotation>(made);
        QCOMPARE(arrow.startPoint, QPointF(from));
        QCOMPARE(arrow.endPoint, QPointF(to));
        QCOMPARE(arrow.style, h.tools->arrowStyle());
        QCOMPARE(arrow.lineWidth, h.session->strokeWidth());
    } else if (tool == AnnotationTool::rect) {
        const auto& rect = std::get<RectAnnotation>(made);
        QCOMPARE(rect.rect(), span);
        QCOMPARE(rect.cornerRadius, 6.0);
        QCOMPARE(rect.color, h.tools->annotationColor());
    } else if (tool == AnnotationTool::blur) {
        QCOMPARE(std::get<BlurAnnotation>(made).rect(), span);
        QCOMPARE(std::get<BlurAnnotation>(made).pixelSize, h.session->blurRadius());
    }
}

void TestAnnotationCanvas::drawnShapeIsSelectedUntilAnEmptyClick()
{
    Harness h;
    h.tools->setSelectedTool(AnnotationTool::arrow);
    h.drag(QPoint(60, 200), QPoint(300, 80));
    QCOMPARE(h.tool(), AnnotationTool::select);
    // The fresh arrow shows its two grips: white discs at its ends.
    const QImage shown = h.grab();
    QVERIFY(near(shown.pixelColor(300, 80), Qt::white, 30));
    QVERIFY(near(shown.pixelColor(60, 200), Qt::white, 30));

    h.click(QPoint(350, 260));
    QCOMPARE(h.tool(), AnnotationTool::arrow);
    QVERIFY(h.selection().isEmpty());
    QVERIFY(!h.canvas->interaction().toolBeforeAutoSelect());
    // A second empty click stays with the arrow tool; the way back was used up.
    h.click(QPoint(350, 260));
    QCOMPARE(h.tool(), AnnotationTool::arrow);
    QCOMPARE(h.undoCount(), 1);
}

void TestAnnotationCanvas::clickWithDrawingToolSelectsWhatItHits()
{
    Harness h;
    const QUuid rect = h.add(rectAt(QRectF(100, 100, 120, 80)));
    h.tools->setSelectedTool(AnnotationTool::ellipse);
    h.click(QPoint(160, 160)); // inside, not on the outline: nothing
    QVERIFY(h.selection().isEmpty());
    h.click(QPoint(103, 150));
    QCOMPARE(h.selection(), QSet<QUuid>{rect});
    QCOMPARE(h.tool(), AnnotationTool::select);
    // Picking a tool by hand forgets the way back.
    h.tools->setSelectedTool(AnnotationTool::rect);
    h.tools->setSelectedTool(AnnotationTool::select);
    h.click(QPoint(350, 20));
    QCOMPARE(h.tool(), AnnotationTool::select);
    QCOMPARE(h.undoCount(), 0);
}

void TestAnnotationCanvas::shiftClickTogglesMembership()
{
    Harness h;
    const QUuid a = h.add(rectAt(QRectF(20, 20, 100, 60)));
    const QUuid b = h.add(rectAt(QRectF(200, 150, 100, 60)));
    h.tools->setSelectedTool(AnnotationTool::select);
    h.click(QPoint(20, 50));
    QCOMPARE(h.selection(), QSet<QUuid>{a});
    h.click(QPoint(250, 150), Qt::ShiftModifier);
    QCOMPARE(h.selection(), (QSet<QUuid>{a, b}));
    h.click(QPoint(380, 280), Qt::ShiftModifier); // empty: the selection stays
    QCOMPARE(h.selection(), (QSet<QUuid>{a, b}));
    h.click(QPoint(20, 50), Qt::ShiftModifier);
    QCOMPARE(h.selection(), QSet<QUuid>{b});
    h.click(QPoint(250, 150)); // plain click on the sole selection keeps it
    QCOMPARE(h.selection(), QSet<QUuid>{b});
    h.click(QPoint(380, 280));
    QVERIFY(h.selection().isEmpty());
    QCOMPARE(h.undoCount(), 0);
}

void TestAnnotationCanvas::movingMovesTheWholeSelection()
{
    Harness h;
    const RectAnnotation first = rectAt(QRectF(20, 20, 100, 60));
    const RectAnnotation second = rectAt(QRectF(200, 150, 100, 60));
    const QUuid a = h.add(first);
    const QUuid b = h.add(second);
    const QUuid c = h.add(ellipseAt(QRectF(250, 20, 100, 80)));
    h.tools->setSelectedTool(AnnotationTool::select);
    h.tools->setSelectedAnnotationIds({a, b});

    h.drag(QPoint(20, 50), QPoint(50, 70), 5);
    QCOMPARE(std::get<RectAnnotation>(*findAnnotation(h.annotations(), a)).origin, QPointF(50, 40));
    QCOMPARE(std::get<RectAnnotation>(*findAnnotation(h.annotations(), b)).origin, QPointF(230, 170));
    QCOMPARE(h.undoCount(), 1);
    QCOMPARE(h.selection(), (QSet<QUuid>{a, b}));

    // An unselected annotation dragged becomes the only selection and moves alone.
    h.drag(QPoint(250, 60), QPoint(250, 100));
    QCOMPARE(h.selection(), QSet<QUuid>{c});
    QCOMPARE(std::get<EllipseAnnotation>(*findAnnotation(h.annotations(), c)).origin, QPointF(250, 60));
    QCOMPARE(std::get<RectAnnotation>(*findAnnotation(h.annotations(), a)).origin, QPointF(50, 40));
    QCOMPARE(h.undoCount(), 2);

    // A drag from empty canvas does nothing: no rubber band, no undo point.
    const AnnotationList before = h.annotations();
    h.drag(QPoint(150, 280), QPoint(390, 290));
    QCOMPARE(h.annotations(), before);
    QCOMPARE(h.undoCount(), 2);
}

void TestAnnotationCanvas::gripsOnlyForASingleSelection()
{
    Harness h;
    // An ellipse's corner grips lie off its outline, so a press there is a grip or nothing.
    const QUuid a = h.add(ellipseAt(QRectF(40, 40, 120, 80)));
    const QUuid b = h.add(ellipseAt(QRectF(220, 140, 120, 80)));
    h.tools->setSelectedTool(AnnotationTool::select);

    h.tools->setSelectedAnnotationIds({a, b});
    QVERIFY(!near(h.grab().pixelColor(160, 120), Qt::white, 30));
    const AnnotationList before = h.annotations();
    h.drag(QPoint(160, 120), QPoint(200, 130));
    QCOMPARE(h.annotations(), before);
    QCOMPARE(h.undoCount(), 0);

    h.tools->setSelectedAnnotationIds({a});
    QVERIFY(near(h.grab().pixelColor(160, 120), Qt::white, 30));
    h.hover(QPoint(160, 120));
    QCOMPARE(h.canvas->cursor().shape(), Qt::SizeFDiagCursor);
    h.hover(QPoint(160, 40));
    QCOMPARE(h.canvas->cursor().shape(), Qt::SizeBDiagCursor);
    h.drag(QPoint(161, 119), QPoint(200, 130));
    QCOMPARE(std::get<EllipseAnnotation>(*findAnnotation(h.annotations(), a)).rect(),
             QRectF(40, 40, 160, 90));
    QCOMPARE(h.undoCount(), 1);

    // Through the anchor: the shape flips instead of growing a negative size.
    h.drag(QPoint(120, 40), QPoint(120, 10)); // the top grip, dragged up
    QCOMPARE(std::get<EllipseAnnotation>(*findAnnotation(h.annotations(), a)).rect(),
             QRectF(40, 10, 160, 120));
    h.drag(QPoint(200, 70), QPoint(10, 70)); // the right grip, past the left edge
    QCOMPARE(std::get<EllipseAnnotation>(*findAnnotation(h.annotations(), a)).rect(),
             QRectF(10, 10, 30, 120));
    QCOMPARE(h.undoCount(), 3);
}

void TestAnnotationCanvas::cropCreateMoveResizeAndRemove()
{
    Harness h;
    h.tools->setSelectedTool(AnnotationTool::crop);
    // Many moves: the rectangle keeps following the press point even once it lies on a corner.
    h.drag(QPoint(50, 40), QPoint(250, 190), 10);
    QCOMPARE(h.tools->cropRect(), std::optional(QRectF(50, 40, 200, 150)));

    // Moved beyond the bottom-right edge: stops there, same size.
    h.drag(QPoint(150, 100), QPoint(500, 400), 8);
    QCOMPARE(h.tools->cropRect(), std::optional(QRectF(200, 150, 200, 150)));
    h.drag(QPoint(300, 200), QPoint(-100, -100), 8);
    QCOMPARE(h.tools->cropRect(), std::optional(QRectF(0, 0, 200, 150)));

    h.hover(QPoint(100, 70));
    QCOMPARE(h.canvas->cursor().shape(), Qt::OpenHandCursor);
    h.hover(QPoint(200, 75));
    QCOMPARE(h.canvas->cursor().shape(), Qt::SizeHorCursor);

    // The bottom-right grip, dragged past the canvas, is held at its edge.
    h.drag(QPoint(200, 150), QPoint(450, 220));
    QCOMPARE(h.tools->cropRect(), std::optional(QRectF(0, 0, 400, 220)));

    h.click(QPoint(100, 100)); // inside: kept
    QVERIFY(h.tools->cropRect().has_value());
    h.click(QPoint(100, 260)); // outside: removed
    QVERIFY(!h.tools->cropRect().has_value());
    QCOMPARE(h.undoCount(), 0);

    // Dimmed outside, untouched inside.
    h.drag(QPoint(100, 100), QPoint(300, 200));
    const QImage shown = h.grab();
    QVERIFY(near(shown.pixelColor(200, 150), paper, 2));
    QVERIFY(shown.pixelColor(30, 30).lightness() < paper.lightness() * 0.7);
}

void TestAnnotationCanvas::textCreateTypeCommit()
{
    Harness h;
    QSignalSpy editing(h.canvas.get(), &AnnotationCanvas::textEditingChanged);
    h.tools->setSelectedTool(AnnotationTool::text);
    h.click(QPoint(150, 120));
    QCOMPARE(h.annotations().size(), 1);
    QCOMPARE(h.undoCount(), 1);
    const auto& created = std::get<TextAnnotation>(h.annotations().constFirst());
    QVERIFY(created.isEditing);
    QCOMPARE(created.position, QPointF(150, 120));
    QCOMPARE(created.fontSize, h.session->fontSize());
    QCOMPARE(created.style, h.session->textStyle());
    QVERIFY(h.canvas->isEditingText());
    QCOMPARE(editing.size(), 1);
    QPointer<InPlaceTextEditor> editor = h.canvas->textEditor();
    QVERIFY(editor);
    QVERIFY(editor->isVisible());

    QWidget* field = editor->focusProxy() ? editor->focusProxy() : editor.data();
    QTest::keyClicks(field, QStringLiteral("Hi there"));
    // Every keystroke lands in the annotation, without undo points.
    QCOMPARE(std::get<TextAnnotation>(h.annotations().constFirst()).text, QStringLiteral("Hi there"));
    QCOMPARE(h.undoCount(), 1);

    QTest::keyClick(field, Qt::Key_Return);
    QTRY_VERIFY(!editor);
    const auto& kept = std::get<TextAnnotation>(h.annotations().constFirst());
    QVERIFY(!kept.isEditing);
    QCOMPARE(kept.text, QStringLiteral("Hi there"));
    QCOMPARE(h.selection(), QSet<QUuid>{kept.id});
    QCOMPARE(h.tool(), AnnotationTool::select);
    QCOMPARE(editing.size(), 2);
    QCOMPARE(h.undoCount(), 1);
    // Now painted by the canvas: red glyph pixels near the centre.
    const QImage shown = h.grab();
    bool red = false;
    for (int x = 110; x < 190 && !red; ++x) {
        red = near(shown.pixelColor(x, 120), h.tools->annotationColor().toQColor(), 30);
    }
    QVERIFY(red);

    // A click on the sole selected text opens it again.
    h.click(QPoint(150, 120));
    QVERIFY(h.canvas->isEditingText());
    QVERIFY(h.selection().isEmpty());
    QVERIFY(h.canvas->textEditor());
}

void TestAnnotationCanvas::emptyTextIsRemovedAndClicksWhileEditingOnlyCommit()
{
    Harness h;
    h.tools->setSelectedTool(AnnotationTool::text);
    h.click(QPoint(150, 120));
    QVERIFY(h.canvas->isEditingText());
    // A drag while typing changes nothing.
    h.drag(QPoint(300, 200), QPoint(350, 250));
    QVERIFY(h.canvas->isEditingText());
    QCOMPARE(h.annotations().size(), 1);
    // A click elsewhere only commits: the empty text goes, and no second text is started.
    h.click(QPoint(300, 200));
    QVERIFY(!h.canvas->isEditingText());
    QVERIFY(h.annotations().isEmpty());
    QCOMPARE(h.tool(), AnnotationTool::text);

    // A single space is text: it stays.
    h.click(QPoint(100, 100));
    QTest::keyClick(h.canvas->textEditor()->focusProxy(), Qt::Key_Space);
    QTest::keyClick(h.canvas->textEditor()->focusProxy(), Qt::Key_Escape);
    QTRY_VERIFY(!h.canvas->textEditor());
    QCOMPARE(h.annotations().size(), 1);
    QCOMPARE(std::get<TextAnnotation>(h.annotations().constFirst()).text, QStringLiteral(" "));
}

void TestAnnotationCanvas::undoWhileEditingClosesTheEditor()
{
    Harness h;
    h.tools->setSelectedTool(AnnotationTool::text);
    h.click(QPoint(150, 120));
    QTest::keyClicks(h.canvas->textEditor()->focusProxy(), QStringLiteral("gone"));
    h.session->undo();
    QVERIFY(h.annotations().isEmpty());
    QVERIFY(!h.canvas->isEditingText());
    QTRY_VERIFY(!h.canvas->textEditor());
    // The canvas is usable again at once.
    h.click(QPoint(200, 200));
    QVERIFY(h.canvas->isEditingText());
}

void TestAnnotationCanvas::zoomTwoDoublesViewCoordinates()
{
    Harness h(2);
    QCOMPARE(h.canvas->sizeHint(), QSize(800, 600));
    QCOMPARE(h.canvas->size(), QSize(800, 600));
    h.tools->setSelectedTool(AnnotationTool::rect);
    h.drag(QPoint(40, 40), QPoint(100, 80));
    QCOMPARE(std::get<RectAnnotation>(h.annotations().constFirst()).rect(), QRectF(20, 20, 30, 20));
    // Painted at twice the size: the stroke (8 units) covers view x 32…48 at the left edge.
    const QImage shown = h.grab();
    const QColor red = h.tools->annotationColor().toQColor();
    QVERIFY(near(shown.pixelColor(40, 50), red, 20));
    QVERIFY(near(shown.pixelColor(46, 50), red, 20));
    QVERIFY(near(shown.pixelColor(60, 50), paper, 4));

    // Grip tolerance is 8 view points at any zoom: 7 away still grabs the grip.
    h.drag(QPoint(105, 85), QPoint(140, 120));
    QCOMPARE(std::get<RectAnnotation>(h.annotations().constFirst()).rect(), QRectF(20, 20, 50, 40));

    h.tools->setSelectedTool(AnnotationTool::text);
    h.click(QPoint(300, 300));
    QCOMPARE(std::get<TextAnnotation>(h.annotations().constLast()).position, QPointF(150, 150));
    QVERIFY(h.canvas->textEditor());
    QVERIFY(std::abs(QRectF(h.canvas->textEditor()->geometry()).center().x() - 300) <= 1);

    h.canvas->setZoom(1);
    QCOMPARE(h.canvas->size(), QSize(400, 300));
    QVERIFY(std::abs(QRectF(h.canvas->textEditor()->geometry()).center().x() - 150) <= 1);
}

void TestAnnotationCanvas::hoverReportsAndCursors()
{
    Harness h(2);
    QSignalSpy hovered(h.canvas.get(), &AnnotationCanvas::hovered);
    h.tools->setSelectedTool(AnnotationTool::arrow);
    h.hover(QPoint(30, 50));
    QCOMPARE(hovered.size(), 1);
    // View coordinates, not divided by the zoom.
    QCOMPARE(hovered.constLast().constFirst().value<std::optional<QPointF>>(),
             std::optional(QPointF(30, 50)));
    QCOMPARE(h.canvas->cursor().shape(), Qt::CrossCursor);
    h.tools->setSelectedTool(AnnotationTool::select);
    QCOMPARE(h.canvas->cursor().shape(), Qt::ArrowCursor);

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(h.canvas.get(), &leave);
    QCOMPARE(hovered.size(), 2);
    QVERIFY(!hovered.constLast().constFirst().value<std::optional<QPointF>>());

    // While a text is typed, the canvas reports no hover and shows the plain arrow.
    h.tools->setSelectedTool(AnnotationTool::text);
    h.click(QPoint(200, 200));
    QVERIFY(h.canvas->isEditingText());
    h.hover(QPoint(20, 20));
    QCOMPARE(hovered.size(), 2);
    QCOMPARE(h.canvas->cursor().shape(), Qt::ArrowCursor);
}

void TestAnnotationCanvas::paintsAnnotationsProvisionalAndBlur()
{
    // Fine stripes that pixellation averages away.
    QImage stripes(400, 300, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < stripes.height(); ++y) {
        for (int x = 0; x < stripes.width(); ++x) {
            stripes.setPixelColor(x, y, x % 2 ? Qt::black : Qt::white);
        }
    }
    Harness h(1, stripes);
    h.tools->setSelectedTool(AnnotationTool::blur);
    QTest::mousePress(h.canvas.get(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(h.canvas.get(), QPoint(150, 140));
    QTest::mouseMove(h.canvas.get(), QPoint(200, 180));
    // Mid-drag the provisional box already shows.
    QImage shown = h.grab();
    QVERIFY(std::abs(shown.pixelColor(150, 150).lightness() - 128) < 24);
    QTest::mouseRelease(h.canvas.get(), Qt::LeftButton, {}, QPoint(200, 180));
    shown = h.grab();
    test::dump(shown, QStringLiteral("canvas-blur"));
    QVERIFY(std::abs(shown.pixelColor(150, 150).lightness() - 128) < 24);
    QVERIFY(std::abs(shown.pixelColor(151, 150).lightness() - 128) < 24);
    // Outside the box the stripes are untouched.
    QCOMPARE(shown.pixelColor(250, 150), QColor(Qt::white));
    QCOMPARE(shown.pixelColor(251, 150), QColor(Qt::black));
}

void TestAnnotationCanvas::compositePreviewMatchesExport()
{
    QImage content(300, 200, QImage::Format_ARGB32_Premultiplied);
    content.fill(QColor(40, 120, 220));
    for (int y = 0; y < 200; y += 20) {
        for (int x = (y / 20 % 2) * 20; x < 300; x += 40) {
            content.setPixelColor(x, y, QColor(250, 200, 60));
        }
    }
    const Color background = Color::fromRgb8(230, 230, 235);
    for (const double inset : {0.0, 8.0}) {
        CompositeInputs inputs;
        inputs.content = content;
        inputs.background = background;
        inputs.padding = 30;
        inputs.inset = inset;
        inputs.cornerRadius = 18;
        inputs.shadow = 16;
        inputs.edgeColor = Color::fromRgb8(250, 250, 250);
        const QImage exported = renderComposite(inputs);

        Harness h(1, content);
        CanvasPresentation presentation;
        presentation.image = content;
        presentation.canvasSize = QSizeF(exported.size());
        presentation.imageOrigin = QPointF(30 + inset, 30 + inset);
        presentation.contentCornerRadius = 18;
        presentation.contentInset = inset;
        presentation.contentInsetColor = inputs.edgeColor;
        presentation.contentShadowRadius = 16;
        presentation.contentShadowOpacity = std::min(16.0 / 24, 1.5) * 0.8;
        presentation.showsTransparencyBacking = false;
        h.canvas->setPresentation(presentation);
        QCOMPARE(h.canvas->size(), exported.size());

        // The canvas over the same background as the export: the two must agree everywhere,
        // corners, plate and shadow included.
        QImage shown(exported.size(), QImage::Format_ARGB32_Premultiplied);
        shown.fill(background.toQColor());
        h.canvas->render(&shown, QPoint(), QRegion(), QWidget::DrawChildren);
        test::dump(shown, QStringLiteral("canvas-composite"));
        test::dump(exported, QStringLiteral("export-composite"));
        int worst = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const QColor a = shown.pixelColor(x, y);
                const QColor b = exported.pixelColor(x, y);
                worst = std::max({worst, std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                                  std::abs(a.blue() - b.blue())});
            }
        }
        QVERIFY2(worst <= 4, qPrintable(QStringLiteral("inset %1: differs by %2").arg(inset).arg(worst)));
    }
}

QTEST_MAIN(TestAnnotationCanvas)
#include "tst_annotationcanvas.moc"
