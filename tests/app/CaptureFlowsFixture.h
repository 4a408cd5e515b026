#pragma once

// Hand-written fakes of the display and the pickers, and a fixture that wires them to real
// capture flows and a real editor registry.

#include "AppState.h"
#include "AreaStream.h"
#include "CaptureFlows.h"
#include "CaptureJob.h"
#include "Platform.h"
#include "editor/BackgroundAssetStore.h"
#include "editor/EditorSession.h"
#include "editor/EditorWindow.h"
#include "preferences/GeneralPreferences.h"
#include "preferences/HotkeyPreferences.h"
#include "preferences/SettingsStore.h"
#include "shell/PillNotification.h"
#include "support/TestSupport.h"
#include <QDir>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

using namespace velmora;

namespace {

// Grabs that stay pending until the test settles them, as a slow display would.
class FakeCapture final : public ScreenCapture
{
public:
    CaptureJob* grabScreens(const QList<ScreenGeometry>& screens) override
    {
        requests.append(QStringLiteral("screens"));
        grabbedScreens = screens;
        return track();
    }
    CaptureJob* grabArea(const QRect& native) override
    {
        requests.append(QStringLiteral("area"));
        area = native;
        return track();
    }
    CaptureJob* grabWindow(quint32 windowID) override
    {
        requests.append(QStringLiteral("window %1").arg(windowID));
        return track();
    }
    // A streaming display's stream when set; grabs of the area otherwise.
    std::unique_ptr<AreaStream> openAreaStream(const QRect& native) override
    {
        return streams ? streams(native) : ScreenCapture::openAreaStream(native);
    }
    std::function<std::unique_ptr<AreaStream>(const QRect&)> streams;

    ~FakeCapture() override
    {
        // Jobs a test left pending end with the fake, as a display's would with its connection.
        for (const QPointer<CaptureJob>& job : std::as_const(jobs)) {
            delete job.data();
        }
    }

    CaptureJob* track()
    {
        last = new CaptureJob;
        jobs.append(last);
        return last;
    }

    QStringList requests;
    QList<ScreenGeometry> grabbedScreens;
    QRect area;
    QPointer<CaptureJob> last;
    QList<QPointer<CaptureJob>> jobs;
};

class FakeWindows final : public WindowList
{
public:
    QList<WindowInfo> visibleWindows() const override { return windows; }
    QList<WindowInfo> windows;
};

class FakeFocus final : public FocusTracker
{
public:
    quint32 activeWindow() const override { return active; }
    void activate(quint32 windowID) override { activated.append(windowID); }
    quint32 active = 0x2a00007;
    QList<quint32> activated;
};

// Stands in for the user at the overlays: the test answers each request by calling back.
class FakePickers final : public CapturePickers
{
public:
    void pickRegion(RegionPicker::Mode mode, const ScreenLayout&, const QList<QImage>& frozen,
                    RegionPicked picked, std::function<void()> cancelled) override
    {
        regionMode = mode;
        shownFrozen = frozen;
        region = std::move(picked);
        cancel = std::move(cancelled);
    }
    void pickWindow(const WindowList&, const ScreenLayout&, const QList<QImage>& frozen,
                    std::function<void(quint32)> picked, std::function<void()> cancelled) override
    {
        shownFrozen = frozen;
        window = std::move(picked);
        cancel = std::move(cancelled);
    }

