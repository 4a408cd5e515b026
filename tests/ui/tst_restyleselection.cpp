#include "annotation/AnnotationStyle.h"
#include "canvas/AnnotationCanvas.h"
#include "editor/EditorToolState.h"
#include "support/EditorFixture.h"
#include "support/TestSupport.h"
#include "toolbar/AnnotationToolbar.h"
#include "toolbar/ArrowStylePill.h"
#include "toolbar/ColorPill.h"
#include "toolbar/ColorSwatchButton.h"
#include "toolbar/FontSizePill.h"
#include "toolbar/HsvColorPicker.h"
#include "toolbar/PillOptionRow.h"
#include "toolbar/PillPopover.h"
#include "toolbar/StrokeWidthPill.h"
#include "toolbar/WhiteStrokeToggle.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace velmora;
using velmora::test::checkedRows;
using velmora::test::chooseRow;
using velmora::test::chooseSwatch;
using velmora::test::rowsOf;

namespace {

const Color red = ColorPill::presets()[0];
const Color green = ColorPill::presets()[3];
const Color blue = ColorPill::presets()[4];
const Color purple = ColorPill::presets()[5];

bool near(const QColor& a, const QColor& b, int tolerance = 40)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// An editor over a plain white picture, so every coloured pixel is an annotation's.
struct Fixture : test::EditorFixture
{
    Fixture() : EditorFixture(test::solidImage(400, 300, Qt::white))
    {
        session->setStrokeWidth(4);
        state().setAnnotationColor(red);
    }

    QColor pixel(QPointF p) { return canvas()->grab().toImage().pixelColor(at(p)); }
    AnnotationStyle styleAt(int index) const { return styleOf(session->annotations().at(index)); }
};

} // namespace

class TestRestyleSelection : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pillsRestyleTheSelectionAsOneStepEach();
    void stylesReachOnlyTheKindsThatHaveThem_data();
    void stylesReachOnlyTheKindsThatHaveThem();
    void withNothingSelectedOnlyTheNextStyleChanges();
    void oneSelectedAnnotationShowsItsValues();
    void customColourOpensBesideThePillAndClosesOnFocusLoss();
};

// Two shapes drawn and selected with the mouse, restyled through the real pills: the stored
// values and the drawn pixels change, and each choice is undone in one step for both.
void TestRestyleSelection::pillsRestyleTheSelectionAsOneStepEach()
{
    Fixture f;
    f.drag(AnnotationTool::rect, {40, 40}, {140, 110});
    f.drag(AnnotationTool::ellipse, {200, 150}, {330, 260});
    QCOMPARE(f.session->annotations().size(), 2);
    QCOMPARE(f.state().selectedTool(), AnnotationTool::select);
    f.click({40, 75}, Qt::ShiftModifier); // the rectangle's left edge
    QCOMPARE(f.state().selectedAnnotationIds().size(), 2);

    // Probes: on the rectangle's left edge, 5 points inside it (outside a 4-point stroke, inside
    // a 12-point one), and the ellipse's leftmost point.
    const QPointF edge(40, 75), inside(45, 75), ellipseEdge(200, 205);
    QVERIFY(near(f.pixel(edge), red.toQColor()));
    QVERIFY(near(f.pixel(ellipseEdge), red.toQColor()));
    QVERIFY(near(f.pixel(inside), Qt::white));
    const qsizetype steps = f.session->undoStack().size();

    chooseSwatch(f.toolbar()->colorPill(), 4);
    chooseRow(f.toolbar()->strokeWidthPill(), QStringLiteral("12 pt"));

    for (int i : {0, 1}) {
        QCOMPARE(f.styleAt(i).color, std::optional(blue));
        QCOMPARE(f.styleAt(i).lineWidth, std::optional(12.0));
    }
    QCOMPARE(f.session->undoStack().size(), steps + 2);
    // The choice is also the style of the next annotation.
    QCOMPARE(f.state().annotationColor(), blue);
    QCOMPARE(f.session->strokeWidth(), 12.0);
    QVERIFY(near(f.pixel(edge), blue.toQColor()));
    QVERIFY(near(f.pixel(ellipseEdge), blue.toQColor()));
    QVERIFY(near(f.pixel(inside), blue.toQColor()));

    // One Ctrl+Z takes both back to the old width, the next to the old colour.
    QTest::keyClick(f.canvas(), Qt::Key_Z, Qt::ControlModifier);
    for (int i : {0, 1}) {
        QCOMPARE(f.styleAt(i).lineWidth, std::optional(4.0));
        QCOMPARE(f.styleAt(i).color, std::optional(blue));
    }
    QVERIFY(near(f.pixel(inside), Qt::white));
    QTest::keyClick(f.canvas(), Qt::Key_Z, Qt::ControlModifier);
    for (int i : {0, 1}) {
        QCOMPARE(f.styleAt(i).color, std::optional(red));
    }
    QVERIFY(near(f.pixel(edge), red.toQColor()));
    QVERIFY(near(f.pixel(ellipseEdge), red.toQColor()));
    QCOMPARE(f.session->undoStack().size(), steps);
}

