#include "ScrollingCaptureController.h"

#include "AreaStream.h"
#include "CaptureJob.h"
#include "ScreenCapture.h"
#include "ScrollRegionFrame.h"
#include "ScrollStitchWorker.h"
#include "ScrollingCaptureHud.h"

#include <algorithm>
#include <utility>

namespace velmora {

ScrollingCaptureController::ScrollingCaptureController(ScreenCapture& capture, const QRect& native,
                                                       qreal devicePixelRatio, StitchLimits limits,
                                                       QObject* parent)
    : QObject(parent), m_capture(capture), m_native(native), m_devicePixelRatio(devicePixelRatio),
      m_worker(new ScrollStitchWorker(limits))
{
    qRegisterMetaType<StitchOutcome>();
    m_timer.setInterval(1000 / framesPerSecond);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ScrollingCaptureController::captureTick);

    m_thread.setObjectName(QStringLiteral("ScrollStitcher"));
    m_worker->moveToThread(&m_thread);
    connect(m_worker, &ScrollStitchWorker::frameStitched, this, &ScrollingCaptureController::frameStitched);
    connect(m_worker, &ScrollStitchWorker::composed, this, &ScrollingCaptureController::composed);
    m_thread.start();
}

ScrollingCaptureController::~ScrollingCaptureController()
{
    m_timer.stop();
    m_stream.reset();
    // A composition in progress runs to its end; its result then finds no receiver, since the
    // queued events for this object go with it.
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

QString ScrollingCaptureController::heightText(int pixelRows, qreal devicePixelRatio)
{
    const double points = double(pixelRows) / std::max(1, int(devicePixelRatio));
    return QString::asprintf("Captured %.0f px", points);
}

void ScrollingCaptureController::showHud(const QRect& region, const QRect& screen, const QRect& available)
{
    m_frame = std::make_unique<ScrollRegionFrame>(region);
    m_frame->show();
    m_hud = std::make_unique<ScrollingCaptureHud>();
    m_hud->setState(m_isCapturing, m_statusText);
    connect(this, &ScrollingCaptureController::stateChanged, m_hud.get(),
            [this] { m_hud->setState(m_isCapturing, m_statusText); });
    connect(m_hud.get(), &ScrollingCaptureHud::startRequested, this,
            &ScrollingCaptureController::startCapture);
    connect(m_hud.get(), &ScrollingCaptureHud::stopRequested, this,
            &ScrollingCaptureController::finishCapture);
    connect(m_hud.get(), &ScrollingCaptureHud::cancelRequested, this, &ScrollingCaptureController::cancel);
    m_hud->move(ScrollingCaptureHud::origin(region, screen, available));
    m_hud->show();
    m_hud->raise();
    m_hud->activateWindow();
    openStream();
}

void ScrollingCaptureController::openStream()
{
    if (m_stream || m_phase > Phase::capturing) {
        return;
    }
    m_stream = m_capture.openAreaStream(m_native);
    connect(m_stream.get(), &AreaStream::ready, this, &ScrollingCaptureController::captureTick);
    connect(m_stream.get(), &AreaStream::failed, this, &ScrollingCaptureController::streamFailed);
    connect(m_stream.get(), &AreaStream::cancelled, this, &ScrollingCaptureController::cancel);
}

void ScrollingCaptureController::streamFailed(const QString& message)
{
    if (auto callback = endWithout(onFailure)) {
        callback(message);
    }
}

void ScrollingCaptureController::startCapture()
{
    if (m_phase != Phase::idle) {
        return;
    }
    openStream();
    m_phase = Phase::capturing;
    setState(true, scrollText);
    m_timer.start();
    captureTick();
}

void ScrollingCaptureController::captureTick()
{
    // A slow display must not pile grabs up: the next one waits until this one has come back. A
    // stream that has no picture yet would only give a blank or stale one.
    if (m_phase != Phase::capturing || m_limitReached || m_pendingGrab || !m_stream || !m_stream->isReady()) {
        return;
    }
    CaptureJob* job = m_stream->grab();
    m_pendingGrab = job;
    connect(job, &CaptureJob::done, this, [this, job] {
        m_pendingGrab = nullptr;
        frameGrabbed(job->image());
    });
    connect(job, &CaptureJob::failed, this, [this] { m_pendingGrab = nullptr; });
    connect(job, &CaptureJob::cancelled, this, [this] { m_pendingGrab = nullptr; });
}

void ScrollingCaptureController::frameGrabbed(const QImage& frame)
{
    if (m_phase != Phase::capturing || m_limitReached) {
        return;
    }
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, frame] { worker->addFrame(frame); });
}

void ScrollingCaptureController::frameStitched(StitchOutcome outcome, int stitchedHeight)
{
    if (m_phase != Phase::capturing) {
        return;
    }
    if (outcome == StitchOutcome::LimitReached) {
        // Stop now with what fits instead of failing to allocate at the end; Stop still finishes.
        m_limitReached = true;
        stopGrabbing();
        setState(true, limitText);
        return;
    }
    if ((outcome == StitchOutcome::First || outcome == StitchOutcome::Appended) && !m_limitReached) {
        m_stitchedHeight = stitchedHeight;
        setState(true, heightText(stitchedHeight, m_devicePixelRatio));
    }
}

void ScrollingCaptureController::finishCapture()
{
    switch (m_phase) {
    case Phase::idle:
        cancel();
        return;
    case Phase::capturing:
        break;
    case Phase::finalizing:
    case Phase::done:
        return;
    }
    m_phase = Phase::finalizing;
    stopGrabbing();
    setState(false, stitchingText);
    // Queued behind every frame already sent, so the image holds all of them.
    QMetaObject::invokeMethod(m_worker, [worker = m_worker] { worker->compose(); });
}

void ScrollingCaptureController::composed(QImage image)
{
    Q_EMIT stitchDelivered();
    // After a cancel the phase is done already: the image is dropped.
    if (m_phase != Phase::finalizing) {
        return;
    }
    m_phase = Phase::done;
    dismissHud();
    onFailure = nullptr;
    if (image.isNull()) {
        if (auto callback = std::exchange(onCancel, nullptr)) {
            onComplete = nullptr;
            callback();
        }
        return;
    }
    image.setDevicePixelRatio(m_devicePixelRatio);
    if (auto callback = std::exchange(onComplete, nullptr)) {
        onCancel = nullptr;
        callback(image);
    }
}

void ScrollingCaptureController::cancel()
{
    if (auto callback = endWithout(onCancel)) {
        callback();
    }
}

void ScrollingCaptureController::setState(bool capturing, const QString& status)
{
    if (capturing == m_isCapturing && status == m_statusText) {
        return;
    }
    m_isCapturing = capturing;
    m_statusText = status;
    Q_EMIT stateChanged();
}

void ScrollingCaptureController::stopGrabbing()
{
    m_timer.stop();
    // The stream goes as soon as nothing more is grabbed, so the desktop stops sharing the screen
    // while the last frames are stitched. Later, since this may run inside one of its signals.
    if (m_stream) {
        m_stream->disconnect(this);
        m_stream.release()->deleteLater();
    }
}

void ScrollingCaptureController::dismissHud()
{
    if (m_hud) {
        m_hud->hide();
    }
    if (m_frame) {
        m_frame->hide();
    }
}

} // namespace velmora
