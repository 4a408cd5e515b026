#include "AppState.h"
#include "ClipboardWriter.h"
#include "EditorWindowGeometry.h"
#include "drag/DragSource.h"
#include "editor/BackgroundAssetStore.h"
#include "editor/EditorView.h"
#include "editor/EditorWindow.h"
#include "output/OutputFiles.h"
#include "preferences/GeneralPreferences.h"
#include "preferences/HotkeyPreferences.h"
#include "preferences/SettingsStore.h"
#include "shell/PillNotification.h"
#include "shell/PinnedImageWindow.h"
#include "sidebar/AddSwatchButton.h"
#include "sidebar/ImageEditorSidebar.h"
#include "sidebar/SidebarBackgroundPickerRow.h"
#include "support/TestSupport.h"

#include <QClipboard>
#include <QDir>
#include <QImageReader>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {

struct Fixture
{
    test::IsolatedHome home;
    QTemporaryDir dir;
    MemorySettingsStore settings;
    BackgroundAssetStore wallpapers{dir.filePath(QStringLiteral("wallpapers"))};
    GeneralPreferences general{settings, dir.path()};
    HotkeyPreferences hotkeys{settings};
    PillNotification pill;
    QString working = dir.filePath(QStringLiteral("working"));
    std::unique_ptr<AppState> state;

    Fixture()
    {
        QDir().mkpath(working);
        QDir().mkpath(dir.filePath(QStringLiteral("saves")));
        general.setSaveLocation(dir.filePath(QStringLiteral("saves")));
        state = std::make_unique<AppState>(
            AppState::Services{settings, wallpapers, general, hotkeys, pill, working});
    }

    EditorWindow* open(QColor colour = Qt::blue)
    {
        AppState::OpenOptions options;
        const QImage image = test::solidImage(200, 120, colour);
        options.assets = CaptureBackgroundAssets{image, std::nullopt, 30, true};
        return state->openEditor(image, options);
    }
};

} // namespace

class TestAppState : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void windowGeometry();
    void pinnedFrame();
    void closingKeepsTheLastSessionAndWritesFiles();
    void clipboardKeepsOneFileAndCarriesPng();
    void saveNeverOverwritesAndClosesTheEditor();
    void saveAsFailureKeepsTheEditorOpen();
    void pinReplacesTheEditor();
    void aPictureThatCannotBeRenderedIsNeverLost();
    void dragImageFitsIn200Points();
    void unreadableWallpapersAreRefusedWithAPill_data();
    void unreadableWallpapersAreRefusedWithAPill();
};

void TestAppState::windowGeometry()
{
    const QRectF area(0, 0, 1440, 900);
    // A big capture opens at 90% of the area.
    QCOMPARE(editorWindowFrame(QSizeF(4000, 3000), area, false, 0).size(), QSizeF(1296, 810));
    // The third editor opens 40 right of and below the first.
    const QRectF first = editorWindowFrame(QSizeF(400, 300), area, false, 0);
    const QRectF third = editorWindowFrame(QSizeF(400, 300), area, false, 2);
    QCOMPARE(third.topLeft() - first.topLeft(), QPointF(40, 40));
    QCOMPARE(first.size(), QSizeF(953, 560)); // the minimum for a small capture
    // A tiny tight-fit capture is at least 260 × 200.
    QCOMPARE(editorWindowFrame(QSizeF(10, 10), area, true, 0).size(), QSizeF(316, 200));
    QVERIFY(editorWindowFrame(QSizeF(1, 1), area, true, 0).width() >= 260);
}

void TestAppState::pinnedFrame()
{
    const QRectF area(0, 0, 1000, 800);
    // Wide image: limited to 60% of the width, aspect kept.
    QCOMPARE(pinnedWindowFrame(QSizeF(2000, 500), area, area.center()).size(), QSizeF(600, 150));
    // Tall image: limited to 60% of the height.
    QCOMPARE(pinnedWindowFrame(QSizeF(500, 2000), area, area.center()).size(), QSizeF(120, 480));
    // Near a corner it is pushed back inside the area.
    const QRectF clamped = pinnedWindowFrame(QSizeF(300, 200), area, QPointF(990, 790));
    QCOMPARE(clamped.bottomRight(), QPointF(1000, 800));
}