void TestRestyleSelection::stylesReachOnlyTheKindsThatHaveThem_data()
{
    QTest::addColumn<int>("pill"); // 0 white outline, 1 arrow style, 2 font size
    QTest::newRow("white outline: both") << 0;
    QTest::newRow("arrow style: the arrow") << 1;
    QTest::newRow("font size: the text") << 2;
}

// An arrow and a text selected together: each pill changes what has its property and records a
// step only when something changed.
void TestRestyleSelection::stylesReachOnlyTheKindsThatHaveThem()
{
    QFETCH(int, pill);
    Fixture f;
    f.drag(AnnotationTool::arrow, {40, 200}, {200, 60});
    AnnotationList withText = f.session->annotations();
    TextAnnotation hi = test::text(QStringLiteral("Hi"), {300, 240});
    hi.fontSize = 24;
    hi.color = red;
    withText.append(hi);
    f.session->setAnnotations(withText);
    f.state().setSelectedTool(AnnotationTool::select);
    f.click({120, 130});
    f.click({300, 240}, Qt::ShiftModifier);
    QCOMPARE(f.state().selectedAnnotationIds().size(), 2);
    const AnnotationList before = f.session->annotations();
    QCOMPARE(before.size(), 2);
    const qsizetype steps = f.session->undoStack().size();

    switch (pill) {
    case 0:
        QTest::mouseClick(f.toolbar()->whiteStrokeToggle(), Qt::LeftButton);
        QCOMPARE(f.styleAt(0).hasWhiteStroke, std::optional(true));
        QCOMPARE(f.styleAt(1).hasWhiteStroke, std::optional(true));
        break;
    case 1:
        chooseRow(f.toolbar()->arrowStylePill(), QStringLiteral("Sketch double"));
        QCOMPARE(f.styleAt(0).arrowStyle, std::optional(ArrowStyle::sketchDouble));
        QCOMPARE(f.session->annotations()[1], before[1]);
        break;
    case 2:
        chooseRow(f.toolbar()->fontSizePill(), QStringLiteral("48 pt"));
        QCOMPARE(f.styleAt(1).fontSize, std::optional(48.0));
        QCOMPARE(f.session->annotations()[0], before[0]);
        break;
    }
    QCOMPARE(f.session->undoStack().size(), steps + 1);
    // The same choice again changes nothing and records nothing.
    if (pill == 1) {
        chooseRow(f.toolbar()->arrowStylePill(), QStringLiteral("Sketch double"));
    } else if (pill == 2) {
        chooseRow(f.toolbar()->fontSizePill(), QStringLiteral("48 pt"));
    }
    QCOMPARE(f.session->undoStack().size(), steps + 1);
}

