#include "annotation/AnnotationStyle.h"
#include "editor/BackgroundAssetStore.h"
#include "editor/EditorSession.h"
#include "preferences/SettingsStore.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {

const Color red = Color::fromRgb8(255, 0, 0);
const Color blue = Color::fromRgb8(0, 0, 255);

QUuid fixedId(int n)
{
    return QUuid(0x1234, 0, 0, 0, 0, 0, 0, 0, 0, 0, uchar(n));
}

// One annotation of every kind, all red, width 4, no outline, font size 20.
AnnotationList oneOfEach()
{
    return {
        ArrowAnnotation{fixedId(0), {10, 10}, {90, 40}, red, 4, false, ArrowStyle::filled},
        TextAnnotation{fixedId(1),
                       {50, 50},
                       QStringLiteral("Hi"),
                       20,
                       red,
                       false,
                       std::nullopt,
                       false,
                       TextStyle::standard},
        RectAnnotation{fixedId(2), {5, 5}, {40, 30}, red, 4, 6, false},
        EllipseAnnotation{fixedId(3), {5, 5}, {40, 30}, red, 4, false},
        DrawAnnotation{fixedId(4), {{1, 1}, {9, 9}}, red, 4, false},
        BlurAnnotation{fixedId(5), {0, 0}, {30, 30}, 10},
    };
}

QSet<QUuid> allIds(const AnnotationList& list)
{
    QSet<QUuid> ids;
    for (const Annotation& a : list) {
        ids.insert(annotationId(a));
    }
    return ids;
}

// Which kinds (by index in oneOfEach) a change reaches.
using KindMask = QVector<bool>;

} // namespace

Q_DECLARE_METATYPE(StyleChange)

class TestAnnotationStyle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void changeReachesOnlyKindsWithTheProperty_data();
    void changeReachesOnlyKindsWithTheProperty();
    void unselectedAnnotationsAreKept();
    void sessionRestyleIsOneUndoStep();
    void sessionRecordsNothingWhenNothingChanges();
};

void TestAnnotationStyle::changeReachesOnlyKindsWithTheProperty_data()
{
    QTest::addColumn<StyleChange>("change");
    QTest::addColumn<KindMask>("reaches"); // arrow, text, rect, ellipse, draw, blur

    QTest::newRow("colour") << StyleChange(SetColor{blue}) << KindMask{true, true, true, true, true, false};
    QTest::newRow("white outline") << StyleChange(SetWhiteStroke{true})
                                   << KindMask{true, true, true, true, true, false};
    QTest::newRow("line width") << StyleChange(SetLineWidth{12})
                                << KindMask{true, false, true, true, true, false};
    QTest::newRow("arrow style") << StyleChange(SetArrowStyle{ArrowStyle::sketchDouble})
                                 << KindMask{true, false, false, false, false, false};
    QTest::newRow("text style") << StyleChange(SetTextStyle{TextStyle::roundedBox})
                                << KindMask{false, true, false, false, false, false};
    QTest::newRow("font size") << StyleChange(SetFontSize{48})
                               << KindMask{false, true, false, false, false, false};
}

void TestAnnotationStyle::changeReachesOnlyKindsWithTheProperty()
{
    QFETCH(StyleChange, change);
    QFETCH(KindMask, reaches);

    const AnnotationList before = oneOfEach();
    const AnnotationList after = restyled(before, allIds(before), change);
    QCOMPARE(after.size(), before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        QCOMPARE(annotationId(after[i]), annotationId(before[i]));
        QVERIFY2((after[i] != before[i]) == reaches[i], qPrintable(QStringLiteral("kind %1").arg(i)));
        // Applying the same change again changes nothing more.
        Annotation again = after[i];
        QVERIFY(!applyStyle(again, change));
    }

    // Only the style moved: the geometry of every annotation is what it was.
    for (qsizetype i = 0; i < before.size(); ++i) {
        Annotation restored = after[i];
        const AnnotationStyle old = styleOf(before[i]);
        if (old.color)
            applyStyle(restored, SetColor{*old.color});
        if (old.hasWhiteStroke)
            applyStyle(restored, SetWhiteStroke{*old.hasWhiteStroke});
        if (old.lineWidth)
            applyStyle(restored, SetLineWidth{*old.lineWidth});
        if (old.arrowStyle)
            applyStyle(restored, SetArrowStyle{*old.arrowStyle});
        if (old.textStyle)
            applyStyle(restored, SetTextStyle{*old.textStyle});
        if (old.fontSize)
            applyStyle(restored, SetFontSize{*old.fontSize});
        QCOMPARE(restored, before[i]);
    }
}

