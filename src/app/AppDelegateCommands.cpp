// What the tray instance does for other processes (the command line) and for the tray menu's
// loads: the commands that do not start from a capture.
#include "AppDelegate.h"

#include "AppState.h"
#include "CaptureArguments.h"
#include "CaptureCommand.h"
#include "CaptureFlows.h"
#include "ClipboardWriter.h"
#include "editor/EditorSession.h"
#include "imaging/ImageDecoder.h"
#include "output/AppFolders.h"
#include "output/OutputFiles.h"
#include "preferences/PreferencesWindow.h"
#include "shell/PillNotification.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace velmora {

namespace {

void beepWith(const QString& message)
{
    QApplication::beep();
    PillNotification::shared().show(message, 1.2);
}

QString errorLine(const QString& command, const QString& message)
{
    return QStringLiteral("velmora %1: %2\n").arg(command, message);
}

} // namespace

void AppDelegate::runCommand(const QStringList& arguments, const QString& workingDirectory,
                             std::function<void(const CommandReply&)> reply)
{
    const QString command = arguments.value(0);
    if (isCaptureCommand(command)) {
        runCapture(arguments, std::move(reply));
    } else if (command == QLatin1String("edit")) {
        openFiles(arguments.mid(1), workingDirectory, std::move(reply));
    } else if (command == QLatin1String("activate")) {
        // Another start of the program: this instance already runs, nothing new to show.
        reply({});
    } else if (command == QLatin1String("preferences")) {
        PreferencesWindowController::shared().show();
        reply({});
    } else if (command == QLatin1String("quit")) {
        reply({});
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    } else {
        reply({2, {}, QStringLiteral("velmora: unknown command \"%1\"; see velmora --help\n").arg(command)});
    }
}

void AppDelegate::runCapture(const QStringList& arguments, std::function<void(const CommandReply&)> reply)
{
    const CaptureArguments parsed = parseCaptureArguments(QStringList{QStringLiteral("velmora")} + arguments);
    if (!parsed.helpText.isEmpty()) {
        reply({0, parsed.helpText, {}});
        return;
    }
    if (!parsed.error.isEmpty()) {
        reply({2, {}, errorLine(parsed.command, parsed.error)});
        return;
    }
    if (!parsed.output.isEmpty()) {
        // The calling process writes files itself: the path is its own, and so is the folder's access.
        reply({2, {}, errorLine(parsed.command, QStringLiteral("-o is written by the calling process"))});
        return;
    }
    const QString unavailable = parsed.command == QLatin1String("window")
                                    ? unavailableReason(HotkeyPreferences::Action::window)
                                : parsed.command == QLatin1String("scroll")
                                    ? unavailableReason(HotkeyPreferences::Action::scrollingCapture)
                                    : QString();
    if (!unavailable.isEmpty()) {
        reply({2, {}, errorLine(parsed.command, unavailable)});
        return;
    }
    if (m_pendingCapture || m_flows->isBusy()) {
        reply({2, {}, errorLine(parsed.command, QStringLiteral("another capture is in progress"))});
        return;
    }
    m_pendingCapture = PendingCapture{parsed.command, std::move(reply), false};
    const auto trigger = [this, parsed] {
        if (!m_pendingCapture) {
            return;
        }
        if (startCaptureCommand(*m_flows, parsed)) {
            m_pendingCapture->started = true;
            return;
        }
        // A shortcut started another capture during the countdown.
        const PendingCapture pending = *std::exchange(m_pendingCapture, std::nullopt);
        pending.reply({2, {}, errorLine(pending.command, QStringLiteral("another capture is in progress"))});
    };
    if (parsed.delay > 0) {
        afterCountdown(parsed.delay, this, trigger);
    } else {
        trigger();
    }
}

