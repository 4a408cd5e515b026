#include "imaging/ImageView.h"

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

class TestImageView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void showsTheSamePixelsAtDensityOne_data();
    void showsTheSamePixelsAtDensityOne();
};

void TestImageView::showsTheSamePixelsAtDensityOne_data()
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

void TestImageView::showsTheSamePixelsAtDensityOne()
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

QTEST_GUILESS_MAIN(TestImageView)
#include "tst_imageview.moc"
