#include "canvas/InPlaceTextEditor.h"

#include "annotation/AnnotationPainter.h"
#include "annotation/TextLayout.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>

using namespace velmora;

namespace {

const QColor canvasGrey(58, 64, 72);

TextAnnotation makeText(TextStyle style, const QString& text = {}, std::optional<double> maxWidth = {})
{
    TextAnnotation annotation;
    annotation.id = QUuid::createUuid();
    annotation.position = QPointF(300, 200);
    annotation.text = text;
    annotation.fontSize = 32;
    annotation.color = Color::fromRgb8(230, 40, 40);
    annotation.isEditing = true;
    annotation.maxWidth = maxWidth;
    annotation.style = style;
    return annotation;
}

// A window with a plain canvas and one other focusable widget, as in the editor.
struct Canvas
{
    QWidget window;
    QWidget* canvas = new QWidget(&window);
    QLineEdit* other = new QLineEdit(&window);
    InPlaceTextEditor* editor = new InPlaceTextEditor(canvas);

    Canvas()
    {
        window.resize(1000, 760);
        canvas->setGeometry(0, 0, 1000, 700);
        canvas->setAutoFillBackground(true);
        QPalette palette = canvas->palette();
        palette.setColor(QPalette::Window, canvasGrey);
        canvas->setPalette(palette);
        other->setGeometry(10, 715, 200, 30);
        editor->hide();
    }
    QTextEdit* field() const { return editor->findChild<QTextEdit*>(); }
    // Opens the editor for an annotation the way the canvas does; true once it has the focus.
    bool open(const TextAnnotation& annotation, double zoom = 1)
    {
        editor->setAnnotation(annotation, zoom);
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            return false;
        editor->show();
        return QTest::qWaitFor([this] { return field()->hasFocus(); });
    }
};

bool near(QColor a, QColor b, int tolerance = 6)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

// The smallest rectangle holding every pixel of this colour.
QRect boundsOf(const QImage& image, QColor colour)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (near(image.pixelColor(x, y), colour, 20))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

} // namespace

class TestInPlaceTextEditor : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { registerBundledFonts(); }
    void looksLikeTheStyle_data();
    void looksLikeTheStyle();
    void widthAndPlacement_data();
    void widthAndPlacement();
    void shiftReturnAddsOneLine();
    void commitKeys_data();
    void commitKeys();
    void focusLossCommits();
    void typingIsReportedLiveAndEchoKeepsTheCaret();
    void readableOnAnyPicture_data();
    void readableOnAnyPicture();
    void notClippedByTheCanvasEdge();
    void wrapsWhereTheCanvasWraps_data();
    void wrapsWhereTheCanvasWraps();
};

void TestInPlaceTextEditor::looksLikeTheStyle_data()
{
    QTest::addColumn<TextStyle>("style");
    for (TextStyle style : {TextStyle::standard, TextStyle::rounded, TextStyle::outlined, TextStyle::mono,
                            TextStyle::box, TextStyle::roundedBox})
        QTest::newRow(qPrintable(rawValue(style))) << style;
}

void TestInPlaceTextEditor::looksLikeTheStyle()
{
    QFETCH(TextStyle, style);
    Canvas c;
    const TextAnnotation annotation = makeText(style, QStringLiteral("Hello Velmora\nsecond line"));
    QVERIFY(c.open(annotation));
    c.field()->setCursorWidth(0); // no blinking caret in the picture
    const QImage image = c.window.grab(c.editor->geometry()).toImage();

    const QColor colour = annotation.color.toQColor();
    const bool onBox = style == TextStyle::box || style == TextStyle::roundedBox;
    // The red glyphs lie on a light veil over the picture.
    const auto veiled = [](int channel) { return qRound(channel * (1 - 166 / 255.0) + 166); };
    const QColor tint(veiled(canvasGrey.red()), veiled(canvasGrey.green()), veiled(canvasGrey.blue()));
    // Middle of the left padding, inside the rim: the background of the style.
    const QColor padding = image.pixelColor(3, image.height() / 2);
    QVERIFY2(near(padding, onBox ? colour : tint), qPrintable(padding.name()));
    // Top-left corner: only the square box reaches it; every other style is rounded off there.
    const QColor corner = image.pixelColor(0, 0);
    QVERIFY2(near(corner, canvasGrey) == (style != TextStyle::box), qPrintable(corner.name()));
    // The glyphs: white on the boxes, the annotation colour elsewhere.
    const QRect text = image.rect().adjusted(InPlaceTextEditor::padding, InPlaceTextEditor::padding,
                                             -InPlaceTextEditor::padding, -InPlaceTextEditor::padding);
    const QColor glyphColour = onBox ? QColor(Qt::white) : colour;
    const QRect typedGlyphs = boundsOf(image.copy(text), glyphColour);
    QVERIFY(typedGlyphs.width() > 150 && typedGlyphs.height() > 40);
    QCOMPARE(c.field()->font().family(), annotationFontFamily(style));

    // Committing changes nothing but the chrome: the canvas draws the glyphs where they were typed.
    if (style == TextStyle::outlined)
        return; // the canvas swaps glyph and rim colours for this style
    QImage drawn(image.size(), QImage::Format_ARGB32_Premultiplied);
    drawn.fill(canvasGrey);
    {
        QPainter painter(&drawn);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(-QPointF(c.editor->pos()));
        AnnotationPainter::paint(painter, annotation, BlurSource{});
    }
    const QRect drawnGlyphs = boundsOf(drawn.copy(text), glyphColour);
    const QPoint offTopLeft = drawnGlyphs.topLeft() - typedGlyphs.topLeft();
    const QPoint offBottomRight = drawnGlyphs.bottomRight() - typedGlyphs.bottomRight();
    QVERIFY(qAbs(offTopLeft.x()) <= 2 && qAbs(offBottomRight.x()) <= 2 && qAbs(offTopLeft.y()) <= 3 &&
            qAbs(offBottomRight.y()) <= 3);
}