void TestAnnotationStyle::unselectedAnnotationsAreKept()
{
    const AnnotationList before = oneOfEach();
    const AnnotationList after =
        restyled(before, {fixedId(2), fixedId(4), QUuid::createUuid()}, SetColor{blue});
    for (qsizetype i = 0; i < before.size(); ++i) {
        const bool selected = i == 2 || i == 4;
        QCOMPARE(styleOf(after[i]).color == std::optional(blue), selected);
    }
    // A blur has no style to show at all.
    const AnnotationStyle blur = styleOf(before[5]);
    QVERIFY(!blur.color && !blur.hasWhiteStroke && !blur.lineWidth && !blur.fontSize);
}

namespace {
struct SessionFixture
{
    QTemporaryDir dir;
    FileSettingsStore settings{dir.filePath(QStringLiteral("Velmora.conf"))};
    BackgroundAssetStore wallpapers{dir.filePath(QStringLiteral("wallpapers"))};
    EditorSession session{test::solidImage(100, 80, Qt::white), CaptureKind::region, std::nullopt, false,
                          EditorSession::Services{settings, wallpapers}};
};
} // namespace

void TestAnnotationStyle::sessionRestyleIsOneUndoStep()
{
    SessionFixture f;
    const AnnotationList before = oneOfEach();
    f.session.setAnnotations(before);
    const QSet<QUuid> picked{fixedId(0), fixedId(2), fixedId(5)};

    QVERIFY(f.session.restyleAnnotations(picked, SetColor{blue}));
    QCOMPARE(f.session.undoStack().size(), 1);
    QCOMPARE(styleOf(f.session.annotations()[0]).color, std::optional(blue));
    QCOMPARE(styleOf(f.session.annotations()[2]).color, std::optional(blue));
    QCOMPARE(styleOf(f.session.annotations()[1]).color, std::optional(red));

    // A colour still being picked joins the step already recorded.
    QVERIFY(f.session.restyleAnnotations(picked, SetColor{Color::white()}, false));
    QCOMPARE(f.session.undoStack().size(), 1);

    f.session.undo();
    QCOMPARE(f.session.annotations(), before);
    f.session.redo();
    QCOMPARE(styleOf(f.session.annotations()[2]).color, std::optional(Color::white()));
}

void TestAnnotationStyle::sessionRecordsNothingWhenNothingChanges()
{
    SessionFixture f;
    f.session.setAnnotations(oneOfEach());
    int changes = 0;
    connect(&f.session, &EditorSession::annotationsChanged, this, [&changes] { ++changes; });

    // Already red; blur has no colour; text has no line width; an empty selection.
    QVERIFY(!f.session.restyleAnnotations({fixedId(0), fixedId(2)}, SetColor{red}));
    QVERIFY(!f.session.restyleAnnotations({fixedId(5)}, SetColor{blue}));
    QVERIFY(!f.session.restyleAnnotations({fixedId(1)}, SetLineWidth{12}));
    QVERIFY(!f.session.restyleAnnotations({}, SetFontSize{12}));
    QVERIFY(!f.session.canUndo());
    QCOMPARE(changes, 0);
}

QTEST_MAIN(TestAnnotationStyle)
#include "tst_annotationstyle.moc"
