#include "canvas/AnnotationCanvas.h"
#include "editor/CanvasArea.h"
#include "editor/EditorPills.h"
#include "support/EditorFixture.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace velmora;

// What the editor shows of the picture and its background is what is exported.

namespace {

// Smooth waves a few dozen pixels long once on screen: a blur of the export's strength keeps
// most of their contrast, one about four times stronger flattens them.
QImage wavyPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            line[x] = qRgb(int(128 + 100 * std::sin(2 * M_PI * x / 360)),
                           int(128 + 100 * std::sin(2 * M_PI * y / 300)),
                           int(128 + 60 * std::sin(2 * M_PI * (x + y) / 500)));
        }
    }
    return image;
}

int channelDifference(QRgb a, QRgb b)
{
    return std::max(
        {std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

} // namespace

class TestEditorPreview : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void canvasShowsTheExportAtAnyDensity_data();
    void canvasShowsTheExportAtAnyDensity();
    void liveBackgroundShowsTheExport_data();
    void liveBackgroundShowsTheExport();
};

void TestEditorPreview::canvasShowsTheExportAtAnyDensity_data()
{
    QTest::addColumn<double>("density");
    QTest::addColumn<double>("inset");
    QTest::addColumn<double>("corner");
    QTest::addColumn<double>("shadow");
    QTest::newRow("0.5") << 0.5 << 0.0 << 0.0 << 0.0;
    QTest::newRow("1") << 1.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("1.25") << 1.25 << 0.0 << 0.0 << 0.0;
    QTest::newRow("1.25 inset") << 1.25 << 3.0 << 0.0 << 0.0;
    QTest::newRow("1.5 inset") << 1.5 << 5.0 << 0.0 << 0.0;
    QTest::newRow("2") << 2.0 << 0.0 << 0.0 << 0.0;
    // The rounded corners and the shadow under them, with and without an inset.
    QTest::newRow("1, corners, shadow") << 1.0 << 0.0 << 18.0 << 16.0;
    QTest::newRow("1, inset, corners, shadow") << 1.0 << 8.0 << 18.0 << 16.0;
    QTest::newRow("2, inset, corners, shadow") << 2.0 << 4.0 << 18.0 << 16.0;
}

void TestEditorPreview::canvasShowsTheExportAtAnyDensity()
{
    QFETCH(double, density);
    QFETCH(double, inset);
    QFETCH(double, corner);
    QFETCH(double, shadow);
    QImage picture = test::blockPicture();
    picture.setDevicePixelRatio(density);
    test::EditorFixture f(picture,
                          {.kind = CaptureKind::window, .backgroundAssets = true, .composite = true});
    EditorSession& session = *f.session;
    session.setContentPadding(45);
    session.setContentInset(inset);
    session.setContentCornerRadius(corner);
    session.setWindowCaptureShadow(shadow);
    const Color background = Color::fromRgb8(40, 160, 90);
    session.addCustomBackgroundColor(background);
    // A one-pixel frame through the middle of content pixels, and a blur box over the blue block's
    // edge, both placed over the content as the editor places them.
    const double o = session.contentOffset();
    const auto at = [&](double x, double y) { return QPointF(o + x / density, o + y / density); };
    session.setAnnotations(
        {RectAnnotation{QUuid::createUuid(), at(150.5, 40.5), QSizeF(39, 29) / density,
                        Color::fromRgb8(255, 0, 0), 1 / density, 0, false},
         BlurAnnotation{QUuid::createUuid(), at(100, 60), QSizeF(40, 30) / density, 7 / density}});
    const QImage exported = session.renderedImage().convertToFormat(QImage::Format_ARGB32);

    // At a zoom of the capture's density one view point is one exported pixel.
    auto* canvas = f.canvas();
    canvas->setZoom(density);
    QCOMPARE(canvas->size(), exported.size());
    QImage shown(exported.size(), QImage::Format_ARGB32);
    shown.fill(background.toQColor()); // the live background behind the canvas
    canvas->render(&shown, QPoint(), QRegion(), QWidget::DrawChildren);
    test::dump(shown, QStringLiteral("editorview-density"));
    const int differing = test::differingPixels(shown, exported, 4);
    QVERIFY2(!differing, qPrintable(QStringLiteral("%1 pixels differ").arg(differing)));
    // The zoom pill reports the size that is exported.
    auto* pills = f.view->findChild<EditorPills*>();
    QVERIFY(pills);
    QVERIFY2(pills->zoomText().endsWith(QStringLiteral("%1x%2").arg(exported.width()).arg(exported.height())),
             qPrintable(pills->zoomText()));
}

void TestEditorPreview::liveBackgroundShowsTheExport_data()
{
    QTest::addColumn<QString>("background");
    QTest::addColumn<double>("blur");
    QTest::addColumn<int>("zoomSteps");
    QTest::addColumn<int>("tolerance");
    // A picture is resampled once for the screen here and twice (export, then screen) for the
    // comparison, and blurred at another resolution: a few levels of difference are expected; a
    // blur of the wrong strength differs by dozens.
    QTest::newRow("wallpaper, blurred, fitted") << "wallpaper" << 10.0 << 0 << 4;
    QTest::newRow("wallpaper, blurred, 200%") << "wallpaper" << 10.0 << 1 << 4;
    QTest::newRow("wallpaper, sharp, fitted") << "wallpaper" << 0.0 << 0 << 4;
    QTest::newRow("desktop picture, blurred, 200%") << "desktop" << 12.0 << 1 << 4;
    QTest::newRow("gradient, blurred, fitted") << "gradient" << 8.0 << 0 << 2;
    QTest::newRow("gradient, blurred, 200%") << "gradient" << 8.0 << 1 << 2;
    QTest::newRow("automatic gradient, fitted") << "auto-gradient" << 0.0 << 0 << 2;
    QTest::newRow("unreadable wallpaper") << "broken" << 5.0 << 0 << 0;
}

// The padding around the capture shows only the background, in the editor as in the export: the
// editor's pixels there must be the exported composite's, drawn at the editor's scale.
void TestEditorPreview::liveBackgroundShowsTheExport()
{
    QFETCH(QString, background);
    QFETCH(double, blur);
    QFETCH(int, zoomSteps);
    QFETCH(int, tolerance);
    // Smaller than the composite, so the fitted view scales it down.
    test::EditorFixture f(test::blockPicture(),
                          {.backgroundAssets = true, .composite = true, .windowSize = {760, 560}});
    EditorSession& session = *f.session;
    session.setWindowCaptureShadow(0);
    session.setWindowCaptureBackgroundBlur(blur);

    QTemporaryDir source;
    // As large as a desktop picture: the export blurs it in its own pixels, several times as many
    // as the screen shows even at 200%.
    const QImage waves = wavyPicture(3600, 2250);
    if (background == QLatin1String("wallpaper") || background == QLatin1String("broken")) {
        const QString path = source.filePath(QStringLiteral("wallpaper.png"));
        if (background == QLatin1String("wallpaper")) {
            QVERIFY(waves.save(path));
        } else {
            QFile broken(path);
            QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("not a picture") > 0);
        }
        session.addWallpapers({QUrl::fromLocalFile(path)});
        QCOMPARE(session.backgroundSelection().kind(), BackgroundSelection::Kind::userWallpaper);
    } else if (background == QLatin1String("desktop")) {
        session.setBackgroundAssets(CaptureBackgroundAssets{session.contentImage(), waves, 50, true});
        session.setBackgroundSelection(BackgroundSelection::desktopWallpaper());
    } else if (background == QLatin1String("gradient")) {
        session.setBackgroundSelection(BackgroundSelection::gradient(BackgroundGradientPreset::purpleWave));
    } else {
        session.setBackgroundSelection(BackgroundSelection::autoGradient());
    }
    auto* area = qobject_cast<CanvasArea*>(f.canvas()->parentWidget());
    QVERIFY(area);
    for (int i = 0; i < zoomSteps; ++i) {
        f.view->zoomIn();
    }
    if (zoomSteps > 0) {
        // Zoomed in, the capture fills the view: pan to the composite's top-left corner.
        const QPoint centre = area->rect().center();
        QWheelEvent wheel(centre, area->mapToGlobal(centre), QPoint(), QPoint(4000, 4000), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(area, &wheel);
    }
    QApplication::processEvents();

    const CanvasLayout layout = area->layout();
    QVERIFY(zoomSteps > 0 ? layout.scale > 1.5 : layout.scale < 0.95);
    const QRectF composite(QPointF(f.canvas()->pos()), layout.pictureRect.size());
    const QImage shown = area->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage exported = session.flattenedComposite();
    QImage expected(shown.size(), QImage::Format_ARGB32);
    expected.fill(Qt::transparent);
    {
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        QImage pixels = exported;
        pixels.setDevicePixelRatio(1);
        painter.drawImage(composite, pixels);
    }
    test::dump(shown, QStringLiteral("live-background"));
    test::dump(expected, QStringLiteral("live-background-export"));

    // Only the padding: away from the capture and its rounded corners, and from the pills.
    const double offset = session.contentOffset() * layout.scale;
    const QRectF content = QRectF(composite.topLeft() + QPointF(offset, offset),
                                  pointSize(session.contentImage()) * layout.scale)
                               .adjusted(-2, -2, 2, 2);
    const QRect pills = f.view->findChild<EditorPills*>()->geometry();
    int compared = 0;
    int differing = 0;
    int worst = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QPointF centre(x + 0.5, y + 0.5);
            if (!composite.adjusted(1, 1, -1, -1).contains(centre) || content.contains(centre) ||
                pills.contains(x, y)) {
                continue;
            }
            const int difference = channelDifference(shown.pixel(x, y), expected.pixel(x, y));
            ++compared;
            differing += difference > tolerance;
            worst = std::max(worst, difference);
        }
    }
    QVERIFY2(compared > 5000, qPrintable(QString::number(compared)));
    QVERIFY2(
        !differing,
        qPrintable(
            QStringLiteral("%1 of %2 pixels differ, by up to %3").arg(differing).arg(compared).arg(worst)));
}

QTEST_MAIN(TestEditorPreview)
#include "tst_editorpreview.moc"