    std::optional<RegionPicker::Mode> regionMode;
    QList<QImage> shownFrozen;
    RegionPicked region;
    std::function<void(quint32)> window;
    std::function<void()> cancel;
};

struct WallpaperCall
{
    QRectF windowOnScreen;
    QRectF crop;
    QSizeF output;
};

struct Fixture
{
    test::IsolatedHome home;
    QTemporaryDir dir;
    MemorySettingsStore settings;
    BackgroundAssetStore wallpapers{dir.filePath(QStringLiteral("wallpapers"))};
    GeneralPreferences general{settings, dir.path()};
    HotkeyPreferences hotkeys{settings};
    PillNotification pill;
    std::unique_ptr<AppState> state;
    Platform platform;
    FakeCapture* capture = new FakeCapture;
    FakeWindows* windows = new FakeWindows;
    FakeFocus* focus = new FakeFocus;
    FakePickers pickers;
    ScreenLayout layout{{{QRect(0, 0, 1000, 800), 1.0, QStringLiteral("left")},
                         {QRect(1000, 0, 500, 400), 2.0, QStringLiteral("right")}}};
    QPointF pointer{100, 100};
    QStringList copied;
    int beeps = 0;
    // Pictures handed to the recogniser, and the answer to give for the last one.
    QList<QImage> recognized;
    std::function<void(TextRecognition)> answerText;
    std::shared_ptr<QList<WallpaperCall>> wallpaperCalls = std::make_shared<QList<WallpaperCall>>();
    std::unique_ptr<CaptureFlows> flows;
    std::unique_ptr<QSignalSpy> finished;

    explicit Fixture(bool withEditors = true)
    {
        platform.capture.reset(capture);
        platform.windows.reset(windows);
        platform.capabilities.windowList = true;
        platform.capabilities.scrollingCapture = true;
        platform.focus.reset(focus);
        QDir().mkpath(dir.filePath(QStringLiteral("working")));
        state = std::make_unique<AppState>(AppState::Services{settings, wallpapers, general, hotkeys, pill,
                                                              dir.filePath(QStringLiteral("working"))});
        auto calls = wallpaperCalls;
        DesktopWallpaperSource source;
        source.picture = [](const ScreenGeometry&) { return test::solidImage(64, 64, Qt::darkCyan); };
        source.render = [calls](const QImage&, const ScreenGeometry&, const QRectF& crop,
                                const QSizeF& output) {
            WallpaperCall call =
                calls->isEmpty() || !calls->last().crop.isNull() ? WallpaperCall{} : calls->takeLast();
            call.crop = crop;
            call.output = output;
            calls->append(call);
            return std::optional<QImage>(
                test::solidImage(int(output.width()), int(output.height()), Qt::magenta));
        };
        source.cropForWindow = [calls](const QRectF& onScreen, const QSizeF&, double padding, const QSizeF&) {
            calls->append({onScreen, {}, {}});
            return onScreen.adjusted(-padding, -padding, padding, padding);
        };
        flows = std::make_unique<CaptureFlows>(CaptureFlows::Services{
            platform, pickers, source, withEditors ? state.get() : nullptr, &pill,
            [this](const QString& text) { copied.append(text); }, [this] { ++beeps; },
            [this] { return layout; }, [this] { return pointer; },
            [this](const QImage& image, QObject*, std::function<void(TextRecognition)> done) {
                recognized.append(image);
                answerText = std::move(done);
            }});
        finished = std::make_unique<QSignalSpy>(flows.get(), &CaptureFlows::finished);
    }

    CaptureResult result() const
    {
        return finished->isEmpty() ? CaptureResult{} : finished->last().at(0).value<CaptureResult>();
    }
    bool waitFinished() { return !finished->isEmpty() || finished->wait(test::waitTimeout); }
    // Settles the pending grab with one picture per grabbed screen.
    void grabDone(QList<QImage> images = {})
    {
        if (images.isEmpty()) {
            for (const ScreenGeometry& screen : capture->grabbedScreens) {
                images.append(test::solidImage(screen.geometry.width(), screen.geometry.height(), Qt::gray,
                                               screen.devicePixelRatio));
            }
        }
        capture->last->finish(images);
        QTRY_VERIFY(!capture->last);
    }
};

enum class Flow { region, color, text, window, fullScreen, area };

bool start(CaptureFlows& flows, Flow flow)
{
    switch (flow) {
    case Flow::region:
        return flows.startRegionCapture(RegionCaptureMode::editor);
    case Flow::color:
        return flows.startRegionCapture(RegionCaptureMode::color);
    case Flow::text:
        return flows.startRegionCapture(RegionCaptureMode::ocr);
    case Flow::window:
        return flows.startWindowCapture();
    case Flow::fullScreen:
        return flows.startFullScreenCapture();
    case Flow::area:
        return flows.startAreaCapture(QRect(10, 10, 100, 100));
    }
    return false;
}

} // namespace
