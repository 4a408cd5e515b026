#include "canvas/AnnotationCanvas.h"
#include "editor/EditorPills.h"
#include "editor/EditorToolState.h"
#include "sidebar/ImageEditorSidebar.h"
#include "support/EditorFixture.h"
#include "support/TestSupport.h"
#include "toolbar/AnnotationToolbar.h"
#include "toolbar/HoverableToolbarIcon.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

using namespace velmora;

namespace {

// A region capture that could show the composite, unless a test asks otherwise.
struct Fixture : test::EditorFixture
{
    explicit Fixture(const Options& options = {.backgroundAssets = true},
                     const QImage& image = test::blockPicture())
        : EditorFixture(image, options)
    {}
};

} // namespace

class TestEditorView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void letterKeysPickTools_data();
    void letterKeysPickTools();
    void undoStepsThroughTypingFirst();
    void clipboardKeysEditTheText();
    void zoomStaysInRangeAndStepsWhole();
    void hostRequestsFromKeys();
    void returnCommitsOnlyALargeEnoughCrop();
    void escapeClearsTheCropBeforeClosing();
    void deleteAndSelectAll();
    void compositeKeyTogglesTheSidebar();
    void compositeKeyIgnoresBareWindowCaptures();
    void toolKeysWorkWithTheSidebarOpen_data();
    void toolKeysWorkWithTheSidebarOpen();
};

void TestEditorView::letterKeysPickTools_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("tool");
    QTest::newRow("A") << int(Qt::Key_A) << int(AnnotationTool::arrow);
    QTest::newRow("T") << int(Qt::Key_T) << int(AnnotationTool::text);
    QTest::newRow("R") << int(Qt::Key_R) << int(AnnotationTool::rect);
    QTest::newRow("E") << int(Qt::Key_E) << int(AnnotationTool::ellipse);
    QTest::newRow("D") << int(Qt::Key_D) << int(AnnotationTool::draw);
    QTest::newRow("B") << int(Qt::Key_B) << int(AnnotationTool::blur);
    QTest::newRow("V") << int(Qt::Key_V) << int(AnnotationTool::select);
    QTest::newRow("C") << int(Qt::Key_C) << int(AnnotationTool::crop);
}

void TestEditorView::letterKeysPickTools()
{
    QFETCH(int, key);
    QFETCH(int, tool);
    Fixture f;
    f.state().setCropRect(QRectF(0, 0, 50, 50));
    f.state().setSelectedTool(AnnotationTool::select);
    QTest::keyClick(f.canvas(), Qt::Key(key));
    QCOMPARE(int(f.state().selectedTool()), tool);
    if (AnnotationTool(tool) != AnnotationTool::crop) {
        QVERIFY(!f.state().cropRect());
    }
}

// Ctrl+Z while typing takes back the typing; only an empty field history lets it reach the
// editor's undo, which removes the new text.
void TestEditorView::undoStepsThroughTypingFirst()
{
    Fixture f;
    QWidget* field = f.startText({150, 120});
    QVERIFY(field);
    const auto typed = [&f] {
        const auto& annotations = f.session->annotations();
        return annotations.size() == 1 ? std::get<TextAnnotation>(annotations[0]).text
                                       : QStringLiteral("<gone>");
    };
    QTest::keyClicks(field, QStringLiteral("Hello"));
    QTest::keyClick(field, Qt::Key_Left);
    QTest::keyClicks(field, QStringLiteral("abc"));
    QCOMPARE(typed(), QStringLiteral("Hellabco"));

    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(typed(), QStringLiteral("Hello"));
    QVERIFY(f.canvas()->isEditingText());
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(typed(), QStringLiteral("Hellabco"));
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(typed(), QString());
    QVERIFY(f.canvas()->isEditingText());
    QCOMPARE(QApplication::focusWidget(), field);
    // Letters still type: the field kept the keyboard.
    QTest::keyClick(field, Qt::Key_R);
    QCOMPARE(typed(), QStringLiteral("r"));
    QCOMPARE(f.state().selectedTool(), AnnotationTool::text);
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(typed(), QString());

    // The field has nothing left to undo: the editor's undo removes the text it created.
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!f.canvas()->isEditingText(), test::waitTimeout);
    QVERIFY(f.session->annotations().empty());
}