void AppDelegate::captureFinished(const CaptureResult& result)
{
    // Flows the tray or a shortcut started answer nobody.
    if (!m_pendingCapture || !m_pendingCapture->started) {
        return;
    }
    const PendingCapture pending = *std::exchange(m_pendingCapture, std::nullopt);
    CommandReply reply;
    switch (result.status) {
    case CaptureResult::Status::done:
        for (const QString& copied : {result.hex, result.text}) {
            if (!copied.isEmpty()) {
                reply.output += copied + QLatin1Char('\n');
            }
        }
        break;
    case CaptureResult::Status::cancelled:
        reply.status = 1;
        break;
    case CaptureResult::Status::empty:
        reply = {1, {}, errorLine(pending.command, result.message)};
        break;
    case CaptureResult::Status::failed:
        reply = {2, {}, errorLine(pending.command, result.message)};
        break;
    }
    pending.reply(reply);
}

void AppDelegate::openFiles(const QStringList& files, const QString& workingDirectory,
                            std::function<void(const CommandReply&)> reply)
{
    if (files.isEmpty()) {
        reply({2, {}, errorLine(QStringLiteral("edit"), QStringLiteral("no FILE given"))});
        return;
    }
    CommandReply answer;
    int opened = 0;
    for (const QString& file : files) {
        const QString path = QDir(workingDirectory).absoluteFilePath(file);
        const std::optional<QImage> image = decodeImageFile(path);
        if (!image) {
            answer.error += errorLine(QStringLiteral("edit"),
                                      QStringLiteral("cannot open %1: not a readable image").arg(file));
            continue;
        }
        m_flows->recordFocus();
        m_flows->openImageInEditor(*image, true);
        ++opened;
    }
    answer.status = opened > 0 ? 0 : 2;
    reply(answer);
}

bool AppDelegate::hasLastScreenshot() const
{
    return QFileInfo::exists(OutputFiles::lastScreenshotPath(AppFolders::temporary()));
}

void AppDelegate::copyLastScreenshot()
{
    if (const std::optional<QImage> image =
            decodeImageFile(OutputFiles::lastScreenshotPath(AppFolders::temporary()))) {
        m_state->clipboard().copyImage(*image);
    }
}

void AppDelegate::editLastScreenshot()
{
    const QString folder = AppFolders::temporary();
    const QString raw = OutputFiles::lastRawScreenshotPath(folder);
    const std::optional<QImage> image =
        decodeImageFile(QFileInfo::exists(raw) ? raw : OutputFiles::lastScreenshotPath(folder));
    if (!image) {
        beepWith(QStringLiteral("No previous screenshot"));
        return;
    }
    m_flows->recordFocus();
    m_flows->openImageInEditor(*image, true);
}

void AppDelegate::continueLastEdit()
{
    std::unique_ptr<EditorSession> session = m_state->takeLastClosedSession();
    if (!session) {
        beepWith(QStringLiteral("No previous edit"));
        return;
    }
    m_flows->recordFocus();
    m_state->reopenEditor(std::move(session), QGuiApplication::screenAt(QCursor::pos()));
}

void AppDelegate::loadFromClipboard()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    std::optional<QImage> image;
    if (data && data->hasImage()) {
        const QImage direct = qvariant_cast<QImage>(data->imageData());
        if (direct.width() > 0 && direct.height() > 0) {
            image = direct;
        }
    }
    if (!image && data && data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) {
                if ((image = decodeImageFile(url.toLocalFile()))) {
                    break;
                }
            }
        }
    }
    openLoaded(image, QStringLiteral("No image on clipboard"));
}

void AppDelegate::openImage()
{
    const QString path = QFileDialog::getOpenFileName(
        nullptr, QStringLiteral("Open Image"),
        QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
        QStringLiteral("Images (*.png *.jpg *.jpeg *.webp *.gif *.bmp *.tif *.tiff);;All files (*)"));
    if (path.isEmpty()) {
        return;
    }
    openLoaded(decodeImageFile(path), QStringLiteral("Selected file is not an image"));
}

void AppDelegate::openLoaded(const std::optional<QImage>& image, const QString& problem)
{
    if (!image) {
        beepWith(problem);
        return;
    }
    m_flows->recordFocus();
    m_flows->openImageInEditor(*image, false);
}

} // namespace velmora
