#include "annotation/AnnotationGeometry.h"
#include "editor/BackgroundAssetStore.h"
#include "editor/EditorSession.h"
#include "preferences/SettingsStore.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {

bool writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

CaptureBackgroundAssets assetsFor(const QImage& image)
{
    return {image, std::nullopt, 30, true};
}

// A fresh session over a settings file and a wallpaper folder of its own.
struct Fixture
{
    QTemporaryDir dir;
    FileSettingsStore settings{dir.filePath(QStringLiteral("Velmora.conf"))};
    BackgroundAssetStore wallpapers{dir.filePath(QStringLiteral("wallpapers"))};

    std::unique_ptr<EditorSession> session(const QImage& image, CaptureKind kind = CaptureKind::region,
                                           bool withAssets = false, bool enabled = false)
    {
        return std::make_unique<EditorSession>(image, kind,
                                               withAssets ? std::optional(assetsFor(image)) : std::nullopt,
                                               enabled, EditorSession::Services{settings, wallpapers});
    }
};

} // namespace

class TestEditorSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void settingsRoundTripThroughTheFile();
    void wrongTypedAndCorruptValuesGiveDefaults();
    void outOfRangeValuesAreHeldToTheSliders();
    void wallpaperChoiceSurvivesARestart_data();
    void wallpaperChoiceSurvivesARestart();
    void undoRedoAndRedoClearing();
    void paddingMovesAnnotationsOnlyWhenCompositeShows();
    void undoRestoresAnnotationsExactlyAsRecorded();
    void toggleComposite();
    void displayAndOutputSizesAgree();
    void cropCutsPixelsAndFiltersAnnotations();
    void hoveredColorAndHex();
    void compositeCacheRejectsStaleRenders();
    void releaseHeavyAssets();
};

void TestEditorSession::settingsRoundTripThroughTheFile()
{
    Fixture f;
    const QImage image = test::solidImage(100, 80, Qt::white);
    QString customId;
    {
        auto window = f.session(image, CaptureKind::window);
        // A fresh window editor stores its normalised background choice at once, so the next start
        // and the command line read the same one.
        QCOMPARE(f.settings.string(QStringLiteral("window.backgroundSelection")),
                 std::optional<QString>(QStringLiteral("desktop-wallpaper")));
        window->setStrokeWidth(4);
        window->setTextStyle(TextStyle::roundedBox);
        window->setContentPadding(70);
        window->setWindowCaptureShadow(12);
        window->setWindowCaptureBackgroundBlur(3);
        customId = window->addCustomBackgroundColor(Color::fromRgb8(10, 20, 30));
        f.settings.sync();
    }
    FileSettingsStore reopened(f.settings.path());
    EditorSession window(image, CaptureKind::window, std::nullopt, false, {reopened, f.wallpapers});
    QCOMPARE(window.strokeWidth(), 4.0);
    QCOMPARE(window.textStyle(), TextStyle::roundedBox);
    QCOMPARE(window.contentPadding(), 70.0);
    QCOMPARE(window.windowCaptureBackgroundBlur(), 3.0);
    QCOMPARE(window.backgroundSelection(), BackgroundSelection::customColor(customId));
    QCOMPARE(window.customBackgroundColors().size(), 2);
    QCOMPARE(window.customBackgroundColors().last().color(), Color::fromRgb8(10, 20, 30));
    // The shadow is shared by both kinds; the padding is not.
    EditorSession region(image, CaptureKind::region, std::nullopt, false, {reopened, f.wallpapers});
    QCOMPARE(region.windowCaptureShadow(), 12.0);
    QCOMPARE(region.contentPadding(), 50.0);
    QCOMPARE(region.strokeWidth(), 8.0);
}

