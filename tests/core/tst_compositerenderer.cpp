#include "editor/BackgroundAssetStore.h"
#include "editor/CompositeRenderer.h"
#include "editor/EditorSession.h"
#include "editor/FigmaSquircle.h"
#include "editor/GradientRenderer.h"
#include "preferences/SettingsStore.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

Q_DECLARE_METATYPE(velmora::CompositeBackground)

namespace {

CompositeInputs inputs(const QImage& content)
{
    CompositeInputs in;
    in.content = content;
    in.background = Color::white();
    in.padding = 50;
    return in;
}

int luminance(const QColor& c)
{
    return (c.red() + c.green() + c.blue()) / 3;
}

// Editor sessions over a capture whose background assets are the capture itself.
struct Sessions
{
    QTemporaryDir dir;
    MemorySettingsStore settings;
    BackgroundAssetStore wallpapers{dir.path()};

    std::unique_ptr<EditorSession> make(const QImage& content, bool enabled)
    {
        return std::make_unique<EditorSession>(content, CaptureKind::region,
                                               CaptureBackgroundAssets{content, std::nullopt, 30, true},
                                               enabled, EditorSession::Services{settings, wallpapers});
    }
};

} // namespace

class TestCompositeRenderer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sizesAtDensityAndTheBound();
    void squircleCornersAreTransparentAndMasked();
    void squircleRadiusIsCapped();
    void plateWidthAtDensityTwo();
    void shadowFallsUnderTheContent();
    void anyTranslucentContentPixelBlendsOverTheBackground_data();
    void anyTranslucentContentPixelBlendsOverTheBackground();
    void shadowParametersAreCapped();
    void backgroundImageFillsKeepingAspect();
    void gradientCornersFollowTheAngle_data();
    void gradientCornersFollowTheAngle();
    void presetGradientsAreCachedBySize();
    void gradientBackgroundIsTheRenderedGradient_data();
    void gradientBackgroundIsTheRenderedGradient();
    void sessionCompositeIsCachedAndShownRuleHolds();
    void cropCompositeKeepsTheBackground();
};

void TestCompositeRenderer::sizesAtDensityAndTheBound()
{
    CompositeInputs in = inputs(test::solidImage(100, 50, Qt::blue, 2.0));
    in.maxPixels = 400 * 300;
    const QImage out = renderComposite(in);
    QCOMPARE(out.size(), QSize(400, 300));
    QCOMPARE(out.devicePixelRatio(), 2.0);
    // The content sits pixel for pixel at the margin.
    QCOMPARE(out.pixelColor(100, 100), QColor(Qt::blue));
    QCOMPARE(out.pixelColor(99, 100), QColor(Qt::white));
    // Past the pixel bound the composite is refused whole, never drawn without its content.
    in.maxPixels = 400 * 300 - 1;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("400 x 300 pixels, more than")));
    QVERIFY(renderComposite(in).isNull());
    QVERIFY(compositeSizeAllowed(QSize(16384, 16384)));
    QVERIFY(!compositeSizeAllowed(QSize(16385, 16384)));
    QVERIFY(!compositeSizeAllowed(QSize(32768, 10)));
}

