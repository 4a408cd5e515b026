#include "imaging/Pixellate.h"
#include "support/TestSupport.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

#include <cmath>

using namespace velmora;

namespace {

QImage noise(int width, int height, quint32 seed, bool translucent = false)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y,
                qPremultiply(qRgba(int(random.bounded(256)), int(random.bounded(256)),
                                   int(random.bounded(256)), translucent ? int(random.bounded(256)) : 255)));
    return image;
}

// The rounded average of the premultiplied pixels of `block` (clipped to the image).
QRgb averageOf(const QImage& image, QRect block)
{
    block &= image.rect();
    qint64 sum[4] = {};
    for (int y = block.top(); y <= block.bottom(); ++y)
        for (int x = block.left(); x <= block.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            sum[0] += qAlpha(p), sum[1] += qRed(p), sum[2] += qGreen(p), sum[3] += qBlue(p);
        }
    const qint64 n = qint64(block.width()) * block.height();
    const auto avg = [&](int c) { return int((sum[c] + n / 2) / n); };
    return qRgba(avg(1), avg(2), avg(3), avg(0));
}

// Pixels outside `region` must be as they were.
bool untouchedOutside(const QImage& before, const QImage& after, const QRect& region)
{
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if (!region.contains(x, y) && before.pixel(x, y) != after.pixel(x, y))
                return false;
    return true;
}

} // namespace

class TestPixellate : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void blocksAverageTheWholeGridCell_data();
    void blocksAverageTheWholeGridCell();
    void adjacentRegionsShareOneGrid();
    void overlappingBoxesShowOnlyBasePixels();
    void regionsAreClippedToTheImage_data();
    void regionsAreClippedToTheImage();
    void fractionalBlocksPartitionTheImage();
    void patchMatchesInPlaceResult();
    void otherFormatsKeepTheirFormat();
};

void TestPixellate::blocksAverageTheWholeGridCell_data()
{
    QTest::addColumn<QRectF>("region");
    QTest::addColumn<int>("block");
    QTest::addColumn<bool>("translucent");
    QTest::newRow("aligned") << QRectF(20, 10, 40, 30) << 10 << false;
    QTest::newRow("cutting cells") << QRectF(13, 7, 29, 22) << 10 << false;
    QTest::newRow("fractional region") << QRectF(12.4, 6.6, 20.2, 9.1) << 8 << false;
    QTest::newRow("translucent pixels") << QRectF(5, 5, 50, 40) << 7 << true;
    QTest::newRow("cell cut by the image edge") << QRectF(80, 50, 19, 19) << 16 << false;
}

void TestPixellate::blocksAverageTheWholeGridCell()
{
    QFETCH(QRectF, region);
    QFETCH(int, block);
    QFETCH(bool, translucent);
    const QImage base = noise(90, 60, 3, translucent);
    QImage image = base;
    pixellateRegion(image, region, block);

    const QRect pixels = region.toAlignedRect() & base.rect();
    QVERIFY(untouchedOutside(base, image, pixels));
    // Every pixel inside takes the average of its whole cell of the image-wide grid, including
    // the part of the cell the region does not cover.
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        for (int x = pixels.left(); x <= pixels.right(); ++x) {
            const QRect cell(x / block * block, y / block * block, block, block);
            if (image.pixel(x, y) != averageOf(base, cell))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
        }
}

void TestPixellate::adjacentRegionsShareOneGrid()
{
    const QImage base = noise(100, 80, 5);
    // Two boxes meeting at x = 43, inside a cell that spans 40…49.
    QImage image = base;
    pixellateRegion(image, base, QRectF(10, 10, 33, 50), 10);
    pixellateRegion(image, base, QRectF(43, 10, 30, 50), 10);
    for (int y = 10; y < 60; ++y)
        QCOMPARE(image.pixel(42, y), image.pixel(43, y));

    // Painting one box over the whole area gives the same pixels: the seam is invisible.
    QImage whole = base;
    pixellateRegion(whole, QRectF(10, 10, 63, 50), 10);
    QCOMPARE(image, whole);
}

void TestPixellate::overlappingBoxesShowOnlyBasePixels()
{
    const QImage base = noise(64, 64, 9);
    QImage image = base;
    pixellateRegion(image, base, QRectF(0, 0, 40, 40), 8);
    pixellateRegion(image, base, QRectF(20, 20, 40, 40), 8);
    // A cell reaching into the first box still shows the average of the base image.
    QCOMPARE(image.pixel(30, 30), averageOf(base, QRect(24, 24, 8, 8)));
    QCOMPARE(image.pixel(25, 21), averageOf(base, QRect(24, 16, 8, 8)));
}

