#include "canvas/AnnotationCanvas.h"
#include "editor/CanvasArea.h"
#include "editor/EditorPills.h"
#include "editor/EditorToolState.h"
#include "sidebar/ImageEditorSidebar.h"
#include "support/EditorFixture.h"
#include "support/TestSupport.h"
#include "toolbar/AnnotationToolbar.h"
#include "toolbar/HoverableToolbarIcon.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace velmora;

namespace {

QImage samplePicture()
{
    QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.fillRect(20, 20, 100, 80, Qt::blue);
    p.fillRect(200, 150, 150, 100, Qt::green);
    return image;
}

// A region capture that could show the composite, unless a test asks otherwise.
struct Fixture : test::EditorFixture
{
    explicit Fixture(const Options& options = {.backgroundAssets = true},
                     const QImage& image = samplePicture())
        : EditorFixture(image, options)
    {}
};

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

class TestEditorView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void letterKeysPickTools_data();
    void letterKeysPickTools();
    void undoStepsThroughTypingFirst();
    void clipboardKeysEditTheText();
    void zoomStaysInRangeAndStepsWhole();
    void hostRequestsFromKeys();
    void returnCommitsOnlyALargeEnoughCrop();
    void escapeClearsTheCropBeforeClosing();
    void deleteAndSelectAll();
    void compositeKeyTogglesTheSidebar();
    void compositeKeyIgnoresBareWindowCaptures();
    void toolKeysWorkWithTheSidebarOpen_data();
    void toolKeysWorkWithTheSidebarOpen();
    void canvasShowsTheExportAtAnyDensity_data();
    void canvasShowsTheExportAtAnyDensity();
    void liveBackgroundShowsTheExport_data();
    void liveBackgroundShowsTheExport();
};

void TestEditorView::letterKeysPickTools_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("tool");
    QTest::newRow("A") << int(Qt::Key_A) << int(AnnotationTool::arrow);
    QTest::newRow("T") << int(Qt::Key_T) << int(AnnotationTool::text);
    QTest::newRow("R") << int(Qt::Key_R) << int(AnnotationTool::rect);
    QTest::newRow("E") << int(Qt::Key_E) << int(AnnotationTool::ellipse);
    QTest::newRow("D") << int(Qt::Key_D) << int(AnnotationTool::draw);
    QTest::newRow("B") << int(Qt::Key_B) << int(AnnotationTool::blur);
    QTest::newRow("V") << int(Qt::Key_V) << int(AnnotationTool::select);
    QTest::newRow("C") << int(Qt::Key_C) << int(AnnotationTool::crop);
}

void TestEditorView::letterKeysPickTools()
{
    QFETCH(int, key);
    QFETCH(int, tool);
    Fixture f;
    f.state().setCropRect(QRectF(0, 0, 50, 50));
    f.state().setSelectedTool(AnnotationTool::select);
    QTest::keyClick(f.canvas(), Qt::Key(key));
    QCOMPARE(int(f.state().selectedTool()), tool);
    if (AnnotationTool(tool) != AnnotationTool::crop) {
        QVERIFY(!f.state().cropRect());
    }
}

// Ctrl+Z while typing takes back the typing; only an empty field history lets it reach the
// editor's undo, which removes the new text.
void TestEditorView::undoStepsThroughTypingFirst()
{
    Fixture f;
    QWidget* field = f.startText({150, 120});
    QVERIFY(field);
    const auto typed = [&f] {
        const auto& annotations = f.session->annotations();
        return annotations.size() == 1 ? std::get<TextAnnotation>(annotations[0]).text
                                       : QStringLiteral("<gone>");
    };
    QTest::keyClicks(field, QStringLiteral("Hello"));
    QTest::keyClick(field, Qt::Key_Left);
    QTest::keyClicks(field, QStringLiteral("abc"));
    QCOMPARE(typed(), QStringLiteral("Hellabco"));

    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(typed(), QStringLiteral("Hello"));
    QVERIFY(f.canvas()->isEditingText());
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(typed(), QStringLiteral("Hellabco"));
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(typed(), QString());
    QVERIFY(f.canvas()->isEditingText());
    QCOMPARE(QApplication::focusWidget(), field);
    // Letters still type: the field kept the keyboard.
    QTest::keyClick(field, Qt::Key_R);
    QCOMPARE(typed(), QStringLiteral("r"));
    QCOMPARE(f.state().selectedTool(), AnnotationTool::text);
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(typed(), QString());

    // The field has nothing left to undo: the editor's undo removes the text it created.
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!f.canvas()->isEditingText(), test::waitTimeout);
    QVERIFY(f.session->annotations().empty());
}

