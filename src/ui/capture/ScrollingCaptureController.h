#pragma once

#include "capture/ScrollStitcher.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>
#include <utility>

namespace velmora {

class AreaStream;
class CaptureJob;
class ScreenCapture;
class ScrollRegionFrame;
class ScrollingCaptureHud;
class ScrollStitchWorker;

// One scrolling capture of a screen rectangle: it opens a stream of the rectangle when the HUD
// appears (a desktop may ask the user first), and after Start grabs it twelve times a second, once
// the stream is ready, while the user scrolls; stitches the frames on a thread of its own and, on Stop, hands
// the tall image to onComplete. The main thread only grabs and shows; it never waits for the stitcher.
class ScrollingCaptureController : public QObject
{
    Q_OBJECT

public:
    enum class Phase { idle, capturing, finalizing, done };

    static constexpr int framesPerSecond = 12;
    static inline const QString readyText = QStringLiteral("Ready — click Start and scroll");
    static inline const QString scrollText = QStringLiteral("Scroll now…");
    static inline const QString stitchingText = QStringLiteral("Stitching…");
    static inline const QString limitText = QStringLiteral("Height limit reached — click Stop");

    // `native`: the rectangle in native pixels; `devicePixelRatio`: its screen's, carried by the
    // result and used for the height shown.
    ScrollingCaptureController(ScreenCapture& capture, const QRect& native, qreal devicePixelRatio,
                               StitchLimits limits = {}, QObject* parent = nullptr);
    // Safe in any phase: the stitching thread is stopped and joined, and nothing is called back.
    ~ScrollingCaptureController() override;

    // Called at most once per capture, and only one of them; each may delete the controller.
    std::function<void(const QImage&)> onComplete;
    std::function<void()> onCancel;
    // The stream of the rectangle failed (one line for the user).
    std::function<void(const QString&)> onFailure;

    // Frames the region with an outline just outside it and shows the HUD next to it. `region` is in
    // global points; `available` is its screen's area free of panels.
    void showHud(const QRect& region, const QRect& screen, const QRect& available);

    void startCapture();
    // Stop: finishes with what has been stitched (cancel when nothing has started yet).
    void finishCapture();
    // Ends at once without an image, whatever the phase; a stitch still running is dropped.
    void cancel();

    Phase phase() const { return m_phase; }
    bool isCapturing() const { return m_isCapturing; }
    const QString& statusText() const { return m_statusText; }
    int stitchedPixelHeight() const { return m_stitchedHeight; }
    ScrollingCaptureHud* hud() const { return m_hud.get(); }
    ScrollRegionFrame* frame() const { return m_frame.get(); }

    // "Captured %.0f px" for a number of stitched pixel rows on a screen of that ratio.
    static QString heightText(int pixelRows, qreal devicePixelRatio);

Q_SIGNALS:
    // isCapturing or statusText changed.
    void stateChanged();
    // The stitching thread delivered the composed image, whether it was used or, after a cancel,
    // dropped.
    void stitchDelivered();

private:
    void openStream();
    void streamFailed(const QString& message);
    void captureTick();
    void frameGrabbed(const QImage& frame);
    void frameStitched(StitchOutcome outcome, int stitchedHeight);
    void composed(QImage image);
    void setState(bool capturing, const QString& status);
    void stopGrabbing();
    // Ends the capture once: stops grabbing, takes the HUD away and drops every callback but the
    // one returned, which the caller calls last (it may delete the controller). Empty when the
    // capture had already ended.
    template <typename Callback> Callback endWithout(Callback& kept)
    {
        if (m_phase == Phase::done) {
            return {};
        }
        m_phase = Phase::done;
        stopGrabbing();
        setState(false, m_statusText);
        dismissHud();
        Callback callback = std::exchange(kept, nullptr);
        onComplete = nullptr;
        onCancel = nullptr;
        onFailure = nullptr;
        return callback;
    }
    void dismissHud();

    ScreenCapture& m_capture;
    QRect m_native;
    qreal m_devicePixelRatio;
    Phase m_phase = Phase::idle;
    bool m_isCapturing = false;
    QString m_statusText = readyText;
    int m_stitchedHeight = 0;
    bool m_limitReached = false;
    QTimer m_timer;
    std::unique_ptr<AreaStream> m_stream; // from the HUD (or Start) until the grabs stop
    QPointer<CaptureJob> m_pendingGrab;
    QThread m_thread;
    ScrollStitchWorker* m_worker; // lives on m_thread; deleted there when it finishes
    std::unique_ptr<ScrollRegionFrame> m_frame;
    std::unique_ptr<ScrollingCaptureHud> m_hud;
};

} // namespace velmora