void TestEditorSession::wrongTypedAndCorruptValuesGiveDefaults()
{
    Fixture f;
    QVERIFY(writeFile(f.settings.path(),
                      "[General]\n"
                      "region.strokeWidth=thick\n"
                      "region.textStyle=comic\n"
                      "region.contentPadding=@ByteArray(12)\n"
                      "region.customBackgroundColors=@ByteArray([{\"id\":\"a\",\"red\":1}])\n"
                      "region.backgroundSelection=user-wallpaper:gone.png\n"
                      "region.backgroundShadow=3\n"));
    FileSettingsStore settings(f.settings.path());
    EditorSession s(test::solidImage(10, 10, Qt::red), CaptureKind::region, std::nullopt, false,
                    {settings, f.wallpapers});
    QCOMPARE(s.strokeWidth(), 8.0);
    QCOMPARE(s.textStyle(), TextStyle::standard);
    QCOMPARE(s.contentPadding(), 50.0);
    QCOMPARE(s.customBackgroundColors(), QVector<BackgroundColorItem>{defaultCustomColorItem()});
    // The per-kind shadow is read when no shared value exists.
    QCOMPARE(s.windowCaptureShadow(), 3.0);
    // A wallpaper that is not in the folder is found gone once the folder has been read.
    QCOMPARE(s.backgroundSelection(), BackgroundSelection::userWallpaper(QStringLiteral("gone.png")));
    s.requestUserWallpapersIfNeeded();
    QTRY_VERIFY_WITH_TIMEOUT(s.hasUserWallpaperList(), test::waitTimeout);
    QCOMPARE(s.backgroundSelection(), BackgroundSelection::desktopWallpaper());
}

// A settings file edited by hand (or by a hostile program) cannot make the editor allocate an
// enormous composite: every number is held to the range its slider offers, on reading and on setting.
void TestEditorSession::outOfRangeValuesAreHeldToTheSliders()
{
    Fixture f;
    QVERIFY(writeFile(f.settings.path(), "[General]\n"
                                         "region.contentPadding=1e300\n"
                                         "region.contentInset=-5\n"
                                         "region.contentCornerRadius=1e9\n"
                                         "region.strokeWidth=0\n"
                                         "region.fontSize=100000\n"
                                         "region.blurRadius=1e-300\n"
                                         "region.backgroundBlur=inf\n"
                                         "shared.backgroundShadow=1e300\n"));
    FileSettingsStore settings(f.settings.path());
    EditorSession s(test::solidImage(40, 30, Qt::red), CaptureKind::region,
                    CaptureBackgroundAssets{test::solidImage(40, 30, Qt::red), std::nullopt, 50, true}, true,
                    {settings, f.wallpapers});
    QCOMPARE(s.contentPadding(), 100.0);
    QCOMPARE(s.contentInset(), 0.0);
    QCOMPARE(s.contentCornerRadius(), 40.0);
    QCOMPARE(s.strokeWidth(), 1.0);
    QCOMPARE(s.fontSize(), 64.0);
    QCOMPARE(s.blurRadius(), 2.0);
    QVERIFY(s.windowCaptureBackgroundBlur() >= 0 && s.windowCaptureBackgroundBlur() <= 40);
    QCOMPARE(s.windowCaptureShadow(), 40.0);
    QCOMPARE(s.renderedImage().size(), QSize(40 + 200, 30 + 200));

    s.setContentPadding(1e300);
    s.setWindowCaptureShadow(-1);
    s.setContentInset(std::nan(""));
    QCOMPARE(s.contentPadding(), 100.0);
    QCOMPARE(s.windowCaptureShadow(), 0.0);
    QCOMPARE(s.contentInset(), 0.0);
    QCOMPARE(settings.number(QStringLiteral("region.contentPadding")), std::optional(100.0));
    QCOMPARE(settings.number(QStringLiteral("shared.backgroundShadow")), std::optional(0.0));
}

void TestEditorSession::wallpaperChoiceSurvivesARestart_data()
{
    QTest::addColumn<bool>("fileKept");
    QTest::newRow("wallpaper still there") << true;
    QTest::newRow("wallpaper deleted between runs") << false;
}