// Copying, cutting and pasting inside the field edit the text; they neither copy the picture
// nor close the editor.
void TestEditorView::clipboardKeysEditTheText()
{
    Fixture f;
    QSignalSpy copy(f.view.get(), &EditorView::copyRequested);
    QWidget* field = f.startText({150, 120});
    QVERIFY(field);
    QTest::keyClicks(field, QStringLiteral("one two"));
    QTest::keyClick(field, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Home);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);

    QCOMPARE(copy.count(), 0);
    QVERIFY(f.canvas()->isEditingText());
    QCOMPARE(f.session->annotations().size(), size_t(1));
    QCOMPARE(std::get<TextAnnotation>(f.session->annotations()[0]).text, QStringLiteral("twoone twoone "));
}

// Ctrl with the wheel zooms as well: the drag-cursor test sends real wheel events through the window.
void TestEditorView::zoomStaysInRangeAndStepsWhole()
{
    Fixture f;
    QTest::keyClick(f.canvas(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(f.view->zoom().percent(), 100.0);
    for (int i = 0; i < 12; ++i) {
        QTest::keyClick(f.canvas(), Qt::Key_Equal, Qt::ControlModifier);
    }
    QCOMPARE(f.view->zoom().percent(), 1000.0);
    QTest::keyClick(f.canvas(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(f.view->zoom().percent(), 100.0);

    // A touchpad total of 25 is 2.5 steps; the half step waits for the rest of its gesture.
    EditorZoom zoom;
    QVERIFY(zoom.scroll(0, 10, true));
    QVERIFY(!zoom.scroll(0, 5, true));
    QVERIFY(zoom.scroll(0, 10, true));
    QCOMPARE(zoom.percent(), 300.0);
    QCOMPARE(zoom.accumulator(), 0.5);
    zoom.endScrollGesture();
    QCOMPARE(zoom.accumulator(), 0.0);
    // The larger of the two deltas counts: a sideways notch of -2 outweighs +1 down.
    zoom.scroll(-2, 1, false);
    QCOMPARE(zoom.percent(), 100.0);
    // The zoom pill shows whole percents.
    QCOMPARE(EditorPills::zoomLabel(250.9, QSize(1920, 1080)), QStringLiteral("250% · 1920x1080"));
}

void TestEditorView::hostRequestsFromKeys()
{
    Fixture f;
    QSignalSpy copy(f.view.get(), &EditorView::copyRequested);
    QSignalSpy save(f.view.get(), &EditorView::saveRequested);
    QSignalSpy saveAs(f.view.get(), &EditorView::saveAsRequested);
    QSignalSpy pin(f.view.get(), &EditorView::pinRequested);
    QSignalSpy close(f.view.get(), &EditorView::closeRequested);
    QTest::keyClick(f.canvas(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(f.canvas(), Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(f.canvas(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(f.canvas(), Qt::Key_P, Qt::ControlModifier);
    QTest::keyClick(f.canvas(), Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(copy.size(), 1);
    QCOMPARE(save.size(), 1);
    QCOMPARE(saveAs.size(), 1);
    QCOMPARE(pin.size(), 1);
    QCOMPARE(close.size(), 1);
    // A changed save shortcut moves the save key.
    f.hotkeys.set(Hotkey{2, Hotkey::command}, HotkeyPreferences::Action::saveToDisk); // Ctrl+D
    QTest::keyClick(f.canvas(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(save.size(), 1);
    QTest::keyClick(f.canvas(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(save.size(), 2);
    // Tab copies the hovered colour's hex.
    QSignalSpy hex(f.view.get(), &EditorView::copyHexRequested);
    f.session->sampleColor({70, 60});
    QTest::keyClick(f.canvas(), Qt::Key_Tab);
    QCOMPARE(hex.size(), 1);
    QCOMPARE(hex.first().first().toString(), QStringLiteral("#0000FF"));
}

void TestEditorView::returnCommitsOnlyALargeEnoughCrop()
{
    Fixture f;
    f.session->setAnnotations({test::rect(10, 10, 50, 40)});
    f.state().setSelectedAnnotationIds({annotationId(f.session->annotations()[0])});
    f.state().setCropRect(QRectF(10, 10, 5, 100));
    QTest::keyClick(f.canvas(), Qt::Key_Return);
    QCOMPARE(f.session->capturedImage().size(), QSize(400, 300));
    QVERIFY(f.state().selectedAnnotationIds().isEmpty());

    f.state().setCropRect(QRectF(10, 10, 6, 100));
    QTest::keyClick(f.canvas(), Qt::Key_Return);
    QCOMPARE(f.session->capturedImage().size(), QSize(6, 100));
    QVERIFY(!f.state().cropRect());
    QCOMPARE(f.state().selectedTool(), AnnotationTool::arrow);
    QVERIFY(f.session->canUndo());
    QTest::keyClick(f.canvas(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.session->capturedImage().size(), QSize(400, 300));
}

void TestEditorView::escapeClearsTheCropBeforeClosing()
{
    Fixture f;
    QSignalSpy close(f.view.get(), &EditorView::closeRequested);
    f.state().setCropRect(QRectF(10, 10, 50, 50));
    QTest::keyClick(f.canvas(), Qt::Key_Escape);
    QVERIFY(!f.state().cropRect());
    QCOMPARE(close.size(), 0);
    QTest::keyClick(f.canvas(), Qt::Key_Escape);
    QCOMPARE(close.size(), 1);
}

void TestEditorView::deleteAndSelectAll()
{
    Fixture f;
    f.session->setAnnotations(
        {test::rect(10, 10, 50, 40), test::rect(100, 100, 50, 40), test::rect(200, 10, 50, 40)});
    QTest::keyClick(f.canvas(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(f.state().selectedAnnotationIds().size(), 3);
    f.state().setSelectedAnnotationIds({annotationId(f.session->annotations()[1])});
    QTest::keyClick(f.canvas(), Qt::Key_Delete);
    QCOMPARE(f.session->annotations().size(), 2);
    QCOMPARE(std::get<RectAnnotation>(f.session->annotations()[1]).origin, QPointF(200, 10));
    QTest::keyClick(f.canvas(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.session->annotations().size(), 3);
}

void TestEditorView::compositeKeyTogglesTheSidebar()
{
    Fixture f;
    QVERIFY(!f.view->isSidebarVisible());
    QTest::keyClick(f.canvas(), Qt::Key_G);
    QVERIFY(f.session->isCompositeShown());
    QVERIFY(f.view->isSidebarVisible());
    QTRY_COMPARE_WITH_TIMEOUT(f.view->sidebar()->parentWidget()->width(), 250, test::waitTimeout);
    QTest::keyClick(f.canvas(), Qt::Key_G);
    QVERIFY(!f.view->isSidebarVisible());
    QTRY_COMPARE_WITH_TIMEOUT(f.view->sidebar()->parentWidget()->width(), 0, test::waitTimeout);
}

void TestEditorView::compositeKeyIgnoresBareWindowCaptures()
{
    Fixture f({.kind = CaptureKind::window});
    QTest::keyClick(f.canvas(), Qt::Key_G);
    QVERIFY(!f.session->isBackgroundCompositeEnabled());
    QVERIFY(!f.view->isSidebarVisible());
}

void TestEditorView::toolKeysWorkWithTheSidebarOpen_data()
{
    QTest::addColumn<int>("firstKey");
    QTest::addColumn<int>("firstTool");
    QTest::addColumn<int>("lastKey");
    QTest::addColumn<int>("lastTool");
    QTest::newRow("T, G, V") << int(Qt::Key_T) << int(AnnotationTool::text) << int(Qt::Key_V)
                             << int(AnnotationTool::select);
    QTest::newRow("V, G, T") << int(Qt::Key_V) << int(AnnotationTool::select) << int(Qt::Key_T)
                             << int(AnnotationTool::text);
    QTest::newRow("A, G, R") << int(Qt::Key_A) << int(AnnotationTool::arrow) << int(Qt::Key_R)
                             << int(AnnotationTool::rect);
}

void TestEditorView::toolKeysWorkWithTheSidebarOpen()
{
    QFETCH(int, firstKey);
    QFETCH(int, firstTool);
    QFETCH(int, lastKey);
    QFETCH(int, lastTool);
    Fixture f;
    f.view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.view.get()));
    // Each key goes where the keyboard really is: the focused widget, else the active window.
    const auto press = [](int key) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : QApplication::activeWindow(), Qt::Key(key));
    };
    press(firstKey);
    QVERIFY(f.view->toolbar()->toolButton(AnnotationTool(firstTool))->isSelected());
    press(Qt::Key_G);
    QVERIFY(f.view->isSidebarVisible());
    QTRY_COMPARE_WITH_TIMEOUT(f.view->sidebar()->parentWidget()->width(), 250, test::waitTimeout);
    press(lastKey);
    QCOMPARE(int(f.state().selectedTool()), lastTool);
    QVERIFY(f.view->toolbar()->toolButton(AnnotationTool(lastTool))->isSelected());
    QVERIFY(!f.view->toolbar()->toolButton(AnnotationTool(firstTool))->isSelected());
}

void TestEditorView::canvasShowsTheExportAtAnyDensity_data()
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

void TestEditorView::canvasShowsTheExportAtAnyDensity()
{
    QFETCH(double, density);
    QFETCH(double, inset);
    QFETCH(double, corner);
    QFETCH(double, shadow);
    QImage picture = samplePicture();
    picture.setDevicePixelRatio(density);
    Fixture f({.kind = CaptureKind::window, .backgroundAssets = true, .composite = true}, picture);
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

void TestEditorView::liveBackgroundShowsTheExport_data()
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
void TestEditorView::liveBackgroundShowsTheExport()
{
    QFETCH(QString, background);
    QFETCH(double, blur);
    QFETCH(int, zoomSteps);
    QFETCH(int, tolerance);
    // Smaller than the composite, so the fitted view scales it down.
    Fixture f({.backgroundAssets = true, .composite = true, .windowSize = {760, 560}});
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

QTEST_MAIN(TestEditorView)
#include "tst_editorview.moc"
