#include "CaptureCommand.h"

#include "AppState.h"
#include "CaptureArguments.h"
#include "CaptureFlows.h"
#include "CaptureTiming.h"
#include "ClipboardWriter.h"
#include "DesktopWallpaperCache.h"
#include "DesktopWallpaperSource.h"
#include "OverlayPickers.h"
#include "Platform.h"
#include "ServeUntilIdle.h"
#include "TextRecognizer.h"
#include "app/AppearanceController.h"
#include "capture/CountdownOverlay.h"
#include "capture/OcrService.h"
#include "capture/OverlayHosts.h"
#include "editor/BackgroundAssetStore.h"
#include "imaging/AtomicFile.h"
#include "output/AppFolders.h"
#include "output/DragExportStore.h"
#include "preferences/GeneralPreferences.h"
#include "preferences/HotkeyPreferences.h"
#include "preferences/SettingsStore.h"
#include "shell/PillNotification.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QThreadPool>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace velmora {

namespace {

enum ExitStatus { done = 0, cancelled = 1, failed = 2 };

void report(const CaptureArguments& arguments, const QString& message)
{
    std::fprintf(stderr, "velmora %s: %s\n", qPrintable(arguments.command), qPrintable(message));
}

// Checked before anything is captured, so that the user never picks a region only to lose it.
QString outputProblem(const QString& path)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (file.isDir()) {
        return QStringLiteral("it is a folder");
    }
    if (!folder.exists()) {
        return QStringLiteral("the folder %1 does not exist").arg(folder.filePath());
    }
    if (!folder.isDir()) {
        return QStringLiteral("%1 is not a folder").arg(folder.filePath());
    }
    // The file is written next to its final name and renamed over it, so the folder itself must
    // take new files.
    if (!folder.isWritable()) {
        return QStringLiteral("the folder %1 is not writable").arg(folder.filePath());
    }
    return {};
}

} // namespace

bool startCaptureCommand(CaptureFlows& flows, const CaptureArguments& arguments)
{
    if (arguments.command == QLatin1String("full")) {
        return flows.startFullScreenCapture();
    }
    if (arguments.command == QLatin1String("window")) {
        return flows.startWindowCapture();
    }
    if (arguments.command == QLatin1String("color")) {
        return flows.startRegionCapture(RegionCaptureMode::color);
    }
    if (arguments.command == QLatin1String("text")) {
        return flows.startRegionCapture(RegionCaptureMode::ocr);
    }
    if (arguments.command == QLatin1String("scroll")) {
        return flows.startScrollingCapture();
    }
    if (arguments.geometry) {
        return flows.startAreaCapture(*arguments.geometry);
    }
    return flows.startRegionCapture(RegionCaptureMode::editor);
}

void afterCountdown(double seconds, QObject* context, std::function<void()> then)
{
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    auto* countdown = new CountdownOverlay(screen ? screen : QGuiApplication::primaryScreen(), context);
    QObject::connect(countdown, &CountdownOverlay::finished, context, [countdown, then = std::move(then)] {
        countdown->deleteLater();
        then();
    });
    countdown->start(seconds);
}

namespace {

QtMessageHandler previousHandler = nullptr;

void quietPlatformFallback(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const bool platformNoise =
        QLatin1String(context.category ? context.category : "").startsWith(QLatin1String("qt.qpa")) ||
        message.contains(QLatin1String("Qt platform plugin"));
    if (type == QtFatalMsg || !platformNoise) {
        previousHandler(type, context, message);
    }
}

} // namespace

std::unique_ptr<QGuiApplication> createCaptureApplication(int& argc, char** argv, bool widgets)
{
    previousHandler = qInstallMessageHandler(quietPlatformFallback);
    std::unique_ptr<QGuiApplication> app(widgets ? new QApplication(argc, argv)
                                                 : new QGuiApplication(argc, argv));
    qInstallMessageHandler(previousHandler);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    return app;
}