// Each run has its own settings file reader and its own wallpaper store, which reads the folder in
// the background after the first editor has opened, as at a real start.
void TestEditorSession::wallpaperChoiceSurvivesARestart()
{
    QFETCH(bool, fileKept);
    test::IsolatedHome home;
    const QString settingsPath = FileSettingsStore::defaultPath();
    const QString folder = BackgroundAssetStore::defaultFolder();
    const QColor sky(60, 140, 230);
    const QString source = home.path() + QStringLiteral("/sky.png");
    QVERIFY(test::solidImage(64, 48, sky).save(source));
    const QImage content = test::solidImage(100, 80, Qt::white);
    const auto storedSelection = [&] {
        return FileSettingsStore(settingsPath).string(QStringLiteral("region.backgroundSelection"));
    };

    QString id;
    {
        FileSettingsStore settings(settingsPath);
        BackgroundAssetStore wallpapers(folder);
        EditorSession first(content, CaptureKind::region, assetsFor(content), true, {settings, wallpapers});
        first.addWallpapers({QUrl::fromLocalFile(source)});
        id = first.backgroundSelection().itemId();
        QCOMPARE(first.backgroundSelection(), BackgroundSelection::userWallpaper(id));
        settings.sync();
    }
    QCOMPARE(storedSelection(), std::optional(QStringLiteral("user-wallpaper:") + id));
    if (!fileKept) {
        QVERIFY(QFile::remove(QDir(folder).filePath(id)));
    }

    FileSettingsStore settings(settingsPath);
    BackgroundAssetStore wallpapers(folder);
    EditorSession second(content, CaptureKind::region, assetsFor(content), true, {settings, wallpapers});
    QVERIFY(!second.hasUserWallpaperList());
    QCOMPARE(second.backgroundSelection(), BackgroundSelection::userWallpaper(id));
    settings.sync();
    QCOMPARE(storedSelection(), std::optional(QStringLiteral("user-wallpaper:") + id));

    second.requestUserWallpapersIfNeeded();
    QTRY_VERIFY_WITH_TIMEOUT(second.hasUserWallpaperList(), test::waitTimeout);
    const BackgroundSelection expected =
        fileKept ? BackgroundSelection::userWallpaper(id) : BackgroundSelection::desktopWallpaper();
    QCOMPARE(second.backgroundSelection(), expected);
    settings.sync();
    QCOMPARE(storedSelection(), std::optional(expected.persistenceValue()));
    // The export draws the wallpaper, or without it (and without a desktop picture) white.
    const QImage composite = second.flattenedComposite();
    QCOMPARE(composite.pixelColor(4, 4), fileKept ? sky : QColor(Qt::white));
}

void TestEditorSession::undoRedoAndRedoClearing()
{
    Fixture f;
    auto s = f.session(test::solidImage(50, 50, Qt::white));
    s->undo();
    QVERIFY(!s->canUndo() && !s->canRedo());

    const AnnotationList first{test::rect(1, 1)};
    s->pushUndo();
    s->setAnnotations(first);
    s->pushUndo();
    s->setAnnotations({test::rect(2, 2)});
    s->undo();
    QCOMPARE(s->annotations(), first);
    QVERIFY(s->canRedo());
    s->redo();
    QCOMPARE(std::get<RectAnnotation>(s->annotations()[0]).origin, QPointF(2, 2));
    s->undo();
    s->pushUndo();
    QVERIFY(!s->canRedo());
}

