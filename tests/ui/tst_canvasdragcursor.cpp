#include "canvas/AnnotationCanvas.h"
#include "editor/EditorToolState.h"
#include "support/EditorFixture.h"
#include "support/TestSupport.h"
#include "toolbar/AnnotationToolbar.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

using namespace velmora;

namespace {

// An editor window with the pointer resting over the middle of its picture. The pointer is the
// platform's own and presses go to the top-level window, so Qt itself finds the widget under the
// pointer, as it does for a real one.
struct Fixture : test::EditorFixture
{
    QPoint pointer; // in the window

    Fixture() : EditorFixture(test::solidImage(400, 300, Qt::white))
    {
        view->setDragImageProvider([image = session->capturedImage()] { return image; });
        QVERIFY(QTest::qWaitForWindowActive(view.get()));
        pointer = canvas()->mapTo(view.get(), canvas()->rect().center());
        moveTo(pointer);
    }

    QWindow* window() const { return view->windowHandle(); }
    // The cursor the window shows now: the one of the widget under the pointer.
    Qt::CursorShape shownCursor() const { return window()->cursor().shape(); }
    void moveTo(QPoint p)
    {
        pointer = p;
        QCursor::setPos(view->mapToGlobal(p));
        // The platform queues the move; let it arrive.
        QCoreApplication::processEvents();
    }
};

} // namespace

class TestCanvasDragCursor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ctrlShowsTheOpenHandAtOnce_data();
    void ctrlShowsTheOpenHandAtOnce();
    void ctrlDragExportsInsteadOfDrawing();
    void ctrlWhileDrawingKeepsTheStroke();
    void ctrlScrollStillZooms();
};

void TestCanvasDragCursor::ctrlShowsTheOpenHandAtOnce_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<int>("toolCursor");
    QTest::newRow("arrow") << int(AnnotationTool::arrow) << int(Qt::CrossCursor);
    QTest::newRow("select") << int(AnnotationTool::select) << int(Qt::ArrowCursor);
    QTest::newRow("text") << int(AnnotationTool::text) << int(Qt::CrossCursor);
    QTest::newRow("crop") << int(AnnotationTool::crop) << int(Qt::CrossCursor);
}

void TestCanvasDragCursor::ctrlShowsTheOpenHandAtOnce()
{
    QFETCH(int, tool);
    QFETCH(int, toolCursor);
    Fixture f;
    f.view->toolState().setSelectedTool(AnnotationTool(tool));
    f.moveTo(f.pointer + QPoint(1, 1));
    QCOMPARE(f.shownCursor(), Qt::CursorShape(toolCursor));

    // No pointer movement in between: the key alone changes the cursor.
    QTest::keyPress(f.canvas(), Qt::Key_Control);
    QCOMPARE(f.shownCursor(), Qt::OpenHandCursor);
    // Moving over the picture with Ctrl held keeps the hand.
    f.moveTo(f.pointer + QPoint(12, 5));
    QCOMPARE(f.shownCursor(), Qt::OpenHandCursor);
    QTest::keyRelease(f.canvas(), Qt::Key_Control);
    QCOMPARE(f.shownCursor(), Qt::CursorShape(toolCursor));

    // The hand is the picture's: outside it, in the toolbar, Ctrl leaves the cursor alone.
    f.moveTo(f.view->toolbar()->mapTo(f.view.get(), QPoint(300, 2)));
    const Qt::CursorShape outside = f.shownCursor();
    QTest::keyPress(f.canvas(), Qt::Key_Control);
    QCOMPARE(f.shownCursor(), outside);
    // And a window that loses the keyboard with Ctrl down forgets it.
    f.moveTo(f.canvas()->mapTo(f.view.get(), QPoint(30, 30)));
    QCOMPARE(f.shownCursor(), Qt::OpenHandCursor);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(f.shownCursor(), Qt::CursorShape(toolCursor));
}