void TestAppState::closingKeepsTheLastSessionAndWritesFiles()
{
    Fixture f;
    EditorWindow* a = f.open(Qt::red);
    EditorWindow* b = f.open(Qt::green);
    QCOMPARE(f.state->openEditorCount(), 2);
    EditorSession* sessionA = &a->session();
    QSignalSpy last(f.state.get(), &AppState::lastEditorClosed);
    a->close();
    QCOMPARE(f.state->lastClosedSession(), sessionA);
    QCOMPARE(last.size(), 0);
    b->close();
    QCOMPARE(last.size(), 1);
    // B is kept whole; A gave up its heavy data.
    QVERIFY(!f.state->lastClosedSession()->capturedImage().isNull());
    QCOMPARE(f.state->lastClosedSession()->capturedImage().pixelColor(5, 5), QColor(Qt::green));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(OutputFiles::lastRawScreenshotPath(f.working)),
                             test::waitTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(
        QImageReader(OutputFiles::lastRawScreenshotPath(f.working)).read().pixelColor(5, 5),
        QColor(Qt::green), test::waitTimeout);
    // Reopening brings the same session back.
    EditorWindow* again = f.state->reopenEditor(f.state->takeLastClosedSession());
    QCOMPARE(again->session().capturedImage().pixelColor(5, 5), QColor(Qt::green));
    again->close();
}

void TestAppState::clipboardKeepsOneFileAndCarriesPng()
{
    Fixture f;
    QSignalSpy copied(&f.state->clipboard(), &ClipboardWriter::imageCopied);
    f.state->copyToClipboardAndClose(f.open(Qt::red));
    QTRY_COMPARE_WITH_TIMEOUT(copied.size(), 1, test::waitTimeout);
    f.state->copyToClipboardAndClose(f.open(Qt::blue));
    QTRY_COMPARE_WITH_TIMEOUT(copied.size(), 2, test::waitTimeout);
    QCOMPARE(f.state->openEditorCount(), 0);
    const QStringList files = QDir(f.working).entryList({QStringLiteral("clipboard-*.png")}, QDir::Files);
    QCOMPARE(files.size(), 1);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QImage fromClipboard;
    QVERIFY(fromClipboard.loadFromData(data->data(QStringLiteral("image/png")), "PNG"));
    // The composite is off: the copied image is the capture itself.
    QCOMPARE(fromClipboard.size(), QSize(200, 120));
    QCOMPARE(fromClipboard.pixelColor(10, 10), QColor(Qt::blue));
    QCOMPARE(data->urls().value(0).toLocalFile(), QDir(f.working).filePath(files.first()));
}

void TestAppState::saveNeverOverwritesAndClosesTheEditor()
{
    Fixture f;
    QSignalSpy saved(f.state.get(), &AppState::imageSaved);
    f.state->saveToFile(f.open(Qt::red));
    f.state->saveToFile(f.open(Qt::green));
    QCOMPARE(saved.size(), 2);
    QVERIFY(saved[0][0].toString() != saved[1][0].toString());
    QCOMPARE(f.state->openEditorCount(), 0);
    QCOMPARE(QImageReader(saved[0][0].toString()).read().pixelColor(3, 3), QColor(Qt::red));
    QCOMPARE(QImageReader(saved[1][0].toString()).read().pixelColor(3, 3), QColor(Qt::green));
    QCOMPARE(f.pill.message(), QStringLiteral("Saved to saves"));
}

void TestAppState::saveAsFailureKeepsTheEditorOpen()
{
    Fixture f;
    EditorWindow* window = f.open();
    f.state->setSavePathChooser([&](QWidget*, const QString&, const QString&) {
        return f.dir.filePath(QStringLiteral("missing/x.png"));
    });
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^\\[Velmora\\] Save As failed: ")));
    f.state->saveAsToFile(window);
    QCOMPARE(f.state->openEditorCount(), 1);
    // A name typed without an extension is saved as the PNG it is.
    const QString typed = f.dir.filePath(QStringLiteral("chosen"));
    f.state->setSavePathChooser([&](QWidget*, const QString&, const QString&) { return typed; });
    f.state->saveAsToFile(window);
    QCOMPARE(f.state->openEditorCount(), 0);
    QVERIFY(!QFileInfo::exists(typed));
    QImageReader reader(typed + QStringLiteral(".png"));
    QCOMPARE(reader.format(), QByteArray("png"));
    QCOMPARE(reader.read().size(), QSize(200, 120));
    QCOMPARE(f.pill.message(), QStringLiteral("Image saved"));
}