void TestEditorSession::paddingMovesAnnotationsOnlyWhenCompositeShows()
{
    Fixture f;
    const QImage image = test::solidImage(100, 100, Qt::white);
    auto shown = f.session(image, CaptureKind::region, true, true);
    shown->setAnnotations({test::rect(60, 60), test::arrow({60, 60}, {90, 90})});
    shown->setContentPadding(60);
    QCOMPARE(std::get<RectAnnotation>(shown->annotations()[0]).origin, QPointF(70, 70));
    QCOMPARE(std::get<ArrowAnnotation>(shown->annotations()[1]).endPoint, QPointF(100, 100));
    shown->setContentInset(5);
    QCOMPARE(std::get<RectAnnotation>(shown->annotations()[0]).origin, QPointF(75, 75));

    auto hidden = f.session(image, CaptureKind::region, true, false);
    hidden->setAnnotations({test::rect(60, 60)});
    hidden->setContentPadding(80);
    QCOMPARE(std::get<RectAnnotation>(hidden->annotations()[0]).origin, QPointF(60, 60));
    // Enabled but with nothing to compose: nothing is shown, so nothing moves.
    auto noAssets = f.session(image, CaptureKind::window, false, true);
    noAssets->setAnnotations({test::rect(60, 60)});
    noAssets->setContentPadding(90);
    QCOMPARE(std::get<RectAnnotation>(noAssets->annotations()[0]).origin, QPointF(60, 60));
}

void TestEditorSession::undoRestoresAnnotationsExactlyAsRecorded()
{
    Fixture f;
    auto s = f.session(test::solidImage(100, 100, Qt::white), CaptureKind::region, true, true);
    const AnnotationList recorded{test::rect(70, 70)};
    s->setAnnotations(recorded);
    s->pushUndo(); // padding 50 with the rectangle at (70, 70)
    s->setContentPadding(80);
    QCOMPARE(std::get<RectAnnotation>(s->annotations()[0]).origin, QPointF(100, 100));
    s->undo();
    QCOMPARE(s->contentPadding(), 50.0);
    QCOMPARE(s->annotations(), recorded);
    QCOMPARE(f.settings.number(QStringLiteral("region.contentPadding")), std::optional(50.0));
    s->redo();
    QCOMPARE(s->contentPadding(), 80.0);
    QCOMPARE(std::get<RectAnnotation>(s->annotations()[0]).origin, QPointF(100, 100));
}

void TestEditorSession::toggleComposite()
{
    Fixture f;
    // A region capture without a background gets one made when the composite is first asked for.
    auto region = f.session(test::solidImage(100, 100, Qt::white));
    region->setAnnotations({test::rect(10, 10)});
    region->toggleBackgroundComposite();
    QVERIFY(region->isBackgroundCompositeEnabled());
    QVERIFY(region->backgroundAssets());
    QCOMPARE(region->backgroundAssets()->padding, 30.0);
    QVERIFY(region->backgroundAssets()->drawsShadow);
    QCOMPARE(std::get<RectAnnotation>(region->annotations()[0]).origin, QPointF(60, 60));
    region->toggleBackgroundComposite();
    QCOMPARE(std::get<RectAnnotation>(region->annotations()[0]).origin, QPointF(10, 10));
}

void TestEditorSession::displayAndOutputSizesAgree()
{
    Fixture f;
    const QImage retina = test::solidImage(100, 60, Qt::white, 2.0);
    auto s = f.session(retina, CaptureKind::region, true, true);
    s->setContentPadding(20.25);
    // 2 × 20.25 = 40.5 rounds away from zero to 41 pixels on each side, which are 20.5 points.
    QCOMPARE(s->outputPixelDimensions(), QSize(200 + 82, 120 + 82));
    QCOMPARE(s->displaySize(), QSizeF(141, 101));
    QCOMPARE(s->contentOffset(), 20.5);
    s->setBackgroundCompositeEnabled(false);
    QCOMPARE(s->displaySize(), QSizeF(100, 60));
    QCOMPARE(s->outputPixelDimensions(), QSize(200, 120));
    // Enabled without assets shows no composite anywhere.
    auto bare = f.session(retina, CaptureKind::window, false, true);
    QCOMPARE(bare->displaySize(), QSizeF(100, 60));
    QCOMPARE(bare->outputPixelDimensions(), QSize(200, 120));
}

