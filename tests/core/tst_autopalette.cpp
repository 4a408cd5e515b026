#include "editor/AutoPalette.h"
#include "support/TestSupport.h"

#include <QPainter>
#include <QTest>

#include <cmath>
#include <numeric>

using namespace velmora;

namespace {
QByteArray describe(const Color& c)
{
    return QStringLiteral("(%1, %2, %3, %4)").arg(c.red).arg(c.green).arg(c.blue).arg(c.alpha).toUtf8();
}
} // namespace

namespace velmora {
// QCOMPARE frees what this returns.
char* toString(const Color& c)
{
    return qstrdup(describe(c).constData());
}
} // namespace velmora

namespace {

bool near(double a, double b)
{
    return std::abs(a - b) < 1e-9;
}

bool near(const Color& a, const Color& b)
{
    return near(a.red, b.red) && near(a.green, b.green) && near(a.blue, b.blue) && near(a.alpha, b.alpha);
}

// Exact 8-bit components; QColor's own float accessors would blur the comparisons.
Color rgb8(const QColor& c)
{
    return Color::fromRgb8(c.red(), c.green(), c.blue());
}

// A picture split into vertical bands; `shares` are the relative widths.
QImage bands(const QList<QColor>& colors, const QList<int>& shares)
{
    const int total = std::accumulate(shares.begin(), shares.end(), 0);
    QImage image(total * 8, 64, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    int x = 0;
    for (qsizetype i = 0; i < colors.size(); ++i) {
        painter.fillRect(x, 0, shares[i] * 8, 64, colors[i]);
        x += shares[i] * 8;
    }
    return image;
}

} // namespace

class TestAutoPalette : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void picturesWithoutColourGiveTwoGreys_data();
    void picturesWithoutColourGiveTwoGreys();
    void oneHueGetsAShiftedSecondColour_data();
    void oneHueGetsAShiftedSecondColour();
    void twoHuesGiveTwoPastels();
    void vividAccentWinsOverAGreyMajority();
    void edgeColourIgnoresTheInside();
    void dominantColoursCountUnpremultipliedPixels();
    void equalCountsKeepBucketOrder();
    void pastelAndShiftClamp_data();
    void pastelAndShiftClamp();
};

void TestAutoPalette::picturesWithoutColourGiveTwoGreys_data()
{
    QTest::addColumn<QImage>("image");
    QTest::newRow("fully transparent") << test::solidImage(40, 30, Qt::transparent);
    QTest::newRow("null image") << QImage();
    QTest::newRow("greys only") << bands({QColor(80, 80, 80), QColor(200, 200, 200), Qt::black}, {3, 2, 1});
}

void TestAutoPalette::picturesWithoutColourGiveTwoGreys()
{
    QFETCH(QImage, image);
    const QVector<Color> palette = makeAutoPalette(image);
    QCOMPARE(palette.size(), 2);
    QVERIFY2(near(palette[0], Color::grey(0.88)), describe(palette[0]).constData());
    QVERIFY2(near(palette[1], Color::grey(0.70)), describe(palette[1]).constData());
}

void TestAutoPalette::oneHueGetsAShiftedSecondColour_data()
{
    QTest::addColumn<QColor>("main");
    QTest::addColumn<QColor>("darker");
    QTest::newRow("red") << QColor(200, 40, 40) << QColor(100, 20, 20);
    QTest::newRow("teal") << QColor(30, 160, 160) << QColor(60, 220, 220);
    QTest::newRow("hue wraps past 1") << QColor(220, 30, 90) << QColor(110, 15, 45);
}

void TestAutoPalette::oneHueGetsAShiftedSecondColour()
{
    QFETCH(QColor, main);
    QFETCH(QColor, darker);
    const QVector<Color> palette = makeAutoPalette(bands({main, darker, Qt::white}, {5, 2, 1}));
    QCOMPARE(palette.size(), 2);
    const Hsb base = toHsb(rgb8(main));
    const Hsb first = toHsb(palette[0]);
    const Hsb second = toHsb(palette[1]);
    QVERIFY2(near(first.hue, base.hue), qPrintable(QStringLiteral("%1 vs %2").arg(first.hue).arg(base.hue)));
    QVERIFY(first.saturation >= 0.25 - 1e-9 && first.saturation <= 0.45 + 1e-9);
    QVERIFY(first.brightness >= 0.88 - 1e-9 && first.brightness <= 0.96 + 1e-9);
    const double expectedHue = std::fmod(first.hue + 0.08, 1.0);
    QVERIFY2(near(second.hue, expectedHue), qPrintable(QString::number(second.hue)));
    QVERIFY(near(second.saturation, first.saturation));
    QVERIFY(near(second.brightness, first.brightness * 0.92));
}

