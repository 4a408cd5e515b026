#include "imaging/Blur.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <vector>

using namespace velmora;

namespace {

// Straight-alpha channels of a premultiplied pixel, rounded to 0…255.
struct Straight
{
    int r, g, b, a;
};

Straight straightAt(const QImage& image, int x, int y)
{
    const QRgb p = qUnpremultiply(image.pixel(x, y));
    return {qRed(p), qGreen(p), qBlue(p), qAlpha(p)};
}

// A plain, slow Gaussian (double precision, edges extended) followed by the colour controls, to
// hold the fast path against.
QImage referenceBlur(const QImage& input, double radius)
{
    const QImage source = input.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const double sigma = radius * 1.35;
    const int reach = int(std::ceil(4 * sigma));
    std::vector<double> kernel(std::size_t(2 * reach + 1));
    double total = 0;
    for (int k = -reach; k <= reach; ++k)
        total += kernel[std::size_t(k + reach)] = std::exp(-0.5 * k * k / (sigma * sigma));
    for (double& w : kernel)
        w /= total;

    const int w = source.width(), h = source.height();
    std::vector<double> pass(std::size_t(w * h * 4)), out(std::size_t(w * h * 4));
    const auto channel = [&](int x, int y, int c) {
        const QRgb p = source.pixel(std::clamp(x, 0, w - 1), std::clamp(y, 0, h - 1));
        return double(c == 0 ? qRed(p) : c == 1 ? qGreen(p) : c == 2 ? qBlue(p) : qAlpha(p));
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c) {
                double sum = 0;
                for (int k = -reach; k <= reach; ++k)
                    sum += kernel[std::size_t(k + reach)] * channel(x + k, y, c);
                pass[std::size_t((y * w + x) * 4 + c)] = sum;
            }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c) {
                double sum = 0;
                for (int k = -reach; k <= reach; ++k)
                    sum += kernel[std::size_t(k + reach)] *
                           pass[std::size_t((std::clamp(y + k, 0, h - 1) * w + x) * 4 + c)];
                out[std::size_t((y * w + x) * 4 + c)] = sum;
            }

    QImage result(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double* p = &out[std::size_t((y * w + x) * 4)];
            const double a = p[3];
            if (a <= 0) {
                result.setPixel(x, y, 0);
                continue;
            }
            double r = p[0] / a, g = p[1] / a, b = p[2] / a;
            ColorControls{}.apply(r, g, b);
            result.setPixel(x, y, qRgba(int(r * a + 0.5), int(g * a + 0.5), int(b * a + 0.5), int(a + 0.5)));
        }
    return result;
}

int largestDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return largest;
}

// Where a left-to-right dark-to-light ramp along row y crosses `level` (0…255), interpolated.
double crossing(const QImage& image, int y, double level)
{
    for (int x = 1; x < image.width(); ++x) {
        const double before = qRed(image.pixel(x - 1, y)), after = qRed(image.pixel(x, y));
        if (before < level && after >= level)
            return x - 1 + (level - before) / (after - before);
    }
    return -1;
}

} // namespace

class TestBlur : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void flatImageStaysFlatToItsBorders_data();
    void flatImageStaysFlatToItsBorders();
    void edgeBecomesRampGrowingWithRadius_data();
    void edgeBecomesRampGrowingWithRadius();
    void matchesFullResolutionGaussian_data();
    void matchesFullResolutionGaussian();
    void transparentNeighboursLeaveNoDarkFringe();
    void noBlurReturnsTheImageItself_data();
    void noBlurReturnsTheImageItself();
    void keepsDensityAndAcceptsOtherFormats();
};

void TestBlur::flatImageStaysFlatToItsBorders_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("radius");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QColor>("expected"); // hand-computed colour controls, straight alpha

    // (0.8, 0.2, 0.2): luminance 0.3275; saturation 1.08 → (0.8378, 0.1898); contrast 1.03 around 0.5.
    const QColor red(204, 51, 51), redOut(216, 46, 46);
    // Mid grey is a fixed point of both controls.
    const QColor grey(128, 128, 128), greyOut(128, 128, 128);
    const QColor blue(40, 120, 200), blueOut(32, 121, 210);
    QTest::newRow("full resolution") << QSize(61, 37) << 1.5 << red << redOut;
    QTest::newRow("reduced resolution") << QSize(300, 170) << 20.0 << red << redOut;
    QTest::newRow("radius larger than the image") << QSize(23, 9) << 40.0 << blue << blueOut;
    QTest::newRow("grey is kept") << QSize(128, 64) << 6.0 << grey << greyOut;
    QTest::newRow("translucent keeps alpha")
        << QSize(90, 50) << 9.0 << QColor(204, 51, 51, 128) << QColor(216, 46, 46, 128);
}

void TestBlur::flatImageStaysFlatToItsBorders()
{
    QFETCH(QSize, size);
    QFETCH(double, radius);
    QFETCH(QColor, color);
    QFETCH(QColor, expected);

    const QImage result = blurred(test::solidImage(size.width(), size.height(), color), radius);
    QCOMPARE(result.size(), size);
    const QRgb first = result.pixel(0, 0);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (result.pixel(x, y) != first)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 differs from the corner").arg(x).arg(y)));
    // Premultiplied storage is coarser in straight colour the lower the alpha.
    const int tolerance = 1 + 255 / expected.alpha();
    const Straight s = straightAt(result, size.width() / 2, size.height() / 2);
    QVERIFY2(std::abs(s.r - expected.red()) <= tolerance && std::abs(s.g - expected.green()) <= tolerance &&
                 std::abs(s.b - expected.blue()) <= tolerance,
             qPrintable(QStringLiteral("got %1 %2 %3").arg(s.r).arg(s.g).arg(s.b)));
    QCOMPARE(s.a, expected.alpha());
}