void TestEditorSession::cropCutsPixelsAndFiltersAnnotations()
{
    Fixture f;
    QImage image = test::solidImage(100, 100, Qt::white, 2.0);
    image.setPixelColor(60, 60, Qt::red); // point (30, 30)
    auto s = f.session(image);
    const auto inside = test::rect(40, 40, 100, 100);
    s->setAnnotations({inside, test::arrow({0, 0}, {5, 5})});
    // Outside the image nothing is cut, and no background is made.
    const qint64 before = s->capturedImage().cacheKey();
    s->crop(QRectF(200, 200, 10, 10));
    QCOMPARE(s->capturedImage().cacheKey(), before);
    QVERIFY(!s->backgroundAssets());
    QCOMPARE(s->annotations().size(), 2);
    s->crop(QRectF(30, 30, 50.2, 40));
    QCOMPARE(s->capturedImage().size(), QSize(101, 80)); // rounded outward to whole pixels
    QCOMPARE(s->capturedImage().devicePixelRatio(), 2.0);
    QCOMPARE(s->capturedImage().pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(s->annotations().size(), 1);
    QCOMPARE(std::get<RectAnnotation>(s->annotations()[0]).origin, QPointF(10, 10));
    QCOMPARE(std::get<RectAnnotation>(s->annotations()[0]).size, inside.size);
    QVERIFY(s->backgroundAssets());
    QCOMPARE(s->backgroundSelection(), BackgroundSelection::preset(BackgroundColorPreset::white));
}

void TestEditorSession::hoveredColorAndHex()
{
    Fixture f;
    QImage image = test::solidImage(10, 10, QColor(255, 0, 0));
    image.setPixelColor(9, 0, QColor::fromRgbF(0.999f, 0, 0));
    auto s = f.session(image);
    s->sampleColor({0.5, 0.5});
    QCOMPARE(s->hoveredHex(), std::optional<QString>(QStringLiteral("#FF0000")));
    s->setHoveredColor(Color{0.999, 0, 0, 1});
    QCOMPARE(s->hoveredHex(), std::optional<QString>(QStringLiteral("#FE0000")));
    s->sampleColor({10, 5}); // exactly at the right edge
    QCOMPARE(s->hoveredColor(), std::nullopt);
    QCOMPARE(s->hoveredHex(), std::nullopt);
    s->sampleColor({-0.5, 5});
    QCOMPARE(s->hoveredColor(), std::nullopt);
}

void TestEditorSession::compositeCacheRejectsStaleRenders()
{
    Fixture f;
    auto s = f.session(test::solidImage(10, 10, Qt::white), CaptureKind::region, true, true);
    const quint64 started = s->compositeGeneration();
    s->setContentCornerRadius(3); // an input changes while a render runs
    QVERIFY(!s->storeCompositeCache(test::solidImage(1, 1, Qt::red), started));
    QVERIFY(!s->compositeCache());
    QVERIFY(s->storeCompositeCache(test::solidImage(1, 1, Qt::red), s->compositeGeneration()));
    QVERIFY(s->compositeCache());
    s->setBackgroundSelection(BackgroundSelection::transparent());
    QVERIFY(!s->compositeCache());
}

void TestEditorSession::releaseHeavyAssets()
{
    Fixture f;
    auto s = f.session(test::solidImage(10, 10, Qt::white), CaptureKind::region, true, true);
    s->setAnnotations({test::rect(1, 1)});
    s->pushUndo();
    s->releaseHeavyAssets();
    QVERIFY(s->capturedImage().isNull());
    QVERIFY(!s->backgroundAssets());
    QVERIFY(s->annotations().isEmpty());
    QVERIFY(!s->canUndo() && !s->canRedo());
}

QTEST_MAIN(TestEditorSession)
#include "tst_editorsession.moc"