void TestCompositeRenderer::squircleCornersAreTransparentAndMasked()
{
    CompositeInputs in = inputs(test::solidImage(200, 100, Qt::blue));
    in.background = Color{0, 0, 0, 0};
    in.cornerRadius = 24;
    in.shadow = 0;
    const QImage out = renderComposite(in);
    test::dump(out, QStringLiteral("composite-transparent"));
    QCOMPARE(out.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(out.pixelColor(50, 50).alpha(), 0);          // the content's own corner is cut away
    QCOMPARE(out.pixelColor(150, 100), QColor(Qt::blue)); // its middle is not
    QCOMPARE(out.pixelColor(50 + 48, 50).alpha(), 255);   // the corner curve uses 2r of each edge
}

void TestCompositeRenderer::squircleRadiusIsCapped()
{
    // A radius of 24 on a 40-high rectangle is limited to 10: the curve uses 2r = 20 of each edge.
    const QPainterPath path = FigmaSquircle::path(QRectF(0, 0, 100, 40), 24);
    QCOMPARE(path.elementAt(0).x, 0.0);
    QCOMPARE(path.elementAt(0).y, 20.0);
    QVERIFY(path.contains(QPointF(50, 1)));
    QVERIFY(!path.contains(QPointF(0.5, 0.5)));
    QCOMPARE(FigmaSquircle::path(QRectF(0, 0, 10, 10), 0).boundingRect(), QRectF(0, 0, 10, 10));
}

void TestCompositeRenderer::plateWidthAtDensityTwo()
{
    CompositeInputs in = inputs(test::solidImage(100, 50, Qt::blue, 2.0));
    in.inset = 10;
    in.cornerRadius = 0;
    in.shadow = 0;
    in.edgeColor = Color::fromRgb8(255, 0, 0);
    const QImage out = renderComposite(in);
    test::dump(out, QStringLiteral("composite-plate"));
    // Margins: padding 100 px, inset 20 px; the plate is the 20 px band around the content.
    QCOMPARE(out.size(), QSize(200 + 240, 100 + 240));
    QCOMPARE(out.pixelColor(99, 150), QColor(Qt::white));
    QCOMPARE(out.pixelColor(100, 150), QColor(Qt::red));
    QCOMPARE(out.pixelColor(119, 150), QColor(Qt::red));
    QCOMPARE(out.pixelColor(120, 150), QColor(Qt::blue));
}

void TestCompositeRenderer::shadowFallsUnderTheContent()
{
    CompositeInputs in = inputs(test::solidImage(200, 100, Qt::blue));
    in.shadow = 20;
    in.cornerRadius = 0;
    const QImage out = renderComposite(in);
    test::dump(out, QStringLiteral("composite-shadow"));
    const QColor below = out.pixelColor(150, 150 + 6); // just under the content's bottom edge
    const QColor above = out.pixelColor(150, 50 - 6);  // the same distance above its top edge
    const QColor beside = out.pixelColor(10, 100);     // far away in the padding
    QVERIFY(luminance(below) < luminance(above));
    QVERIFY(luminance(below) < 240);
    QCOMPARE(beside, QColor(Qt::white));
    // Without the shadow flag nothing darkens.
    in.drawsShadow = false;
    QCOMPARE(renderComposite(in).pixelColor(150, 156), QColor(Qt::white));
}

void TestCompositeRenderer::anyTranslucentContentPixelBlendsOverTheBackground_data()
{
    QTest::addColumn<QPoint>("pixel");
    // Content of 300 rows is scanned in bands: the one translucent pixel may sit in any of them.
    QTest::newRow("first pixel") << QPoint(0, 0);
    QTest::newRow("middle band") << QPoint(77, 150);
    QTest::newRow("last pixel") << QPoint(199, 299);
}

void TestCompositeRenderer::anyTranslucentContentPixelBlendsOverTheBackground()
{
    QFETCH(QPoint, pixel);
    QImage content = test::solidImage(200, 300, Qt::blue);
    content.setPixel(pixel, qPremultiply(qRgba(255, 0, 0, 128)));
    CompositeInputs in = inputs(content);
    in.shadow = 0;
    const QImage out = renderComposite(in);
    // Half red over the white background: opaque pink, not a hole in the picture.
    const QColor blended = out.pixelColor(pixel + QPoint(50, 50));
    QCOMPARE(blended.alpha(), 255);
    QVERIFY2(blended.red() == 255 && qAbs(blended.green() - 127) <= 1, qPrintable(blended.name()));
    QCOMPARE(out.pixelColor(QPoint(100, 100) + QPoint(50, 50)), QColor(Qt::blue));
}

void TestCompositeRenderer::shadowParametersAreCapped()
{
    const ShadowParameters seven = shadowParameters(7, 1);
    QVERIFY(qFuzzyCompare(seven.opacity, 7.0 / 24 * 0.8));
    QCOMPARE(seven.offsetPixels, 3.5);
    QCOMPARE(seven.blurPixels, 7.0);
    const ShadowParameters big = shadowParameters(48, 2);
    QCOMPARE(big.opacity, 1.0);
    QCOMPARE(big.offsetPixels, 12.0);
    QCOMPARE(shadowParameters(-5, 1).opacity, 0.0);
}

void TestCompositeRenderer::backgroundImageFillsKeepingAspect()
{
    // A tall picture, top half red and bottom half green, fills a wide canvas: the middle rows show.
    QImage picture = test::solidImage(10, 100, Qt::red);
    for (int y = 50; y < 100; ++y) {
        for (int x = 0; x < 10; ++x) {
            picture.setPixelColor(x, y, Qt::green);
        }
    }
    CompositeInputs in = inputs(test::solidImage(100, 20, Qt::blue));
    in.background = picture;
    in.padding = 10;
    in.shadow = 0;
    const QImage out = renderComposite(in);
    QCOMPARE(out.pixelColor(2, 2), QColor(Qt::red));
    QCOMPARE(out.pixelColor(2, 37), QColor(Qt::green));
}

void TestCompositeRenderer::gradientCornersFollowTheAngle_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<QPoint>("firstColourCorner");
    QTest::addColumn<QPoint>("lastColourCorner");
    // The angle is measured with y up: 45° runs from the lower left to the upper right.
    QTest::newRow("45") << 45.0 << QPoint(0, 99) << QPoint(199, 0);
    QTest::newRow("135") << 135.0 << QPoint(199, 99) << QPoint(0, 0);
}