void TestRestyleSelection::withNothingSelectedOnlyTheNextStyleChanges()
{
    Fixture f;
    f.drag(AnnotationTool::rect, {40, 40}, {140, 110});
    f.click({300, 250}); // empty canvas: clears the selection
    QVERIFY(f.state().selectedAnnotationIds().isEmpty());
    const AnnotationList before = f.session->annotations();
    const qsizetype steps = f.session->undoStack().size();

    chooseSwatch(f.toolbar()->colorPill(), 3);
    chooseRow(f.toolbar()->strokeWidthPill(), QStringLiteral("8 pt"));
    QCOMPARE(f.session->annotations(), before);
    QCOMPARE(f.session->undoStack().size(), steps);
    QCOMPARE(f.state().annotationColor(), green);
    QCOMPARE(f.session->strokeWidth(), 8.0);

    f.drag(AnnotationTool::rect, {200, 150}, {330, 260});
    QCOMPARE(f.styleAt(1).color, std::optional(green));
    QCOMPARE(f.styleAt(1).lineWidth, std::optional(8.0));
}

void TestRestyleSelection::oneSelectedAnnotationShowsItsValues()
{
    Fixture f;
    f.state().setAnnotationColor(green);
    f.session->setStrokeWidth(2);
    f.drag(AnnotationTool::rect, {40, 40}, {140, 110});
    f.state().setAnnotationColor(purple);
    f.state().setArrowStyle(ArrowStyle::single);
    f.session->setStrokeWidth(8);
    f.drag(AnnotationTool::arrow, {200, 250}, {350, 150});
    // The tool state moves on; the drawn annotations keep what they were drawn with.
    f.state().setAnnotationColor(blue);
    f.state().setArrowStyle(ArrowStyle::double_);
    f.session->setStrokeWidth(6);

    ColorPill* color = f.toolbar()->colorPill();
    StrokeWidthPill* width = f.toolbar()->strokeWidthPill();
    ArrowStylePill* arrow = f.toolbar()->arrowStylePill();
    // The freshly drawn arrow is selected.
    QCOMPARE(color->color(), purple);
    QCOMPARE(width->strokeWidth(), 8.0);
    QCOMPARE(arrow->arrowStyle(), ArrowStyle::single);

    f.click({40, 75});
    QCOMPARE(f.state().selectedAnnotationIds().size(), 1);
    QCOMPARE(color->color(), green);
    QCOMPARE(width->strokeWidth(), 2.0);
    // A rectangle has no arrow style: that pill keeps the tool's.
    QCOMPARE(arrow->arrowStyle(), ArrowStyle::double_);
    QTest::mouseClick(width, Qt::LeftButton);
    QCOMPARE(checkedRows(width), QStringList{QStringLiteral("2 pt")});
    width->setOpen(false);
    QTest::mouseClick(color, Qt::LeftButton);
    QCOMPARE(color->swatchGrid()->swatches()[3]->isSelected(), true);
    color->setOpen(false);

    // Two selected, or none: the pills show the tool state again.
    f.click({275, 200}, Qt::ShiftModifier);
    QCOMPARE(f.state().selectedAnnotationIds().size(), 2);
    QCOMPARE(color->color(), blue);
    QCOMPARE(width->strokeWidth(), 6.0);
    f.click({380, 30});
    QVERIFY(f.state().selectedAnnotationIds().isEmpty());
    QCOMPARE(color->color(), blue);
    QCOMPARE(width->strokeWidth(), 6.0);
    QCOMPARE(arrow->arrowStyle(), ArrowStyle::double_);

    // An undo that restores another colour to the selected annotation shows at once.
    f.click({40, 75});
    chooseSwatch(color, 0);
    QCOMPARE(color->color(), red);
    QTest::keyClick(f.canvas(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.styleAt(0).color, std::optional(green));
    QCOMPARE(color->color(), green);
}

// "Custom…" opens a picker in a popover under the colour pill, clear of the canvas; dragging in
// it recolours the selection live as one undo step; it closes when another window is activated,
// keeping the colour.
void TestRestyleSelection::customColourOpensBesideThePillAndClosesOnFocusLoss()
{
    Fixture f;
    f.drag(AnnotationTool::rect, {40, 40}, {140, 110});
    const qsizetype steps = f.session->undoStack().size();
    QWidget other;
    other.resize(200, 100);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    f.view->activateWindow();
    QTRY_VERIFY(f.view->isActiveWindow());
    ColorPill* pill = f.toolbar()->colorPill();
    QTest::mouseClick(pill, Qt::LeftButton);
    QTest::mouseClick(rowsOf(pill).last(), Qt::LeftButton); // "Custom…"
    QVERIFY(!pill->isOpen());
    PillPopover* popover = pill->customColorPopover();
    HsvColorPicker* picker = pill->colorPicker();
    QVERIFY(popover && picker);
    QTRY_VERIFY(popover->isVisible());

    const QRect pillRect(pill->mapToGlobal(QPoint(0, 0)), pill->size());
    const QRect popoverRect = popover->frameGeometry();
    const QRect canvasRect(f.canvas()->mapToGlobal(QPoint(0, 0)), f.canvas()->size());
    QVERIFY2(popoverRect.top() >= pillRect.bottom() && popoverRect.top() - pillRect.bottom() < 16,
             "opens just under the pill");
    QVERIFY(popoverRect.left() <= pillRect.right() && popoverRect.right() >= pillRect.left());
    QVERIFY(!popoverRect.contains(canvasRect.center()));
    QVERIFY(popoverRect.height() < 260);

    // A drag across the square: live changes, one undo step.
    const QRect square = picker->saturationValueArea();
    QSignalSpy live(pill, &ColorPill::customColorPicked);
    QTest::mousePress(picker, Qt::LeftButton, {}, square.topRight() + QPoint(-2, 2));
    QTest::mouseMove(picker, square.center());
    QTest::mouseRelease(picker, Qt::LeftButton, {}, square.bottomRight() - QPoint(2, 30));
    const Color dragged = f.state().annotationColor();
    QVERIFY(live.size() >= 2);
    QVERIFY(!(dragged == red));
    QCOMPARE(dragged.toQColor().rgb(), picker->currentColor().rgb());
    QCOMPARE(f.state().customAnnotationColor(), std::optional(dragged));
    QCOMPARE(f.styleAt(0).color, std::optional(dragged));
    QCOMPARE(f.session->undoStack().size(), steps + 1);
    QVERIFY(popover->isVisible());
    QCOMPARE(picker->hexField()->text(), picker->currentColor().name().toUpper());

    // A typed hex code is picked too, still within the same step.
    picker->hexField()->setFocus();
    picker->hexField()->selectAll();
    QTest::keyClicks(picker->hexField(), QStringLiteral("336699"));
    QTest::keyClick(picker->hexField(), Qt::Key_Return);
    QCOMPARE(f.styleAt(0).color->toQColor().name(), QStringLiteral("#336699"));
    QCOMPARE(f.session->undoStack().size(), steps + 1);
    const Color picked = f.state().annotationColor();

    // Another window of the program, already open, takes the focus.
    other.activateWindow();
    QTRY_VERIFY(!popover->isVisible());
    QCOMPARE(f.state().annotationColor(), picked);

    // Reopened, it starts from the custom colour; Escape closes it too.
    f.view->activateWindow();
    QTRY_VERIFY(f.view->isActiveWindow());
    pill->openCustomColorPanel();
    QTRY_VERIFY(popover->isVisible());
    QCOMPARE(picker->currentColor().rgb(), picked.toQColor().rgb());
    QTest::keyClick(popover, Qt::Key_Escape);
    QTRY_VERIFY(!popover->isVisible());
    QCOMPARE(f.state().annotationColor(), picked);
    QVERIFY(f.view->isVisible());
}

QTEST_MAIN(TestRestyleSelection)
#include "tst_restyleselection.moc"
