#include "imaging/ImageView.h"
#include "imaging/LargeImage.h"

#include <QRandomGenerator>
#include <QTest>

using namespace velmora;

namespace {

QImage randomImage(int width, int height, QImage::Format format, double density)
{
    QImage image(width, height, QImage::Format_ARGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, random.generate());
        }
    }
    image = image.convertToFormat(format);
    image.setDevicePixelRatio(density);
    return image;
}

} // namespace

class TestLargeImage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void showsTheSamePixelsAtDensityOne_data();
    void showsTheSamePixelsAtDensityOne();
    void largeBuffersAreReusedWithinABound();
};

void TestLargeImage::showsTheSamePixelsAtDensityOne_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<bool>("shared");
    QTest::newRow("premultiplied at 2")
        << randomImage(37, 11, QImage::Format_ARGB32_Premultiplied, 2) << true;
    // Three bytes a pixel: rows are padded, so the view must keep the original's row stride.
    QTest::newRow("RGB888 odd width at 1.5") << randomImage(13, 9, QImage::Format_RGB888, 1.5) << true;
    QTest::newRow("grey at 3") << randomImage(5, 5, QImage::Format_Grayscale8, 3) << true;
    QTest::newRow("already at 1") << randomImage(8, 4, QImage::Format_ARGB32_Premultiplied, 1) << true;
    // A view cannot carry a colour table: indexed images are copied.
    QTest::newRow("indexed at 2") << randomImage(9, 6, QImage::Format_Indexed8, 2) << false;
}

void TestLargeImage::showsTheSamePixelsAtDensityOne()
{
    QFETCH(QImage, image);
    QFETCH(bool, shared);
    const QImage original = image.copy();
    QImage view = unscaledView(image);
    QCOMPARE(view.devicePixelRatio(), 1.0);
    QCOMPARE(view.size(), image.size());
    QCOMPARE(view.format(), image.format());
    QCOMPARE(view.constBits() == image.constBits(), shared);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QCOMPARE(view.pixel(x, y), image.pixel(x, y));
        }
    }
    QCOMPARE(image.devicePixelRatio(), original.devicePixelRatio());

    // Writing through the view leaves the original alone.
    view.invertPixels();
    QVERIFY(view != original);
    QCOMPARE(image, original);
}

void TestLargeImage::largeBuffersAreReusedWithinABound()
{
    const QSize fiveK(5320, 3080);
    const void* first = nullptr;
    {
        QImage canvas = largeImage(fiveK);
        QVERIFY(!canvas.isNull());
        first = canvas.constBits();
        canvas.fill(Qt::red);
    }
    const std::size_t kept = keptLargeBytes();
    QVERIFY(kept >= std::size_t(fiveK.width()) * fiveK.height() * 4);
    // The next raster of that size gets the same memory back, writable; another size does not.
    QImage again = largeImage(fiveK);
    QCOMPARE(static_cast<const void*>(again.constBits()), first);
    QVERIFY(keptLargeBytes() < kept);
    again.fill(Qt::blue);
    QCOMPARE(again.pixel(5319, 3079), qRgb(0, 0, 255));
    const QImage other = largeImage(QSize(5000, 3000));
    QVERIFY(other.constBits() != first);

    // Giving back more than the bound keeps only the newest buffers.
    {
        std::vector<QImage> many;
        for (int i = 0; i < 6; ++i) {
            many.push_back(largeImage(QSize(4096, 4096 + 64 * i)));
            QVERIFY(!many.back().isNull());
        }
    }
    QVERIFY(keptLargeBytes() <= kKeptLargeBytes);
    QVERIFY(keptLargeBytes() >= std::size_t(4096) * (4096 + 64 * 5) * 4);

    // Small buffers come from the heap and are not kept.
    const std::size_t before = keptLargeBytes();
    releaseLarge(allocateLarge(1000));
    QCOMPARE(keptLargeBytes(), before);
}

QTEST_GUILESS_MAIN(TestLargeImage)
#include "tst_largeimage.moc"