void TestCanvasDragCursor::ctrlDragExportsInsteadOfDrawing()
{
    Fixture f;
    f.view->toolState().setSelectedTool(AnnotationTool::arrow);
    QSignalSpy began(f.view.get(), &EditorView::dragBegan);
    QSignalSpy ended(f.view.get(), &EditorView::dragEnded);
    std::optional<Qt::CursorShape> cursorWhileDragging;
    connect(f.view.get(), &EditorView::dragBegan, this, [&] { cursorWhileDragging = f.shownCursor(); });

    QTest::keyPress(f.canvas(), Qt::Key_Control);
    QTest::mousePress(f.window(), Qt::LeftButton, Qt::ControlModifier, f.pointer);
    // The window system reports Ctrl with every move.
    QTest::mouseEvent(QTest::MouseMove, f.window(), Qt::NoButton, Qt::ControlModifier,
                      f.pointer + QPoint(2, 0));
    QCOMPARE(began.size(), 0); // not yet 3 points
    QTest::mouseEvent(QTest::MouseMove, f.window(), Qt::NoButton, Qt::ControlModifier,
                      f.pointer + QPoint(8, 6));
    QTest::mouseRelease(f.window(), Qt::LeftButton, Qt::ControlModifier, f.pointer + QPoint(8, 6));
    QCOMPARE(began.size(), 1);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(cursorWhileDragging, std::optional(Qt::ClosedHandCursor));
    // Nothing was drawn, and the hand is back while Ctrl stays down.
    QVERIFY(f.session->annotations().isEmpty());
    QCOMPARE(f.shownCursor(), Qt::OpenHandCursor);

    // Without Ctrl the same drag draws an arrow again.
    QTest::keyRelease(f.canvas(), Qt::Key_Control);
    const QPoint start = f.pointer;
    QTest::mousePress(f.window(), Qt::LeftButton, {}, start);
    f.moveTo(start + QPoint(20, 10));
    f.moveTo(start + QPoint(40, 20));
    QTest::mouseRelease(f.window(), Qt::LeftButton, {}, f.pointer);
    QCOMPARE(f.session->annotations().size(), 1);
    QCOMPARE(began.size(), 1);
}

void TestCanvasDragCursor::ctrlWhileDrawingKeepsTheStroke()
{
    // Ctrl pressed in the middle of a stroke neither grabs the pointer nor shows the hand: the
    // stroke ends as it began.
    Fixture f;
    f.view->toolState().setSelectedTool(AnnotationTool::rect);
    QSignalSpy began(f.view.get(), &EditorView::dragBegan);
    const QPoint start = f.pointer;
    QTest::mousePress(f.window(), Qt::LeftButton, {}, start);
    f.moveTo(start + QPoint(20, 20));
    QTest::keyPress(f.canvas(), Qt::Key_Control);
    QCOMPARE(f.shownCursor(), Qt::CrossCursor);
    f.moveTo(start + QPoint(50, 40));
    QTest::mouseRelease(f.window(), Qt::LeftButton, Qt::ControlModifier, f.pointer);
    QCOMPARE(f.session->annotations().size(), 1);
    QCOMPARE(began.size(), 0);
    // Released with Ctrl still down: now the hand shows.
    QCOMPARE(f.shownCursor(), Qt::OpenHandCursor);
    QTest::keyRelease(f.canvas(), Qt::Key_Control);
}

void TestCanvasDragCursor::ctrlScrollStillZooms()
{
    Fixture f;
    QTest::keyPress(f.canvas(), Qt::Key_Control);
    QCOMPARE(f.shownCursor(), Qt::OpenHandCursor);
    // To the widget under the pointer, as the window would hand it on; it travels up from there.
    QWidget* under = f.view->childAt(f.pointer);
    QVERIFY(under);
    const QPoint local = under->mapFrom(f.view.get(), f.pointer);
    QWheelEvent wheel(local, under->mapToGlobal(local), QPoint(), QPoint(0, 240), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(under, &wheel);
    QCOMPARE(f.view->zoom().percent(), 300.0);
    QTest::keyRelease(f.canvas(), Qt::Key_Control);
}

QTEST_MAIN(TestCanvasDragCursor)
#include "tst_canvasdragcursor.moc"