void TestInPlaceTextEditor::widthAndPlacement_data()
{
    QTest::addColumn<std::optional<double>>("maxWidth");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<double>("fontSize");
    QTest::addColumn<int>("fieldWidth");
    QTest::newRow("natural width, zoom 1") << std::optional<double>() << 1.0 << 32.0 << 250;
    QTest::newRow("natural width, zoom 2.5") << std::optional<double>() << 2.5 << 10.0 << 250;
    QTest::newRow("wrap width, zoom 1") << std::optional<double>(180) << 1.0 << 16.0 << 180;
    QTest::newRow("wrap width, zoom 2") << std::optional<double>(120) << 2.0 << 12.0 << 240;
    QTest::newRow("zero wrap width is none") << std::optional<double>(0) << 2.0 << 16.0 << 250;
}

// The field types at the size the canvas will draw: its text is as wide as the measured text
// times the zoom (a font resolved at the wrong dpi would be a third off).
void TestInPlaceTextEditor::widthAndPlacement()
{
    QFETCH(std::optional<double>, maxWidth);
    QFETCH(double, zoom);
    QFETCH(double, fontSize);
    QFETCH(int, fieldWidth);
    Canvas c;
    TextAnnotation annotation = makeText(TextStyle::standard, QStringLiteral("Velmora 42"), maxWidth);
    annotation.fontSize = fontSize;
    QVERIFY(c.open(annotation, zoom));
    QCOMPARE(c.field()->width(), fieldWidth);
    QCOMPARE(c.editor->width(), fieldWidth + 2 * InPlaceTextEditor::padding);
    QCOMPARE(c.field()->geometry().topLeft(), QPoint(InPlaceTextEditor::padding, InPlaceTextEditor::padding));
    const QPointF centre = QRectF(c.editor->geometry()).center();
    const QPointF expected = annotation.position * zoom;
    QVERIFY(qAbs(centre.x() - expected.x()) <= 1 && qAbs(centre.y() - expected.y()) <= 1);

    const QTextLayout* layout = c.field()->document()->firstBlock().layout();
    QCOMPARE(layout->lineCount(), 1);
    const double typed = layout->lineAt(0).naturalTextWidth();
    annotation.maxWidth.reset(); // the natural width of the text, not the wrap width
    const double measured = measuredTextSize(annotation).width() * zoom;
    QVERIFY2(qAbs(typed - measured) <= std::max(1.5, 0.02 * measured),
             qPrintable(QStringLiteral("typed %1, measured %2").arg(typed).arg(measured)));
}