void TestAutoPalette::twoHuesGiveTwoPastels()
{
    const QColor blue(40, 90, 220);
    const QColor orange(240, 140, 30);
    const QColor nearBlue(40, 70, 220); // within 0.06 of blue's hue: not a second hue
    const QVector<Color> palette = makeAutoPalette(bands({blue, nearBlue, orange}, {6, 4, 3}));
    QCOMPARE(palette,
             (QVector<Color>{pastelBackgroundColor(rgb8(blue)), pastelBackgroundColor(rgb8(orange))}));
}

void TestAutoPalette::vividAccentWinsOverAGreyMajority()
{
    // A typical screenshot: mostly white page, some black text, one coloured accent.
    const QColor accent(20, 160, 90);
    const QVector<Color> palette = makeAutoPalette(bands({Qt::white, Qt::black, accent}, {10, 3, 1}));
    QCOMPARE(palette.first(), pastelBackgroundColor(rgb8(accent)));
}

void TestAutoPalette::edgeColourIgnoresTheInside()
{
    QImage image = test::solidImage(100, 70, Qt::red);
    QPainter(&image).fillRect(3, 3, 94, 64, Qt::blue);
    QCOMPARE(edgeColor(image), Color::fromRgb8(255, 0, 0));
    QCOMPARE(dominantColors(image, false, 1), QVector<Color>{Color::fromRgb8(0, 0, 255)});

    QImage framed = test::solidImage(100, 70, Qt::transparent);
    QPainter(&framed).fillRect(3, 3, 94, 64, Qt::blue);
    QCOMPARE(edgeColor(framed), Color::white());
}

void TestAutoPalette::dominantColoursCountUnpremultipliedPixels()
{
    // Half-transparent red is stored premultiplied as (128, 0, 0); it must still count as red.
    QCOMPARE(dominantColors(test::solidImage(10, 10, QColor(255, 0, 0, 128)), false, 4),
             QVector<Color>{Color::fromRgb8(255, 0, 0)});
    // Two shades in one bucket average with integer division: (16 + 31) / 2 = 23.
    QCOMPARE(dominantColors(bands({QColor(16, 0, 0), QColor(31, 0, 0)}, {1, 1}), false, 4),
             QVector<Color>{Color::fromRgb8(23, 0, 0)});
}

void TestAutoPalette::equalCountsKeepBucketOrder()
{
    const Color blue = Color::fromRgb8(0, 0, 255);
    const Color red = Color::fromRgb8(255, 0, 0);
    QCOMPARE(dominantColors(bands({Qt::red, Qt::blue}, {1, 1}), false, 4), (QVector<Color>{blue, red}));
    QCOMPARE(dominantColors(bands({Qt::blue, Qt::red}, {1, 3}), false, 4), (QVector<Color>{red, blue}));
    QCOMPARE(dominantColors(bands({Qt::blue, Qt::red}, {1, 3}), false, 1), (QVector<Color>{red}));
    QVERIFY(dominantColors(bands({Qt::blue}, {1}), false, 0).isEmpty());
}

void TestAutoPalette::pastelAndShiftClamp_data()
{
    QTest::addColumn<double>("saturation");
    QTest::addColumn<double>("brightness");
    QTest::addColumn<double>("pastelSaturation");
    QTest::addColumn<double>("pastelBrightness");
    QTest::addColumn<double>("shiftedBrightness");
    QTest::newRow("dark and vivid") << 1.0 << 0.2 << 0.45 << 0.88 << 0.2 * 0.92;
    QTest::newRow("pale") << 0.1 << 0.5 << 0.25 << 0.88 << 0.5 * 0.92;
    QTest::newRow("mid") << 0.6 << 0.65 << 0.36 << 0.91 << 0.65 * 0.92;
    QTest::newRow("bright") << 0.5 << 1.0 << 0.30 << 0.96 << 0.92;
}

void TestAutoPalette::pastelAndShiftClamp()
{
    QFETCH(double, saturation);
    QFETCH(double, brightness);
    QFETCH(double, pastelSaturation);
    QFETCH(double, pastelBrightness);
    QFETCH(double, shiftedBrightness);
    const Color input = fromHsb({0.6, saturation, brightness});
    const Hsb pastel = toHsb(pastelBackgroundColor(input));
    QVERIFY2(near(pastel.saturation, pastelSaturation), qPrintable(QString::number(pastel.saturation)));
    QVERIFY2(near(pastel.brightness, pastelBrightness), qPrintable(QString::number(pastel.brightness)));
    const Hsb shifted = toHsb(hueShifted(input, 0.5));
    QVERIFY(near(shifted.hue, 0.1));
    QVERIFY(near(shifted.brightness, shiftedBrightness));

    QCOMPARE(hueShifted(Color::grey(0.3), 0.08), Color::grey(0.3 + 0.18));
    QCOMPARE(pastelBackgroundColor(Color::grey(0.3)), Color::grey(0.88));
}

QTEST_GUILESS_MAIN(TestAutoPalette)
#include "tst_autopalette.moc"
