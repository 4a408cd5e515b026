#include "annotation/AnnotationPainter.h"
#include "support/TestSupport.h"

#include <QPainter>
#include <QTest>

using namespace velmora;

namespace {

const Color red = Color::fromRgb8(220, 20, 20);
const Color green = Color::fromRgb8(20, 180, 20);
// The selection feedback's half-transparent grey over white.
const QColor feedbackGrey(191, 191, 191);

// Square corners on half-point edges, so the feedback 3 points outside lies on whole pixels.
RectAnnotation square(double x, const Color& color)
{
    return RectAnnotation{QUuid::createUuid(), {x + 0.5, 20.5}, {60, 60}, color, 4, 0, false};
}

bool near(const QColor& a, const QColor& b, int tolerance = 6)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// One-pixel columns of black and white that pixellation averages to grey.
QImage stripes()
{
    QImage image(200, 100, QImage::Format_ARGB32_Premultiplied);
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            image.setPixelColor(x, y, x % 2 ? Qt::black : Qt::white);
        }
    }
    return image;
}

QImage paintList(QImage image, const AnnotationList& list, const AnnotationListPaint& options)
{
    QPainter painter(&image);
    AnnotationPainter::paintList(painter, list, options);
    painter.end();
    return image;
}

enum class Kept { none, patch, missing };

} // namespace

Q_DECLARE_METATYPE(Kept)

class TestAnnotationListPaint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void skipsSelectsAndAddsProvisional_data();
    void skipsSelectsAndAddsProvisional();
    void blurBoxesDrawTheKeptPatch_data();
    void blurBoxesDrawTheKeptPatch();
};

void TestAnnotationListPaint::skipsSelectsAndAddsProvisional_data()
{
    // Two red squares in the list, at x 20 and 120; a green one over the first may be provisional.
    QTest::addColumn<bool>("skipFirst");
    QTest::addColumn<bool>("selectFirst");
    QTest::addColumn<bool>("provisional");
    QTest::addColumn<QColor>("firstEdge");
    QTest::addColumn<QColor>("secondEdge");
    QTest::addColumn<QColor>("beside");
    const QColor r = red.toQColor(), g = green.toQColor(), w = Qt::white;
    QTest::newRow("all") << false << false << false << r << r << w;
    QTest::newRow("first skipped") << true << false << false << w << r << w;
    QTest::newRow("first selected") << false << true << false << r << r << feedbackGrey;
    QTest::newRow("skipped though selected") << true << true << false << w << r << w;
    // Painted over the list and never marked, even when its id is in the selection.
    QTest::newRow("provisional over the list") << false << false << true << g << r << w;
    QTest::newRow("provisional, selected id") << true << true << true << g << r << w;
}

void TestAnnotationListPaint::skipsSelectsAndAddsProvisional()
{
    QFETCH(bool, skipFirst);
    QFETCH(bool, selectFirst);
    QFETCH(bool, provisional);
    QFETCH(QColor, firstEdge);
    QFETCH(QColor, secondEdge);
    QFETCH(QColor, beside);
    const RectAnnotation first = square(20, red);
    const RectAnnotation second = square(120, red);
    RectAnnotation drag = square(20, green);
    AnnotationListPaint options;
    if (skipFirst) {
        options.skip = first.id;
    }
    if (selectFirst) {
        options.selection = {first.id};
        drag.id = first.id;
    }
    if (provisional) {
        options.provisional = {drag};
    }
    const QImage out = paintList(test::solidImage(200, 100, Qt::white), {first, second}, options);
    QVERIFY(near(out.pixelColor(20, 50), firstEdge));
    QVERIFY(near(out.pixelColor(120, 50), secondEdge));
    // Selection feedback runs 3 points outside the first square; never beside the second.
    QVERIFY(near(out.pixelColor(17, 50), beside));
    QVERIFY(near(out.pixelColor(117, 50), Qt::white));
}

void TestAnnotationListPaint::blurBoxesDrawTheKeptPatch_data()
{
    QTest::addColumn<Kept>("kept");
    QTest::addColumn<bool>("selected");
    QTest::newRow("pixellated as painted") << Kept::none << false;
    QTest::newRow("kept patch") << Kept::patch << false;
    QTest::newRow("kept patch, selected") << Kept::patch << true;
    QTest::newRow("box misses the picture") << Kept::missing << true;
}

void TestAnnotationListPaint::blurBoxesDrawTheKeptPatch()
{
    QFETCH(Kept, kept);
    QFETCH(bool, selected);
    const QImage base = stripes();
    const BlurAnnotation inList{QUuid::createUuid(), {20.5, 20.5}, {60, 60}, 10};
    const BlurAnnotation dragged{QUuid::createUuid(), {120.5, 20.5}, {60, 60}, 10};
    // A magenta patch tells the kept one from a fresh pixellation.
    QImage magenta(60, 60, QImage::Format_ARGB32_Premultiplied);
    magenta.fill(Qt::magenta);
    QList<QRectF> asked;
    QList<qint64> sources;
    AnnotationListPaint options{.blur = {base, {0, 0}}};
    options.provisional = {dragged};
    if (selected) {
        options.selection = {inList.id};
    }
    PixellatedPatch patch;
    if (kept != Kept::none) {
        options.keptBlurPatch = [&](const BlurAnnotation& blur, const BlurSource& source) {
            asked << blur.rect();
            sources << source.image.cacheKey();
            patch = {magenta, blur.rect()};
            return kept == Kept::patch ? &patch : nullptr;
        };
    }
    const QImage out = paintList(base, {inList}, options);

    for (const int x : {50, 150}) { // the list's box, then the provisional one
        const QColor left = out.pixelColor(x, 50), right = out.pixelColor(x + 1, 50);
        switch (kept) {
        case Kept::none:
            QVERIFY(std::abs(left.lightness() - 128) < 24 && std::abs(right.lightness() - 128) < 24);
            break;
        case Kept::patch:
            QCOMPARE(left, QColor(Qt::magenta));
            QCOMPARE(right, QColor(Qt::magenta));
            break;
        case Kept::missing:
            QCOMPARE(left, QColor(Qt::white));
            QCOMPARE(right, QColor(Qt::black));
            break;
        }
    }
    if (kept != Kept::none) {
        QCOMPARE(asked, QList<QRectF>({inList.rect(), dragged.rect()}));
        // The patch is made from the list's own source.
        QCOMPARE(sources, QList<qint64>({base.cacheKey(), base.cacheKey()}));
    }
    // The selection feedback is drawn around a kept or missing patch too; never around the drag.
    QCOMPARE(out.pixelColor(17, 50) != base.pixelColor(17, 50), selected);
    QCOMPARE(out.pixelColor(117, 50), base.pixelColor(117, 50));
}

QTEST_MAIN(TestAnnotationListPaint)
#include "tst_annotationlistpaint.moc"