void TestInPlaceTextEditor::shiftReturnAddsOneLine()
{
    Canvas c;
    QVERIFY(c.open(makeText(TextStyle::box, {}, 250)));
    QSignalSpy commits(c.editor, &InPlaceTextEditor::commitRequested);
    QTest::keyClicks(c.field(), QStringLiteral("Hi"));
    const int oneLine = c.editor->height();
    const QPointF centre = QRectF(c.editor->geometry()).center();

    QTest::keyClick(c.field(), Qt::Key_Return, Qt::ShiftModifier);
    const double lineHeight = QFontMetricsF(c.editor->fieldFont()).lineSpacing();
    QVERIFY(qAbs(c.editor->height() - oneLine - lineHeight) <= 1.5);
    QCOMPARE(c.editor->text(), QStringLiteral("Hi\n"));
    QCOMPARE(commits.count(), 0);
    // It grows about its centre, where the canvas draws the text.
    QVERIFY(qAbs(QRectF(c.editor->geometry()).center().y() - centre.y()) <= 1);

    // Wrapping at the wrap width grows it as well, and every line stays visible.
    QTest::keyClicks(c.field(), QStringLiteral("there and a much longer line that has to wrap"));
    QVERIFY(c.editor->height() > oneLine + lineHeight + 1.5);
    QCOMPARE(c.field()->verticalScrollBar()->value(), 0);
    QCOMPARE(c.editor->text(), QStringLiteral("Hi\nthere and a much longer line that has to wrap"));
}

void TestInPlaceTextEditor::commitKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
    QTest::newRow("Escape keeps the text") << int(Qt::Key_Escape) << Qt::KeyboardModifiers();
}

void TestInPlaceTextEditor::commitKeys()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    Canvas c;
    // The editor window binds these keys too; the text must get them first.
    QShortcut windowShortcut(QKeySequence(key), &c.window);
    QSignalSpy shortcutSpy(&windowShortcut, &QShortcut::activated);
    QVERIFY(c.open(makeText(TextStyle::standard)));
    QSignalSpy commits(c.editor, &InPlaceTextEditor::commitRequested);
    // The canvas ends editing by hiding the editor, which takes its focus away.
    connect(c.editor, &InPlaceTextEditor::commitRequested, c.editor, [&c] { c.editor->hide(); });

    QTest::keyClicks(c.field(), QStringLiteral("Done"));
    QTest::keyClick(c.field(), Qt::Key(key), modifiers);
    QCOMPARE(commits.count(), 1);
    QCOMPARE(c.editor->text(), QStringLiteral("Done"));
    QCOMPARE(shortcutSpy.count(), 0);
}

// Another window taking the activation or a click on another widget commits; hiding or deleting
// the editor does not.
void TestInPlaceTextEditor::focusLossCommits()
{
    Canvas c;
    QVERIFY(c.open(makeText(TextStyle::rounded, QStringLiteral("kept"))));
    QSignalSpy commits(c.editor, &InPlaceTextEditor::commitRequested);
    QWidget elsewhere;
    elsewhere.resize(200, 100);
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    QCOMPARE(commits.count(), 1);
    QCOMPARE(c.editor->text(), QStringLiteral("kept"));
    // Coming back asks nothing more; the field has the keyboard again.
    c.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&c.window));
    QVERIFY(c.field()->hasFocus());
    QCOMPARE(commits.count(), 1);
    commits.clear();

    QTest::mouseClick(c.other, Qt::LeftButton);
    QVERIFY(c.other->hasFocus());
    QCOMPARE(commits.count(), 1);
    QCOMPARE(c.editor->text(), QStringLiteral("kept"));

    // The padding is part of the field: a press there stays with the editor.
    QTest::mouseClick(c.editor, Qt::LeftButton, {}, QPoint(1, 1));
    QVERIFY(c.field()->hasFocus());
    QCOMPARE(commits.count(), 1);
    // Out again: a new focus loss is a new commit.
    QTest::mouseClick(c.other, Qt::LeftButton);
    QCOMPARE(commits.count(), 2);

    // The canvas takes the editor down when it ends editing for its own reasons; a commit request
    // from that would end the editing twice.
    for (const bool deleteIt : {false, true}) {
        c.editor->show();
        QTest::mouseClick(c.editor, Qt::LeftButton, {}, QPoint(1, 1));
        QVERIFY(c.field()->hasFocus());
        deleteIt ? delete c.editor : c.editor->hide();
    }
    QCOMPARE(commits.count(), 2);
}