void TestPixellate::regionsAreClippedToTheImage_data()
{
    QTest::addColumn<QRectF>("region");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("half outside left and top") << QRectF(-30, -20, 50, 40) << QRect(0, 0, 20, 20);
    QTest::newRow("half outside right") << QRectF(50, 10, 100, 10) << QRect(50, 10, 20, 10);
    QTest::newRow("covering everything") << QRectF(-5, -5, 500, 500) << QRect(0, 0, 70, 40);
    QTest::newRow("entirely outside") << QRectF(100, 100, 20, 20) << QRect();
    QTest::newRow("empty") << QRectF(10, 10, 0, 5) << QRect();
}

void TestPixellate::regionsAreClippedToTheImage()
{
    QFETCH(QRectF, region);
    QFETCH(QRect, expected);
    const QImage base = noise(70, 40, 7);
    QCOMPARE(pixellationRect(base, region), expected);

    QImage image = base;
    pixellateRegion(image, region, 9);
    QVERIFY(untouchedOutside(base, image, expected));
    const QImage patch = pixellated(base, region, 9);
    QCOMPARE(patch.isNull(), expected.isEmpty());
    if (!expected.isEmpty()) {
        QCOMPARE(patch.size(), expected.size());
        QCOMPARE(patch, image.copy(expected));
    }
}

void TestPixellate::fractionalBlocksPartitionTheImage()
{
    // A retina box of 5 points at a density of 1.5: cells 7.5 pixels wide, each owning the pixels
    // whose centres it holds, so cells alternate 7 and 8 pixels and never overlap or leave gaps.
    const QImage base = noise(60, 30, 11);
    QImage image = base;
    pixellateRegion(image, QRectF(0, 0, 60, 30), 7.5);
    const auto cellOf = [](int x) { return int(std::floor((x + 0.5) / 7.5)); };
    for (int x = 1; x < 60; ++x) {
        const bool sameCell = cellOf(x) == cellOf(x - 1);
        QCOMPARE(image.pixel(x, 0) == image.pixel(x - 1, 0), sameCell);
    }
    QCOMPARE(image.pixel(7, 0), averageOf(base, QRect(7, 0, 8, 7)));   // cell 1 holds x 7…14, y 0…6
    QCOMPARE(image.pixel(15, 8), averageOf(base, QRect(15, 7, 7, 8))); // cell (2, 1): x 15…21, y 7…14
}

void TestPixellate::patchMatchesInPlaceResult()
{
    QImage base = noise(50, 50, 13, true);
    base.setDevicePixelRatio(2);
    const QRectF region(7.5, 3.2, 30, 21);
    const QImage patch = pixellated(base, region, 6);
    QCOMPARE(patch.devicePixelRatio(), 2.0);
    QImage image = base;
    pixellateRegion(image, region, 6);
    QCOMPARE(patch, image.copy(pixellationRect(base, region)));

    // Drawing the patch over its rectangle reproduces the in-place result.
    QImage drawn = base;
    {
        QPainter painter(&drawn);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        const QRect rect = pixellationRect(base, region);
        painter.drawImage(QRectF(QPointF(rect.topLeft()) / 2, QSizeF(rect.size()) / 2), patch);
    }
    QCOMPARE(drawn, image);

    // A block size below one pixel changes nothing.
    QImage unchanged = base;
    pixellateRegion(unchanged, region, 0.5);
    QCOMPARE(unchanged, base);
}

void TestPixellate::otherFormatsKeepTheirFormat()
{
    QImage rgb(40, 20, QImage::Format_RGB888);
    rgb.fill(Qt::white);
    for (int x = 0; x < 40; x += 2)
        for (int y = 0; y < 20; ++y)
            rgb.setPixel(x, y, qRgb(0, 0, 0));
    pixellateRegion(rgb, QRectF(0, 0, 40, 20), 4);
    QCOMPARE(rgb.format(), QImage::Format_RGB888);
    QCOMPARE(rgb.pixel(5, 5), qRgb(128, 128, 128)); // half black, half white, rounded up
}

QTEST_GUILESS_MAIN(TestPixellate)
#include "tst_pixellate.moc"
