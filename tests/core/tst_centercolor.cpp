#include "capture/CenterColor.h"

#include <QColorSpace>
#include <QTest>

using namespace velmora;

namespace {

// An image whose every pixel is distinct, so the test sees which one was read.
QImage numbered(int width, int height, QImage::Format format = QImage::Format_ARGB32_Premultiplied)
{
    QImage image(width, height, format);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixelColor(x, y, QColor(x * 10 % 256, y * 10 % 256, 200));
        }
    }
    return image;
}

} // namespace

class TestCenterColor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void picksTheMiddlePixel_data();
    void picksTheMiddlePixel();
    void colourIsWrittenAsUpperCaseSrgbWithoutAlpha_data();
    void colourIsWrittenAsUpperCaseSrgbWithoutAlpha();
    void emptyImageHasNoColour();
};

void TestCenterColor::picksTheMiddlePixel_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("1x1") << QSize(1, 1) << QPoint(0, 0);
    QTest::newRow("2x2: right of and below the centre") << QSize(2, 2) << QPoint(1, 1);
    QTest::newRow("3x3") << QSize(3, 3) << QPoint(1, 1);
    QTest::newRow("1 wide") << QSize(1, 7) << QPoint(0, 3);
    QTest::newRow("wide and flat") << QSize(10, 1) << QPoint(5, 0);
    QTest::newRow("even by odd") << QSize(6, 5) << QPoint(3, 2);
}

void TestCenterColor::picksTheMiddlePixel()
{
    QFETCH(QSize, size);
    QFETCH(QPoint, expected);
    const QImage image = numbered(size.width(), size.height());
    const QColor want = image.pixelColor(expected);
    QCOMPARE(centerHexColor(image), want.name(QColor::HexRgb).toUpper());
    // The pixel density of a capture must not move the probe: it is a pixel, not a point.
    QImage dense = image;
    dense.setDevicePixelRatio(2);
    QCOMPARE(centerHexColor(dense), want.name(QColor::HexRgb).toUpper());
}

void TestCenterColor::colourIsWrittenAsUpperCaseSrgbWithoutAlpha_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QString>("expected");
    QImage orange(1, 1, QImage::Format_RGB32);
    orange.fill(QColor(255, 128, 0));
    QTest::newRow("orange") << orange << QStringLiteral("#FF8000");
    QImage darkBlue(4, 4, QImage::Format_RGB32);
    darkBlue.fill(QColor(0x0a, 0x0b, 0xcd));
    QTest::newRow("digits below 16 keep their zero") << darkBlue << QStringLiteral("#0A0BCD");
    // Premultiplied storage holds 64,0,0 for this pixel; the colour itself is full red.
    QImage halfRed(2, 2, QImage::Format_ARGB32_Premultiplied);
    halfRed.fill(QColor(255, 0, 0, 128));
    QTest::newRow("alpha ignored") << halfRed << QStringLiteral("#FF0000");
    QImage clear(1, 1, QImage::Format_ARGB32);
    clear.fill(QColor(0x12, 0x34, 0x56, 0));
    QTest::newRow("fully transparent keeps its colour") << clear << QStringLiteral("#123456");
    QImage grey(3, 3, QImage::Format_Grayscale8);
    grey.fill(QColor(0x80, 0x80, 0x80));
    QTest::newRow("grayscale") << grey << QStringLiteral("#808080");
    // Linear-light 128/255 = 0.502 is sRGB 1.055 × 0.502^(1/2.4) − 0.055 = 0.737, i.e. 188 = BC.
    QImage linear(1, 1, QImage::Format_RGB32);
    linear.fill(QColor(128, 128, 128));
    linear.setColorSpace(QColorSpace(QColorSpace::SRgbLinear));
    QTest::newRow("linear light is converted to sRGB") << linear << QStringLiteral("#BCBCBC");
}

void TestCenterColor::colourIsWrittenAsUpperCaseSrgbWithoutAlpha()
{
    QFETCH(QImage, image);
    QFETCH(QString, expected);
    QCOMPARE(centerHexColor(image), expected);
}

void TestCenterColor::emptyImageHasNoColour()
{
    QCOMPARE(centerHexColor(QImage()), std::nullopt);
    QCOMPARE(centerHexColor(QImage(0, 5, QImage::Format_RGB32)), std::nullopt);
}

QTEST_GUILESS_MAIN(TestCenterColor)
#include "tst_centercolor.moc"