// Beyond the composite's bound (or without the memory for it) copy and save say so and keep the
// editor, instead of closing it over an empty clipboard or writing a picture without the content.
void TestAppState::aPictureThatCannotBeRenderedIsNeverLost()
{
    Fixture f;
    EditorWindow* window = f.open();
    window->session().setBackgroundCompositeEnabled(true);
    QVERIFY(window->session().isCompositeShown());
    window->session().setMaxCompositePixels(1000);
    QSignalSpy failed(f.state.get(), &AppState::saveFailed);
    QSignalSpy saved(f.state.get(), &AppState::imageSaved);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("more than Velmora renders")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^\\[Velmora\\] Save failed: ")));
    f.state->saveToFile(window);
    QCOMPARE(f.pill.message(), QStringLiteral("Save failed"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^\\[Velmora\\] Copy failed: ")));
    f.state->copyToClipboardAndClose(window);
    QCOMPARE(f.pill.message(), QStringLiteral("Copy failed"));
    QCOMPARE(failed.count(), 2);
    QCOMPARE(saved.count(), 0);
    QCOMPARE(f.state->openEditorCount(), 1);
    QVERIFY(QDir(f.dir.filePath(QStringLiteral("saves"))).isEmpty());

    // Within the bound again, the same editor saves as usual.
    window->session().setMaxCompositePixels(0);
    f.state->saveToFile(window);
    QCOMPARE(saved.count(), 1);
    QCOMPARE(f.state->openEditorCount(), 0);
}

void TestAppState::pinReplacesTheEditor()
{
    Fixture f;
    QSignalSpy lastWindow(f.state.get(), &AppState::lastWindowClosed);
    f.state->pinSession(f.open(Qt::magenta));
    QCOMPARE(f.state->openEditorCount(), 0);
    QCOMPARE(lastWindow.count(), 0); // the pinned picture is still up
    QCOMPARE(f.state->pinnedWindows().size(), 1);
    PinnedImageWindow* pinned = f.state->pinnedWindows().first();
    QCOMPARE(pinned->image().pixelColor(1, 1), QColor(Qt::magenta));
    pinned->close();
    QTRY_VERIFY_WITH_TIMEOUT(f.state->pinnedWindows().isEmpty(), test::waitTimeout);
    QCOMPARE(lastWindow.count(), 1);
}

void TestAppState::dragImageFitsIn200Points()
{
    QCOMPARE(DragSource::dragImageSize(QSize(4000, 1000)), QSize(200, 50));
    QCOMPARE(DragSource::dragImageSize(QSize(100, 80)), QSize(100, 80));
    QVERIFY(!DragSource::passedThreshold(QPoint(0, 0), QPoint(2, 0)));
    QVERIFY(DragSource::passedThreshold(QPoint(0, 0), QPoint(3, 0)));
    const std::unique_ptr<QMimeData> data(
        DragSource::mimeData("png-bytes", QStringLiteral("/tmp/x/image.png")));
    QCOMPARE(data->data(QStringLiteral("image/png")), QByteArray("png-bytes"));
    QCOMPARE(data->urls().value(0).toLocalFile(), QStringLiteral("/tmp/x/image.png"));
}

void TestAppState::unreadableWallpapersAreRefusedWithAPill_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("message");
    QTest::newRow("one HEIC before a picture")
        << QStringList{"photo.HEIC", "sky.png"}
        << QStringLiteral("Can't use photo.HEIC: this image format isn't supported");
    QTest::newRow("only HEIF files")
        << QStringList{"a.heic", "b.heif"}
        << QStringLiteral("Can't use a.heic and 1 more: these image formats aren't supported");
}

void TestAppState::unreadableWallpapersAreRefusedWithAPill()
{
    QFETCH(QStringList, files);
    QFETCH(QString, message);
    if (QImageReader::supportedImageFormats().contains("heic")) {
        QSKIP("This system's image reader decodes HEIF");
    }
    Fixture f;
    AppState::OpenOptions options;
    const QImage image = test::solidImage(200, 120, Qt::white);
    options.assets = CaptureBackgroundAssets{image, std::nullopt, 30, true};
    options.backgroundEnabledByDefault = true;
    EditorWindow* window = f.state->openEditor(image, options);

    const QColor sky(60, 140, 230);
    QTemporaryDir source;
    QList<QUrl> chosen;
    for (const QString& name : files) {
        const QString path = source.filePath(name);
        if (name.endsWith(QLatin1String(".png"))) {
            QVERIFY(test::solidImage(64, 40, sky).save(path));
        } else {
            QFile heif(path);
            QVERIFY(heif.open(QIODevice::WriteOnly));
            heif.write(QByteArray::fromHex("0000001866747970686569630000000000")); // "ftypheic"
        }
        chosen.append(QUrl::fromLocalFile(path));
    }
    ImageEditorSidebar* sidebar = window->view()->sidebar();
    sidebar->setWallpaperChooser([&](QWidget*) { return chosen; });
    sidebar->backgroundPicker()->addWallpaperButton()->click();

    QCOMPARE(f.pill.message(), message);
    QVERIFY(f.pill.state() != PillNotification::State::Hidden);
    // Nothing that could not be drawn reaches the folder or becomes the background.
    const QStringList stored = QDir(f.wallpapers.folder()).entryList(QDir::Files);
    const EditorSession& session = window->session();
    if (files.contains(QStringLiteral("sky.png"))) {
        QCOMPARE(stored.size(), 1);
        QCOMPARE(session.backgroundSelection(), BackgroundSelection::userWallpaper(stored.front()));
        QCOMPARE(window->session().renderedImage().pixelColor(3, 3), sky);
    } else {
        QVERIFY(stored.isEmpty());
        QCOMPARE(session.backgroundSelection(), BackgroundSelection::desktopWallpaper());
    }
    window->close();
}

QTEST_MAIN(TestAppState)
#include "tst_appstate.moc"
