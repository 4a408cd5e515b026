#include "imaging/Blur.h"
#include "imaging/ShadowLayer.h"
#include "support/TestSupport.h"

#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <numeric>
#include <vector>

using namespace velmora;

namespace {

// The straight-alpha colour of a premultiplied pixel, with its rounding at that alpha.
QColor straightAt(const QImage& image, int x, int y)
{
    return QColor::fromRgba(qUnpremultiply(image.pixel(x, y)));
}

bool nearStraight(const QColor& s, int r, int g, int b)
{
    const int tolerance = 1 + 255 / std::max(1, s.alpha());
    return std::abs(s.red() - r) <= tolerance && std::abs(s.green() - g) <= tolerance &&
           std::abs(s.blue() - b) <= tolerance;
}

// A plain, slow Gaussian (double precision, edges extended) followed by the colour controls, to
// hold the fast path against.
QImage referenceBlur(const QImage& input, double radius)
{
    const QImage source = input.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const double sigma = radius * 1.35;
    const int reach = int(std::ceil(4 * sigma)), w = source.width(), h = source.height();
    std::vector<double> kernel, in, pass(std::size_t(w * h * 4)), out(pass.size());
    for (int k = -reach; k <= reach; ++k)
        kernel.push_back(std::exp(-0.5 * k * k / (sigma * sigma)));
    const double total = std::accumulate(kernel.begin(), kernel.end(), 0.0);
    const auto at = [&](int x, int y) {
        return std::size_t((std::clamp(y, 0, h - 1) * w + std::clamp(x, 0, w - 1)) * 4);
    };
    for (int i = 0; i < w * h; ++i) {
        const QRgb p = source.pixel(i % w, i / w);
        in.insert(in.end(), {double(qRed(p)), double(qGreen(p)), double(qBlue(p)), double(qAlpha(p))});
    }
    for (const bool vertical : {false, true})
        for (int i = 0; i < w * h * 4; ++i) {
            const int x = i / 4 % w, y = i / 4 / w;
            double sum = 0;
            for (int k = -reach; k <= reach; ++k)
                sum += kernel[std::size_t(k + reach)] / total *
                       (vertical ? pass : in)[(vertical ? at(x, y + k) : at(x + k, y)) + std::size_t(i % 4)];
            (vertical ? out : pass)[std::size_t(i)] = sum;
        }
    QImage result(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < w * h; ++i) {
        const double* p = &out[std::size_t(i * 4)];
        const double a = p[3];
        double r = p[0] / a, g = p[1] / a, b = p[2] / a;
        if (a > 0)
            ColorControls{}.apply(r, g, b);
        result.setPixel(i % w, i / w,
                        a <= 0 ? 0
                               : qRgba(int(r * a + 0.5), int(g * a + 0.5), int(b * a + 0.5), int(a + 0.5)));
    }
    return result;
}

} // namespace

class TestBlur : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void flatImageStaysFlatToItsBorders_data();
    void flatImageStaysFlatToItsBorders();
    void matchesFullResolutionGaussian_data();
    void matchesFullResolutionGaussian();
    void transparentNeighboursLeaveNoDarkFringe();
    void noBlurReturnsInputOtherwiseKeepsDensityAndFormat();
    void shadowBlurIsThreeRoundedBoxAverages_data();
    void shadowBlurIsThreeRoundedBoxAverages();
    void shadowIsBlackWithTheBlurredCoverage();
};

void TestBlur::flatImageStaysFlatToItsBorders_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("radius");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QColor>("expected"); // hand-computed colour controls, straight alpha

    // (0.8, 0.2, 0.2): luminance 0.3275; saturation 1.08 → (0.8378, 0.1898); contrast 1.03 around 0.5.
    const QColor red(204, 51, 51), redOut(216, 46, 46);
    QTest::newRow("full resolution") << QSize(61, 37) << 1.5 << red << redOut;
    QTest::newRow("reduced resolution") << QSize(300, 170) << 20.0 << red << redOut;
    QTest::newRow("radius larger than the image")
        << QSize(23, 9) << 40.0 << QColor(40, 120, 200) << QColor(32, 121, 210);
    // Mid grey is a fixed point of both controls.
    QTest::newRow("grey is kept") << QSize(128, 64) << 6.0 << QColor(128, 128, 128) << QColor(128, 128, 128);
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
    for (int i = 0; i < size.width() * size.height(); ++i)
        QVERIFY2(result.pixel(i % size.width(), i / size.width()) == result.pixel(0, 0),
                 qPrintable(QString::number(i)));
    const QColor s = straightAt(result, size.width() / 2, size.height() / 2);
    QVERIFY2(nearStraight(s, expected.red(), expected.green(), expected.blue()), qPrintable(s.name()));
    QCOMPARE(s.alpha(), expected.alpha());
}