// Copying, cutting and pasting inside the field edit the text; they neither copy the picture
// nor close the editor.
void TestEditorView::clipboardKeysEditTheText()
{
    Fixture f;
    QSignalSpy copy(f.view.get(), &EditorView::copyRequested);
    QWidget* field = f.startText({150, 120});
    QVERIFY(field);
    QTest::keyClicks(field, QStringLiteral("one two"));
    QTest::keyClick(field, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Home);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);

    QCOMPARE(copy.count(), 0);
    QVERIFY(f.canvas()->isEditingText());
    QCOMPARE(f.session->annotations().size(), size_t(1));
    QCOMPARE(std::get<TextAnnotation>(f.session->annotations()[0]).text, QStringLiteral("twoone twoone "));
}

// Ctrl with the wheel zooms as well: the drag-cursor test sends real wheel events through the window.
void TestEditorView::zoomStaysInRangeAndStepsWhole()
{
    Fixture f;
    QTest::keyClick(f.canvas(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(f.view->zoom().percent(), 100.0);
    for (int i = 0; i < 12; ++i) {
        QTest::keyClick(f.canvas(), Qt::Key_Equal, Qt::ControlModifier);
    }
    QCOMPARE(f.view->zoom().percent(), 1000.0);
    QTest::keyClick(f.canvas(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(f.view->zoom().percent(), 100.0);

    // A touchpad total of 25 is 2.5 steps; the half step waits for the rest of its gesture.
    EditorZoom zoom;
    QVERIFY(zoom.scroll(0, 10, true));
    QVERIFY(!zoom.scroll(0, 5, true));
    QVERIFY(zoom.scroll(0, 10, true));
    QCOMPARE(zoom.percent(), 300.0);
    QCOMPARE(zoom.accumulator(), 0.5);
    zoom.endScrollGesture();
    QCOMPARE(zoom.accumulator(), 0.0);
    // The larger of the two deltas counts: a sideways notch of -2 outweighs +1 down.
    zoom.scroll(-2, 1, false);
    QCOMPARE(zoom.percent(), 100.0);
    // The zoom pill shows whole percents.
    QCOMPARE(EditorPills::zoomLabel(250.9, QSize(1920, 1080)), QStringLiteral("250% · 1920x1080"));
}

void TestEditorView::hostRequestsFromKeys()
{
    Fixture f;
    QSignalSpy copy(f.view.get(), &EditorView::copyRequested);
    QSignalSpy save(f.view.get(), &EditorView::saveRequested);
    QSignalSpy saveAs(f.view.get(), &EditorView::saveAsRequested);
    QSignalSpy pin(f.view.get(), &EditorView::pinRequested);
    QSignalSpy close(f.view.get(), &EditorView::closeRequested);
    QTest::keyClick(f.canvas(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(f.canvas(), Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(f.canvas(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(f.canvas(), Qt::Key_P, Qt::ControlModifier);
    QTest::keyClick(f.canvas(), Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(copy.size(), 1);
    QCOMPARE(save.size(), 1);
    QCOMPARE(saveAs.size(), 1);
    QCOMPARE(pin.size(), 1);
    QCOMPARE(close.size(), 1);
    // A changed save shortcut moves the save key.
    f.hotkeys.set(Hotkey{2, Hotkey::command}, HotkeyPreferences::Action::saveToDisk); // Ctrl+D
    QTest::keyClick(f.canvas(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(save.size(), 1);
    QTest::keyClick(f.canvas(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(save.size(), 2);
    // Tab copies the hovered colour's hex.
    QSignalSpy hex(f.view.get(), &EditorView::copyHexRequested);
    f.session->sampleColor({70, 60});
    QTest::keyClick(f.canvas(), Qt::Key_Tab);
    QCOMPARE(hex.size(), 1);
    QCOMPARE(hex.first().first().toString(), QStringLiteral("#0000FF"));
}

void TestEditorView::returnCommitsOnlyALargeEnoughCrop()
{
    Fixture f;
    f.session->setAnnotations({test::rect(10, 10, 50, 40)});
    f.state().setSelectedAnnotationIds({annotationId(f.session->annotations()[0])});
    f.state().setCropRect(QRectF(10, 10, 5, 100));
    QTest::keyClick(f.canvas(), Qt::Key_Return);
    QCOMPARE(f.session->capturedImage().size(), QSize(400, 300));
    QVERIFY(f.state().selectedAnnotationIds().isEmpty());

    f.state().setCropRect(QRectF(10, 10, 6, 100));
    QTest::keyClick(f.canvas(), Qt::Key_Return);
    QCOMPARE(f.session->capturedImage().size(), QSize(6, 100));
    QVERIFY(!f.state().cropRect());
    QCOMPARE(f.state().selectedTool(), AnnotationTool::arrow);
    QVERIFY(f.session->canUndo());
    QTest::keyClick(f.canvas(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.session->capturedImage().size(), QSize(400, 300));
}

void TestEditorView::escapeClearsTheCropBeforeClosing()
{
    Fixture f;
    QSignalSpy close(f.view.get(), &EditorView::closeRequested);
    f.state().setCropRect(QRectF(10, 10, 50, 50));
    QTest::keyClick(f.canvas(), Qt::Key_Escape);
    QVERIFY(!f.state().cropRect());
    QCOMPARE(close.size(), 0);
    QTest::keyClick(f.canvas(), Qt::Key_Escape);
    QCOMPARE(close.size(), 1);
}

void TestEditorView::deleteAndSelectAll()
{
    Fixture f;
    f.session->setAnnotations(
        {test::rect(10, 10, 50, 40), test::rect(100, 100, 50, 40), test::rect(200, 10, 50, 40)});
    QTest::keyClick(f.canvas(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(f.state().selectedAnnotationIds().size(), 3);
    f.state().setSelectedAnnotationIds({annotationId(f.session->annotations()[1])});
    QTest::keyClick(f.canvas(), Qt::Key_Delete);
    QCOMPARE(f.session->annotations().size(), 2);
    QCOMPARE(std::get<RectAnnotation>(f.session->annotations()[1]).origin, QPointF(200, 10));
    QTest::keyClick(f.canvas(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.session->annotations().size(), 3);
}

void TestEditorView::compositeKeyTogglesTheSidebar()
{
    Fixture f;
    QVERIFY(!f.view->isSidebarVisible());
    QTest::keyClick(f.canvas(), Qt::Key_G);
    QVERIFY(f.session->isCompositeShown());
    QVERIFY(f.view->isSidebarVisible());
    QTRY_COMPARE_WITH_TIMEOUT(f.view->sidebar()->parentWidget()->width(), 250, test::waitTimeout);
    QTest::keyClick(f.canvas(), Qt::Key_G);
    QVERIFY(!f.view->isSidebarVisible());
    QTRY_COMPARE_WITH_TIMEOUT(f.view->sidebar()->parentWidget()->width(), 0, test::waitTimeout);
}

void TestEditorView::compositeKeyIgnoresBareWindowCaptures()
{
    Fixture f({.kind = CaptureKind::window});
    QTest::keyClick(f.canvas(), Qt::Key_G);
    QVERIFY(!f.session->isBackgroundCompositeEnabled());
    QVERIFY(!f.view->isSidebarVisible());
}

void TestEditorView::toolKeysWorkWithTheSidebarOpen_data()
{
    QTest::addColumn<int>("firstKey");
    QTest::addColumn<int>("firstTool");
    QTest::addColumn<int>("lastKey");
    QTest::addColumn<int>("lastTool");
    QTest::newRow("T, G, V") << int(Qt::Key_T) << int(AnnotationTool::text) << int(Qt::Key_V)
                             << int(AnnotationTool::select);
    QTest::newRow("V, G, T") << int(Qt::Key_V) << int(AnnotationTool::select) << int(Qt::Key_T)
                             << int(AnnotationTool::text);
    QTest::newRow("A, G, R") << int(Qt::Key_A) << int(AnnotationTool::arrow) << int(Qt::Key_R)
                             << int(AnnotationTool::rect);
}

void TestEditorView::toolKeysWorkWithTheSidebarOpen()
{
    QFETCH(int, firstKey);
    QFETCH(int, firstTool);
    QFETCH(int, lastKey);
    QFETCH(int, lastTool);
    Fixture f;
    f.view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.view.get()));
    // Each key goes where the keyboard really is: the focused widget, else the active window.
    const auto press = [](int key) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : QApplication::activeWindow(), Qt::Key(key));
    };
    press(firstKey);
    QVERIFY(f.view->toolbar()->toolButton(AnnotationTool(firstTool))->isSelected());
    press(Qt::Key_G);
    QVERIFY(f.view->isSidebarVisible());
    QTRY_COMPARE_WITH_TIMEOUT(f.view->sidebar()->parentWidget()->width(), 250, test::waitTimeout);
    press(lastKey);
    QCOMPARE(int(f.state().selectedTool()), lastTool);
    QVERIFY(f.view->toolbar()->toolButton(AnnotationTool(lastTool))->isSelected());
    QVERIFY(!f.view->toolbar()->toolButton(AnnotationTool(firstTool))->isSelected());
}

QTEST_MAIN(TestEditorView)
#include "tst_editorview.moc"