void TestCompositeRenderer::gradientCornersFollowTheAngle()
{
    QFETCH(double, angle);
    QFETCH(QPoint, firstColourCorner);
    QFETCH(QPoint, lastColourCorner);
    const QImage g = GradientRenderer::render({Color::fromRgb8(255, 0, 0), Color::fromRgb8(0, 0, 255)},
                                              BackgroundGradientStyle::linear(angle), QSizeF(200, 100), 1);
    const QColor first = g.pixelColor(firstColourCorner);
    const QColor last = g.pixelColor(lastColourCorner);
    QVERIFY2(first.red() > 200 && first.blue() < 60, qPrintable(first.name()));
    QVERIFY2(last.blue() > 200 && last.red() < 60, qPrintable(last.name()));
}

void TestCompositeRenderer::presetGradientsAreCachedBySize()
{
    GradientRenderer::clearCache();
    const int before = GradientRenderer::renderCount();
    const QImage a = GradientRenderer::render(BackgroundGradientPreset::oceanWhisper, QSizeF(600, 400), 2);
    const QImage b = GradientRenderer::render(BackgroundGradientPreset::oceanWhisper, QSizeF(600, 400), 2);
    QCOMPARE(GradientRenderer::renderCount(), before + 1);
    QCOMPARE(a.cacheKey(), b.cacheKey());
    GradientRenderer::render(BackgroundGradientPreset::oceanWhisper, QSizeF(300, 400), 2);
    QCOMPARE(GradientRenderer::renderCount(), before + 2);
    QCOMPARE(a.size(), QSize(1200, 800));
}

void TestCompositeRenderer::gradientBackgroundIsTheRenderedGradient_data()
{
    QTest::addColumn<CompositeBackground>("background");
    QTest::addColumn<double>("padding");
    QTest::addColumn<QImage>("expected");
    const QVector<Color> auto3 = {Color::fromRgb8(250, 20, 20), Color::fromRgb8(20, 200, 40),
                                  Color::fromRgb8(10, 30, 240)};
    // 40 × 30 points at density 2 with padding 80: 400 × 380 pixels.
    QTest::newRow("automatic gradient")
        << CompositeBackground(AutoGradientBackground{auto3}) << 80.0
        << GradientRenderer::render(auto3, BackgroundGradientStyle::linear(135), QSizeF(200, 190), 2);
    QTest::newRow("preset, small enough to cache")
        << CompositeBackground(PresetGradientBackground{BackgroundGradientPreset::oceanWhisper}) << 80.0
        << GradientRenderer::render(BackgroundGradientPreset::oceanWhisper, QSizeF(200, 190), 2);
    // 1060 × 1050 points at density 2: over 16 MiB, so never cached.
    QTest::newRow("preset, too large to cache")
        << CompositeBackground(PresetGradientBackground{BackgroundGradientPreset::oceanWhisper}) << 510.0
        << GradientRenderer::render(BackgroundGradientPreset::oceanWhisper, QSizeF(1060, 1050), 2);
}