void TestBlur::matchesFullResolutionGaussian_data()
{
    QTest::addColumn<double>("radius");
    QTest::addColumn<int>("tolerance");
    // Within rounding at full resolution; a level or two more where the blur runs at reduced
    // resolution and is interpolated back up.
    QTest::newRow("full resolution") << 2.0 << 1;
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
            QRandomGenerator cell(quint32((x / 13) * 31 + (y / 9) * 17));
            const QRgb colour = qRgb(int(cell.bounded(256)), int(cell.bounded(256)), int(cell.bounded(256)));
            const bool line = x % 11 == 0 || y % 7 == 0;
            image.setPixel(x, y, !line ? colour : random.bounded(2) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        }
    const QImage fast = blurred(image, radius), reference = referenceBlur(image, radius);
    int largest = 0;
    for (int i = 0; i < image.width() * image.height(); ++i) {
        const QRgb p = fast.pixel(i % image.width(), i / image.width());
        const QRgb q = reference.pixel(i % image.width(), i / image.width());
        largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                            std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
    }
    QVERIFY2(largest <= tolerance, qPrintable(QStringLiteral("largest difference %1").arg(largest)));
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
            const QColor s = straightAt(result, x, 60);
            if (s.alpha() < 40 || s.alpha() > 250)
                continue;
            ++probed;
            QVERIFY2(nearStraight(s, 216, 46, s.blue()),
                     qPrintable(QStringLiteral("x %1: %2 alpha %3").arg(x).arg(s.name()).arg(s.alpha())));
        }
        QVERIFY(probed >= 2);
        QCOMPARE(qAlpha(result.pixel(0, 0)), 0);
    }
}

void TestBlur::noBlurReturnsInputOtherwiseKeepsDensityAndFormat()
{
    const QImage image = test::solidImage(10, 10, QColor(204, 51, 51));
    for (const double radius : {0.0, -3.0, std::nan("")})
        QCOMPARE(blurred(image, radius).cacheKey(), image.cacheKey()); // no colour lift, no copy
    QVERIFY(blurred(QImage(), 5).isNull());

    QImage rgb(64, 48, QImage::Format_RGB888);
    rgb.fill(QColor(128, 128, 128));
    rgb.setDevicePixelRatio(2);
    const QImage result = blurred(rgb, 5);
    QCOMPARE(result.format(), QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(result.size(), rgb.size());
    QCOMPARE(result.devicePixelRatio(), 2.0);
    QCOMPARE(result.pixel(0, 0), qRgb(128, 128, 128));
}

void TestBlur::shadowBlurIsThreeRoundedBoxAverages_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("sigma");
    QTest::newRow("small sigma") << QSize(23, 17) << 0.9;
    QTest::newRow("the shadow's usual sigma") << QSize(64, 40) << 2.5;
    QTest::newRow("boxes wider than the mask") << QSize(9, 30) << 7.0;
    QTest::newRow("one row") << QSize(50, 1) << 2.0;
    QTest::newRow("one column") << QSize(1, 50) << 2.0;
}

void TestBlur::shadowBlurIsThreeRoundedBoxAverages()
{
    QFETCH(QSize, size);
    QFETCH(double, sigma);
    // A mask with hard shapes and noise, stored with padded rows.
    QImage mask(size, QImage::Format_Alpha8);
    QRandomGenerator random(5);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            mask.scanLine(y)[x] = uchar((x / 4 + y / 3) % 3 == 0 ? 255 : random.bounded(256));
        }
    }
    // Reference: the three boxes' widths from the same formula, each applied along rows and then
    // columns by the definition: the rounded mean over the window, zero outside the mask.
    const double ideal = std::sqrt(12 * sigma * sigma / 3 + 1);
    int lower = int(std::floor(ideal));
    lower -= lower % 2 == 0 ? 1 : 0;
    const double m = std::round((12 * sigma * sigma - 3 * lower * lower - 12 * lower - 9) / (-4 * lower - 4));
    std::vector<int> plane(std::size_t(size.width() * size.height()));
    const auto at = [&](int x, int y) -> int& { return plane[std::size_t(y * size.width() + x)]; };
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            at(x, y) = mask.constScanLine(y)[x];
        }
    }
    for (int i = 0; i < 3; ++i) {
        const int width = std::max(1, i < m ? lower : lower + 2);
        const int r = (width - 1) / 2;
        for (const bool rows : {true, false}) {
            const std::vector<int> before = plane;
            for (int y = 0; y < size.height(); ++y) {
                for (int x = 0; x < size.width(); ++x) {
                    int sum = 0;
                    for (int d = -r; d <= r; ++d) {
                        const int sx = rows ? x + d : x;
                        const int sy = rows ? y : y + d;
                        if (sx >= 0 && sy >= 0 && sx < size.width() && sy < size.height()) {
                            sum += before[std::size_t(sy * size.width() + sx)];
                        }
                    }
                    at(x, y) = (sum + (2 * r + 1) / 2) / (2 * r + 1);
                }
            }
        }
    }

    gaussianBlurAlpha(mask, sigma);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            QCOMPARE(int(mask.constScanLine(y)[x]), at(x, y));
        }
    }
}

void TestBlur::shadowIsBlackWithTheBlurredCoverage()
{
    ShadowLayer layer(QSize(80, 60), 3);
    QPainterPath square;
    square.addRect(20, 20, 30, 20);
    layer.addPath(square);
    const QImage mask = layer.blurredMask();
    QImage canvas(80, 60, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        // The mask is drawn as an alpha-only image: black whatever pen and brush the painter holds.
        painter.setPen(Qt::red);
        painter.setBrush(Qt::green);
        layer.paint(painter, 1.0, 0);
    }
    int shaded = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const QColor c = canvas.pixelColor(x, y);
            QCOMPARE(c.red(), c.green());
            QCOMPARE(c.green(), c.blue());
            shaded += c.red() < 255 ? 1 : 0;
        }
    }
    QVERIFY(shaded > 600);
    QCOMPARE(canvas.pixelColor(35, 30), QColor(Qt::black)); // the middle is fully covered
    QCOMPARE(canvas.pixelColor(2, 2), QColor(Qt::white));
    QVERIFY(mask.constScanLine(0)[0] == 0);
}

QTEST_GUILESS_MAIN(TestBlur)
#include "tst_blur.moc"