// The canvas writes each keystroke into the annotation and hands the annotation back; that echo
// must neither count as an edit nor move the caret.
void TestInPlaceTextEditor::typingIsReportedLiveAndEchoKeepsTheCaret()
{
    Canvas c;
    TextAnnotation annotation = makeText(TextStyle::mono);
    QStringList reported;
    connect(c.editor, &InPlaceTextEditor::textEdited, c.editor, [&](const QString& text) {
        reported.append(text);
        annotation.text = text;
        c.editor->setAnnotation(annotation, 1);
    });
    QVERIFY(c.open(annotation));
    QTest::keyClicks(c.field(), QStringLiteral("Hello"));
    QTest::keyClick(c.field(), Qt::Key_Left);
    QTest::keyClick(c.field(), Qt::Key_Left);
    QTest::keyClicks(c.field(), QStringLiteral("XY"));
    QTest::keyClick(c.field(), Qt::Key_Backspace);
    QCOMPARE(reported, (QStringList{"H", "He", "Hel", "Hell", "Hello", "HelXlo", "HelXYlo", "HelXlo"}));
    QCOMPARE(c.editor->text(), QStringLiteral("HelXlo"));
    QCOMPARE(c.field()->textCursor().position(), 4);

    c.editor->setAnnotation(annotation, 1);
    QCOMPARE(c.field()->textCursor().position(), 4);
    QVERIFY(!c.field()->textCursor().hasSelection());

    // What the canvas sets is not the user's edit.
    reported.clear();
    const TextAnnotation changed = makeText(TextStyle::mono, QStringLiteral("from the canvas"));
    c.editor->setAnnotation(changed, 1.5);
    QVERIFY(reported.isEmpty());
    QCOMPARE(c.editor->text(), changed.text);

    // A huge paste is cut to what an annotation may hold; the canvas is told the cut text.
    c.field()->selectAll();
    c.field()->insertPlainText(QString(maxAnnotationTextLength + 500, QLatin1Char('w')));
    QCOMPARE(c.editor->text().size(), maxAnnotationTextLength);
    QCOMPARE(reported.constLast().size(), maxAnnotationTextLength);
}

void TestInPlaceTextEditor::readableOnAnyPicture_data()
{
    QTest::addColumn<QColor>("picture");
    QTest::addColumn<QColor>("glyphs");
    QTest::addColumn<TextStyle>("style");
    QTest::newRow("red on white") << QColor(Qt::white) << QColor(230, 40, 40) << TextStyle::standard;
    QTest::newRow("white on white") << QColor(Qt::white) << QColor(Qt::white) << TextStyle::rounded;
    QTest::newRow("yellow on white") << QColor(Qt::white) << QColor(255, 230, 0) << TextStyle::mono;
    QTest::newRow("black on black") << QColor(Qt::black) << QColor(Qt::black) << TextStyle::standard;
    QTest::newRow("blue on blue") << QColor(20, 60, 200) << QColor(20, 60, 200) << TextStyle::outlined;
    QTest::newRow("red box on white") << QColor(Qt::white) << QColor(230, 40, 40) << TextStyle::box;
    QTest::newRow("black capsule on black")
        << QColor(Qt::black) << QColor(Qt::black) << TextStyle::roundedBox;
}

static double luminance(QColor c)
{
    return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF();
}

// Where the field is shows on any picture, empty or not, and the glyphs stand out from what lies
// around them.
void TestInPlaceTextEditor::readableOnAnyPicture()
{
    QFETCH(QColor, picture);
    QFETCH(QColor, glyphs);
    QFETCH(TextStyle, style);
    Canvas c;
    QPalette palette = c.canvas->palette();
    palette.setColor(QPalette::Window, picture);
    c.canvas->setPalette(palette);
    TextAnnotation annotation = makeText(style);
    annotation.color = Color::fromRgb8(glyphs.red(), glyphs.green(), glyphs.blue());
    QVERIFY(c.open(annotation));
    c.field()->setCursorWidth(0);

    // Empty: the edge of the field stands out from the picture.
    QImage image = c.window.grab(c.editor->geometry()).toImage();
    for (const QPoint step : {QPoint(1, 0), QPoint(0, 1)}) {
        // Across the left edge, then across the top edge, from outside in.
        const QPoint start = step.x() ? QPoint(0, image.height() / 2) : QPoint(image.width() / 2, 0);
        double contrast = 0;
        for (int i = 0; i < 3; ++i)
            contrast =
                std::max(contrast, qAbs(luminance(image.pixelColor(start + i * step)) - luminance(picture)));
        QVERIFY2(contrast > 0.3, qPrintable(QString::number(contrast)));
    }

    annotation.text = QStringLiteral("Hi there");
    c.editor->setAnnotation(annotation, 1);
    image = c.window.grab(c.editor->geometry()).toImage();
    const bool onBox = style == TextStyle::box || style == TextStyle::roundedBox;
    const QColor glyphColour = onBox ? QColor(Qt::white) : glyphs;
    const QRect text = image.rect().adjusted(InPlaceTextEditor::padding, InPlaceTextEditor::padding,
                                             -InPlaceTextEditor::padding, -InPlaceTextEditor::padding);
    QVERIFY(boundsOf(image.copy(text), glyphColour).width() > 60);
    // Just inside the rim, beside the text: what the glyphs are seen against.
    const QColor around = image.pixelColor(3, image.height() / 2);
    QVERIFY2(qAbs(luminance(around) - luminance(glyphColour)) > 0.3,
             qPrintable(around.name() + QLatin1Char(' ') + glyphColour.name()));
}

