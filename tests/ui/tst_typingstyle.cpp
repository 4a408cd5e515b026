#include "annotation/AnnotationStyle.h"
#include "canvas/AnnotationCanvas.h"
#include "canvas/InPlaceTextEditor.h"
#include "canvas/TextEditorField.h"
#include "editor/EditorToolState.h"
#include "support/EditorFixture.h"
#include "support/TestSupport.h"
#include "toolbar/AnnotationToolbar.h"
#include "toolbar/ColorPill.h"
#include "toolbar/FontSizePill.h"
#include "toolbar/TextStylePill.h"
#include "toolbar/WhiteStrokeToggle.h"

#include <QApplication>
#include <QTest>

using namespace velmora;
using velmora::test::chooseRow;
using velmora::test::chooseSwatch;

namespace {

const Color red = ColorPill::presets()[0];
const Color green = ColorPill::presets()[3];

// An editor with the text tool, over a plain picture.
struct Fixture : test::EditorFixture
{
    Fixture() : EditorFixture(test::solidImage(400, 300, Qt::white))
    {
        session->setFontSize(24);
        session->setTextStyle(TextStyle::standard);
        state().setAnnotationColor(red);
        state().setAnnotationHasWhiteStroke(false);
    }

    // Keys go where the keyboard really is: the focused widget of the active window.
    void type(const QString& keys) const { QTest::keyClicks(QApplication::focusWidget(), keys); }
    void press(int key, Qt::KeyboardModifiers mods = {}) const
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), mods);
    }

    // The text being typed, as the session holds it; null when none is.
    const TextAnnotation* typed() const
    {
        for (const Annotation& annotation : session->annotations()) {
            const auto* text = std::get_if<TextAnnotation>(&annotation);
            if (text && text->isEditing) {
                return text;
            }
        }
        return nullptr;
    }
    QString fieldText() const { return canvas()->textEditor()->text(); }
    QColor glyphColour() const
    {
        return canvas()->textEditor()->findChild<TextEditorField*>()->palette().color(QPalette::Text);
    }
};

} // namespace

class TestTypingStyle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void eachChoiceStylesTheTextBeingTyped_data();
    void eachChoiceStylesTheTextBeingTyped();
    void typingRunsOnThroughChoicesAndUndoStepsBack();
    void undoingAChoiceAfterTheTextIsDoneKeepsItShown();
};

void TestTypingStyle::eachChoiceStylesTheTextBeingTyped_data()
{
    // Colour and size: the run-on test below.
    QTest::addColumn<bool>("textStyle");
    QTest::newRow("white outline") << false;
    QTest::newRow("text style") << true;
}

void TestTypingStyle::eachChoiceStylesTheTextBeingTyped()
{
    QFETCH(bool, textStyle);
    Fixture f;
    f.startText({200, 150});
    f.type(QStringLiteral("Hi"));
    const qsizetype steps = f.session->undoStack().size();

    if (textStyle) {
        chooseRow(f.toolbar()->textStylePill(), QStringLiteral("Box"));
        QCOMPARE(f.typed()->style, TextStyle::box);
        // A box shows white glyphs on the colour.
        QCOMPARE(f.glyphColour(), QColor(Qt::white));
    } else {
        QTest::mouseClick(f.toolbar()->whiteStrokeToggle(), Qt::LeftButton);
        QVERIFY(f.typed()->hasWhiteStroke);
    }
    QCOMPARE(f.session->undoStack().size(), steps + 1);
    // The text stays open with the caret in it: typing goes on without a click.
    QVERIFY(f.canvas()->isEditingText());
    QTRY_VERIFY_WITH_TIMEOUT(f.textFieldHasFocus(), test::waitTimeout);
    f.type(QStringLiteral("!"));
    QCOMPARE(f.typed()->text, QStringLiteral("Hi!"));
    QCOMPARE(f.fieldText(), QStringLiteral("Hi!"));
}

void TestTypingStyle::typingRunsOnThroughChoicesAndUndoStepsBack()
{
    Fixture f;
    f.startText({200, 150});
    f.type(QStringLiteral("Hi"));
    const double fieldPoints = f.canvas()->textEditor()->fieldFont().pointSizeF();
    chooseSwatch(f.toolbar()->colorPill(), 3);
    chooseRow(f.toolbar()->fontSizePill(), QStringLiteral("48 pt"));
    QTRY_VERIFY_WITH_TIMEOUT(f.textFieldHasFocus(), test::waitTimeout);
    f.type(QStringLiteral("!"));

    QVERIFY(f.canvas()->isEditingText());
    QCOMPARE(f.typed()->text, QStringLiteral("Hi!"));
    QCOMPARE(f.fieldText(), QStringLiteral("Hi!"));
    QCOMPARE(f.typed()->color, green);
    QCOMPARE(f.glyphColour(), green.toQColor());
    QCOMPARE(f.typed()->fontSize, 48.0);
    QCOMPARE(f.canvas()->textEditor()->fieldFont().pointSizeF(), fieldPoints * 2);
    // The pills show the text being typed.
    QCOMPARE(f.toolbar()->fontSizePill()->fontSize(), 48.0);

    // Ctrl+Z takes back the last thing done first: the typing after the choices, then each choice,
    // then the text itself.
    f.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.fieldText(), QStringLiteral("Hi"));
    QCOMPARE(f.typed()->text, QStringLiteral("Hi"));
    QCOMPARE(f.typed()->fontSize, 48.0);
    f.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.typed()->fontSize, 24.0);
    QCOMPARE(f.typed()->color, green);
    QCOMPARE(f.fieldText(), QStringLiteral("Hi"));
    f.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.typed()->color, red);
    QCOMPARE(f.glyphColour(), red.toQColor());
    QCOMPARE(f.fieldText(), QStringLiteral("Hi"));
    QVERIFY(f.canvas()->isEditingText());
    f.press(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!f.canvas()->isEditingText());
    QVERIFY(f.session->annotations().isEmpty());
}

void TestTypingStyle::undoingAChoiceAfterTheTextIsDoneKeepsItShown()
{
    Fixture f;
    f.startText({200, 150});
    f.type(QStringLiteral("Hi"));
    chooseSwatch(f.toolbar()->colorPill(), 3);
    QTRY_VERIFY_WITH_TIMEOUT(f.textFieldHasFocus(), test::waitTimeout);
    f.press(Qt::Key_Return);
    QVERIFY(!f.canvas()->isEditingText());

    // The step taken back was recorded while the text was open; the text it brings back is a
    // finished one, drawn on the picture in its old colour.
    f.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.session->annotations().size(), 1);
    const auto& text = std::get<TextAnnotation>(f.session->annotations().first());
    QCOMPARE(text.text, QStringLiteral("Hi"));
    QCOMPARE(text.color, red);
    QVERIFY(!text.isEditing);
    QVERIFY(!f.canvas()->isEditingText());
    const QImage shown = f.canvas()->grab().toImage();
    const QRect around =
        QRectF(QPointF(150, 120) * f.canvas()->zoom(), QPointF(250, 180) * f.canvas()->zoom()).toRect();
    int reddish = 0;
    for (int y = around.top(); y <= around.bottom(); ++y) {
        for (int x = around.left(); x <= around.right(); ++x) {
            const QColor c = shown.pixelColor(x, y);
            reddish += c.red() > 150 && c.green() < 100 && c.blue() < 100;
        }
    }
    QVERIFY(reddish > 20);
}

QTEST_MAIN(TestTypingStyle)
#include "tst_typingstyle.moc"