void TestCompositeRenderer::gradientBackgroundIsTheRenderedGradient()
{
    QFETCH(CompositeBackground, background);
    QFETCH(double, padding);
    QFETCH(QImage, expected);
    CompositeInputs in = inputs(test::solidImage(40, 30, Qt::black, 2.0));
    in.background = background;
    in.padding = padding;
    in.shadow = 20;
    const QImage out = renderComposite(in);
    QCOMPARE(out.size(), expected.size());
    // Every pixel of the padding away from the content and its shadow is the gradient's own.
    const int clear = int(padding) * 2 - 100;
    QVERIFY(clear > 50);
    for (int y = 0; y < out.height(); ++y) {
        const bool band = y < clear || y >= out.height() - clear;
        for (int x = 0; x < out.width(); ++x) {
            if (band || x < clear || x >= out.width() - clear) {
                QCOMPARE(out.pixel(x, y), expected.pixel(x, y));
            }
        }
    }
    QCOMPARE(out.pixelColor(out.width() / 2, out.height() / 2), QColor(Qt::black));
}

void TestCompositeRenderer::sessionCompositeIsCachedAndShownRuleHolds()
{
    Sessions sessions;
    const QImage content = test::solidImage(100, 50, Qt::blue, 2.0);
    const auto off = sessions.make(content, false);
    QCOMPARE(off->flattenedComposite().cacheKey(), off->capturedImage().cacheKey());

    const auto on = sessions.make(content, true);
    on->setBackgroundSelection(BackgroundSelection::preset(BackgroundColorPreset::charcoal));
    const QImage composite = on->flattenedComposite();
    QCOMPARE(composite.size(), on->outputPixelDimensions());
    QCOMPARE(QSizeF(composite.size()) / composite.devicePixelRatio(), on->displaySize());
    QCOMPARE(on->flattenedComposite().cacheKey(), composite.cacheKey());
    QCOMPARE(composite.pixelColor(2, 2), QColor(30, 30, 35));
    on->setContentPadding(10);
    QVERIFY(on->flattenedComposite().cacheKey() != composite.cacheKey());

    // The background warm-up fills the cache off the main thread.
    on->setContentInset(4);
    on->precomputeComposite();
    QTRY_VERIFY_WITH_TIMEOUT(on->compositeCache().has_value(), test::waitTimeout);
    QCOMPARE(on->compositeCache()->size(), on->outputPixelDimensions());
}

void TestCompositeRenderer::cropCompositeKeepsTheBackground()
{
    Sessions sessions;
    const auto s = sessions.make(test::solidImage(100, 50, Qt::blue), true);
    s->setBackgroundSelection(BackgroundSelection::preset(BackgroundColorPreset::lemon));
    s->cropComposite(QRectF(-20, -20, 80, 90)); // reaches outside: only the overlap is kept
    QVERIFY(!s->isBackgroundCompositeEnabled());
    QVERIFY(!s->backgroundAssets());
    QCOMPARE(s->capturedImage().size(), QSize(60, 70));
    QCOMPARE(s->capturedImage().pixelColor(0, 0), QColor(254, 240, 138));
    QCOMPARE(s->capturedImage().pixelColor(55, 55), QColor(Qt::blue));
}

QTEST_MAIN(TestCompositeRenderer)
#include "tst_compositerenderer.moc"