int runCapture(const QStringList& argumentList)
{
    const CaptureArguments arguments = parseCaptureArguments(argumentList);
    if (!arguments.helpText.isEmpty()) {
        std::fputs(qPrintable(arguments.helpText), stdout);
        return done;
    }
    if (!arguments.error.isEmpty()) {
        report(arguments, arguments.error);
        return failed;
    }
    if (!arguments.output.isEmpty()) {
        if (const QString problem = outputProblem(arguments.output); !problem.isEmpty()) {
            report(arguments, QStringLiteral("cannot write %1: %2").arg(arguments.output, problem));
            return failed;
        }
    }

    CaptureTiming::step("started");
    const std::unique_ptr<Platform> platform = createPlatform();
    CompositorWatch::setShared(platform->compositor.get());
    // Without a picture file named by the desktop, the editor's desktop background is the root
    // window's own.
    DesktopWallpaperCache::installShared({}, platform->rootBackground.get());
    OverlayPickers pickers;
    const bool widgets = arguments.needsWidgets();
    const bool copies =
        arguments.command == QLatin1String("color") || arguments.command == QLatin1String("text");
    const bool opensEditor = arguments.output.isEmpty() && !copies;
    std::unique_ptr<AppearanceController> appearance;
    std::unique_ptr<AppState> state;
    if (widgets) {
        DragExportStore::removeAll();
        appearance = std::make_unique<AppearanceController>(GeneralPreferences::shared());
        state = std::make_unique<AppState>(AppState::Services{
            SettingsStore::shared(), BackgroundAssetStore::shared(), GeneralPreferences::shared(),
            HotkeyPreferences::shared(), PillNotification::shared(), AppFolders::temporary()});
    }
    std::function<void(const QString&)> copyText;
    if (state) {
        copyText = [&state](const QString& text) { state->clipboard().copyText(text); };
    }
    std::unique_ptr<OcrService> ocr;
    TextRecognizer recognizeText;
    if (arguments.command == QLatin1String("text")) {
        ocr = std::make_unique<OcrService>(SettingsStore::shared());
        recognizeText = ocrServiceRecognizer(*ocr);
    }
    CaptureFlows flows({*platform,
                        pickers,
                        DesktopWallpaperSource::system(),
                        opensEditor ? state.get() : nullptr,
                        widgets ? &PillNotification::shared() : nullptr,
                        copyText,
                        {},
                        {},
                        {},
                        recognizeText});

    CaptureTiming* timing = CaptureTiming::enabled() ? new CaptureTiming(&flows) : nullptr;
    if (timing) {
        pickers.setPickObserver([timing] { timing->picked(); });
    }
    int status = done;
    QObject::connect(&flows, &CaptureFlows::finished, &flows, [&](const CaptureResult& result) {
        CaptureTiming::step("captured");
        switch (result.status) {
        case CaptureResult::Status::cancelled:
            status = cancelled;
            QCoreApplication::quit();
            return;
        case CaptureResult::Status::failed:
            report(arguments, result.message);
            status = failed;
            QCoreApplication::quit();
            return;
        case CaptureResult::Status::empty:
            report(arguments, result.message);
            status = cancelled;
            QCoreApplication::quit();
            return;
        case CaptureResult::Status::done:
            break;
        }
        for (const QString& copied : {result.hex, result.text}) {
            if (!copied.isEmpty()) {
                std::printf("%s\n", copied.toUtf8().constData());
                std::fflush(stdout);
            }
        }
        if (!arguments.output.isEmpty()) {
            if (const WriteResult written = writePngAtomically(arguments.output, result.image); !written) {
                report(arguments,
                       QStringLiteral("cannot write %1: %2").arg(arguments.output, written.errorMessage));
                status = failed;
            }
            CaptureTiming::step("written");
            QCoreApplication::quit();
            return;
        }
        // An editor opened, or a colour code or text is on the clipboard: serve them as `velmora
        // edit` does.
        serveUntilIdle(*state);
        quitWhenIdle(*state);
    });

    const auto trigger = [&flows, &arguments, timing] {
        if (timing) {
            timing->triggered();
        }
        startCaptureCommand(flows, arguments);
    };
    if (arguments.delay > 0) {
        afterCountdown(arguments.delay, &flows, trigger);
    } else {
        QTimer::singleShot(0, &flows, trigger);
    }
    const int loop = QCoreApplication::exec();
    // Background loads read the platform's root background; let them end before it goes.
    QThreadPool::globalInstance()->waitForDone();
    DesktopWallpaperCache::installShared({}, nullptr);
    OverlayHosts::releaseIdle();
    return status != done ? status : loop;
}

} // namespace velmora