void TestBlur::edgeBecomesRampGrowingWithRadius_data()
{
    QTest::addColumn<QList<double>>("radii");
    QTest::newRow("small to large") << QList<double>{1.5, 3, 6, 12, 24};
}

void TestBlur::edgeBecomesRampGrowingWithRadius()
{
    QFETCH(QList<double>, radii);
    // Dark grey to light grey, so the contrast lift does not clip the ends of the ramp.
    QImage image(480, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(40, 40, 40));
    for (int y = 0; y < image.height(); ++y)
        for (int x = image.width() / 2; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(215, 215, 215));

    double previous = 0;
    for (const double radius : radii) {
        const QImage result = blurred(image, radius);
        const int y = image.height() / 2;
        const double low = qRed(result.pixel(0, y)), high = qRed(result.pixel(image.width() - 1, y));
        const double from = crossing(result, y, low + 0.1 * (high - low));
        const double to = crossing(result, y, low + 0.9 * (high - low));
        const double centre = crossing(result, y, (low + high) / 2);
        QVERIFY(from > 0 && to > from);
        // A Gaussian edge rises from 10 % to 90 % over 2.563 standard deviations.
        const double expected = 2.563 * 1.35 * radius;
        const double width = to - from;
        QVERIFY2(std::abs(width - expected) <= 0.1 * expected + 1,
                 qPrintable(
                     QStringLiteral("radius %1: ramp %2, expected %3").arg(radius).arg(width).arg(expected)));
        QVERIFY2(std::abs(centre - image.width() / 2.0) < 1.0, qPrintable(QString::number(centre)));
        QVERIFY(width > previous);
        previous = width;
    }
}

void TestBlur::matchesFullResolutionGaussian_data()
{
    QTest::addColumn<double>("radius");
    QTest::addColumn<int>("tolerance");
    // Within rounding at full resolution; a level or two more where the blur runs at reduced
    // resolution and is interpolated back up.
    QTest::newRow("full resolution") << 2.0 << 1;
    QTest::newRow("full resolution, wider") << 4.0 << 1;
    QTest::newRow("half resolution") << 6.0 << 2;
    QTest::newRow("quarter resolution") << 9.0 << 2;
    QTest::newRow("ninth resolution") << 20.0 << 2;
}

void TestBlur::matchesFullResolutionGaussian()
{
    QFETCH(double, radius);
    QFETCH(int, tolerance);
    // Hard-edged blocks of random colour with single-pixel lines: the content that shows sampling
    // errors first.
    QImage image(150, 110, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const quint32 block = quint32((x / 13) * 31 + (y / 9) * 17);
            QRandomGenerator cell(block);
            QRgb colour = qRgb(int(cell.bounded(256)), int(cell.bounded(256)), int(cell.bounded(256)));
            if (x % 11 == 0 || y % 7 == 0)
                colour = random.bounded(2) ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
            image.setPixel(x, y, colour);
        }
    const QImage fast = blurred(image, radius);
    const QImage reference = referenceBlur(image, radius);
    const int difference = largestDifference(fast, reference);
    QVERIFY2(difference <= tolerance, qPrintable(QStringLiteral("largest difference %1").arg(difference)));
}

void TestBlur::transparentNeighboursLeaveNoDarkFringe()
{
    // A red square on nothing: where its edge fades out, the colour must stay red (blurring
    // straight colour would pull the fade towards the black of the transparent pixels).
    QImage image(120, 120, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = 40; y < 80; ++y)
        for (int x = 40; x < 80; ++x)
            image.setPixel(x, y, qRgb(204, 51, 51));
    for (const double radius : {2.0, 10.0}) {
        const QImage result = blurred(image, radius);
        int probed = 0;
        for (int x = 0; x < 60; ++x) {
            const Straight s = straightAt(result, x, 60);
            if (s.a < 40 || s.a > 250)
                continue;
            ++probed;
            const int tolerance = 1 + 255 / s.a;
            QVERIFY2(
                std::abs(s.r - 216) <= tolerance && std::abs(s.g - 46) <= tolerance,
                qPrintable(
                    QStringLiteral("x %1: %2 %3 %4 alpha %5").arg(x).arg(s.r).arg(s.g).arg(s.b).arg(s.a)));
        }
        QVERIFY(probed >= 2);
        QCOMPARE(qAlpha(result.pixel(0, 0)), 0);
    }
}

void TestBlur::noBlurReturnsTheImageItself_data()
{
    QTest::addColumn<double>("radius");
    QTest::newRow("zero") << 0.0;
    QTest::newRow("negative") << -3.0;
    QTest::newRow("not a number") << std::nan("");
}

void TestBlur::noBlurReturnsTheImageItself()
{
    QFETCH(double, radius);
    const QImage image = test::solidImage(10, 10, QColor(204, 51, 51));
    const QImage result = blurred(image, radius);
    QCOMPARE(result.cacheKey(), image.cacheKey()); // no colour lift, no copy
    QVERIFY(blurred(QImage(), 5).isNull());
}

void TestBlur::keepsDensityAndAcceptsOtherFormats()
{
    QImage rgb(64, 48, QImage::Format_RGB888);
    rgb.fill(QColor(128, 128, 128));
    rgb.setDevicePixelRatio(2);
    const QImage result = blurred(rgb, 5);
    QCOMPARE(result.format(), QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(result.size(), rgb.size());
    QCOMPARE(result.devicePixelRatio(), 2.0);
    QCOMPARE(result.pixel(0, 0), qRgb(128, 128, 128));
}

QTEST_GUILESS_MAIN(TestBlur)
#include "tst_blur.moc"