// A text placed near the picture's right edge is typed in a whole field, which stays over the
// text's place when the canvas moves.
void TestInPlaceTextEditor::notClippedByTheCanvasEdge()
{
    Canvas c;
    c.canvas->setGeometry(100, 50, 400, 300);
    TextAnnotation annotation = makeText(TextStyle::standard, QStringLiteral("edge"));
    annotation.position = QPointF(190, 100);
    QVERIFY(c.open(annotation, 2));
    const QRect field = c.editor->geometry();
    QVERIFY(field.right() > c.canvas->geometry().right() + 50);
    QCOMPARE(c.editor->visibleRegion().boundingRect(), c.editor->rect());
    const QPointF centre = QRectF(field).center();
    const QPointF expected = QPointF(c.canvas->pos()) + annotation.position * 2;
    QVERIFY(qAbs(centre.x() - expected.x()) <= 1 && qAbs(centre.y() - expected.y()) <= 1);
    // The glyphs are shown beyond the canvas's edge too.
    c.field()->setCursorWidth(0);
    const QImage image = c.window.grab(field).toImage();
    const QRect glyphs = boundsOf(image, annotation.color.toQColor());
    QVERIFY(glyphs.right() + field.left() > c.canvas->geometry().right());

    c.canvas->move(40, 20);
    const QPointF moved = QRectF(c.editor->geometry()).center();
    QVERIFY(qAbs(moved.x() - (expected.x() - 60)) <= 1 && qAbs(moved.y() - (expected.y() - 30)) <= 1);
}

void TestInPlaceTextEditor::wrapsWhereTheCanvasWraps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<double>>("maxWidth");
    QTest::addColumn<double>("zoom");
    const QString sentence = QStringLiteral("The quick brown fox jumps over the lazy dog, then naps beside "
                                            "a supercalifragilistic hedge");
    for (const double zoom : {0.5, 1.0, 1.5, 2.0, 3.0, 4.0}) {
        const QByteArray z = QByteArray::number(zoom * 100) + " %";
        QTest::newRow("Zoomed text, " + z)
            << QStringLiteral("Zoomed text") << std::optional<double>() << zoom;
        QTest::newRow("two lines, no wrap width, " + z)
            << QStringLiteral("A rather long first line of text\nshort") << std::optional<double>() << zoom;
        QTest::newRow("wrap width 220, " + z) << sentence << std::optional<double>(220) << zoom;
        QTest::newRow("wrap width 97, " + z) << sentence << std::optional<double>(97) << zoom;
    }
}

// The field breaks its lines exactly where the canvas will draw them, whatever the zoom.
void TestInPlaceTextEditor::wrapsWhereTheCanvasWraps()
{
    QFETCH(QString, text);
    QFETCH(std::optional<double>, maxWidth);
    QFETCH(double, zoom);
    Canvas c;
    TextAnnotation annotation = makeText(TextStyle::standard, text, maxWidth);
    annotation.fontSize = 24;
    QVERIFY(c.open(annotation, zoom));

    QList<int> typedBreaks;
    for (QTextBlock block = c.field()->document()->firstBlock(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        for (int l = 0; l < layout->lineCount(); ++l)
            typedBreaks.append(block.position() + layout->lineAt(l).textStart());
    }
    QList<int> drawnBreaks;
    const TextBlockLayout drawn =
        layoutAnnotationText(text, annotation.style, annotation.fontSize, annotation.wrapWidth());
    int paragraphStart = 0;
    for (const auto& layout : drawn.paragraphs()) {
        for (int l = 0; l < layout->lineCount(); ++l)
            drawnBreaks.append(paragraphStart + layout->lineAt(l).textStart());
        paragraphStart += int(layout->text().size()) + 1;
    }
    QCOMPARE(typedBreaks, drawnBreaks);
    // Every line is shown whole: nothing scrolls out of the field.
    QCOMPARE(c.field()->horizontalScrollBar()->value(), 0);
    QVERIFY(c.field()->document()->idealWidth() <= c.field()->width());
}

QTEST_MAIN(TestInPlaceTextEditor)
#include "tst_inplacetexteditor.moc"
