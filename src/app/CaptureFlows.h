#pragma once

#include "DesktopWallpaperSource.h"
#include "TextRecognizer.h"
#include "capture/RegionPicker.h"
#include "capture/ScreenLayout.h"
#include "editor/CaptureKind.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

class QScreen;

namespace velmora {

class AppState;
class EditorSession;
class EditorWindow;
class PillNotification;
class ScrollingCaptureController;
class WindowList;
struct Platform;

// What the region picker's result is for. The values are stored by the shortcut settings.
enum class RegionCaptureMode { editor = 0, ocr = 1, color = 2 };

// How a capture flow ended, for whoever started it (the command line waits for this).
struct CaptureResult
{
    // empty: the flow ran to its end, but the picked area held nothing to copy (no text).
    enum class Status { done, cancelled, failed, empty };
    Status status = Status::failed;
    QString message; // failed, empty: one line for the user
    QImage image;    // done: the captured picture (colour and text modes: the picked pixels)
    QString hex;     // done in colour mode: "#RRGGBB"
    QString text;    // done in text mode: the recognised text

    static CaptureResult captured(const QImage& image) { return {Status::done, {}, image, {}, {}}; }
    static CaptureResult cancelled() { return {Status::cancelled, {}, {}, {}, {}}; }
    static CaptureResult failure(const QString& message) { return {Status::failed, message, {}, {}, {}}; }
};

// The selection surfaces the flows put on screen. The real ones are full-screen overlays; tests
// answer for the user with a fake. Each call ends in exactly one of its two callbacks.
class CapturePickers
{
public:
    virtual ~CapturePickers() = default;
    using RegionPicked = std::function<void(const QImage& crop, int screenIndex, const QRect& native)>;
    virtual void pickRegion(RegionPicker::Mode mode, const ScreenLayout& layout, const QList<QImage>& frozen,
                            RegionPicked picked, std::function<void()> cancelled) = 0;
    virtual void pickWindow(const WindowList& windows, const ScreenLayout& layout,
                            const QList<QImage>& frozen, std::function<void(quint32 windowID)> picked,
                            std::function<void()> cancelled) = 0;
};

// Turns a capture trigger into a result: region (colour, text) through the region picker over frozen
// screens, a window through the window picker, the screen under the pointer directly, or a given
// rectangle of the desktop. One capture at a time. Every flow records the window that has the
// keyboard when it starts and hands the keyboard back when it ends without an editor.
class CaptureFlows : public QObject
{
    Q_OBJECT

public:
    struct Services
    {
        Platform& platform;
        CapturePickers& pickers;
        DesktopWallpaperSource wallpaper;
        // Where captures open; null when results only go to finished() (`velmora full -o`).
        AppState* editors = nullptr;
        PillNotification* pill = nullptr;
        // Puts text on the clipboard; by default through the editors' clipboard writer.
        std::function<void(const QString&)> copyText;
        std::function<void()> beep;            // default: QApplication::beep
        std::function<ScreenLayout()> screens; // default: ScreenLayout::current
        std::function<QPointF()> pointer;      // global points; default: QCursor::pos
        // Reads the text of a picked area; without one, text capture fails with a message.
        TextRecognizer recognizeText;
    };

    explicit CaptureFlows(Services services, QObject* parent = nullptr);

    // Each returns false, doing nothing, while another capture runs.
    bool startRegionCapture(RegionCaptureMode mode);
    bool startWindowCapture();
    bool startFullScreenCapture();
    // A rectangle of native pixels, without a picker; only the part some screen shows is taken.
    bool startAreaCapture(const QRect& native);

    // The scrolling capture: a region picked over the frozen screens, framed while the user scrolls
    // the page under it, then stitched into one tall image.
    bool startScrollingCapture();
    // The running scrolling capture, once its region is picked; null otherwise.
    ScrollingCaptureController* scrollingCaptureController() const { return m_scrolling; }
    // An image that did not come from a capture (the last screenshot, the clipboard, a file) in a
    // new editor on the screen under the pointer, as a region capture. With `backgroundAssets` the
    // editor gets the capture's padding and shadow and the desktop picture behind it, as a capture
    // would. Not a flow: it neither waits for nor blocks a capture, and emits nothing.
    void openImageInEditor(const QImage& image, bool backgroundAssets);
    // Records the window that has the keyboard, to give it back once the editors are gone.
    void recordFocus() { captureCurrentFocus(); }

    bool isBusy() const { return m_busy; }
    RegionCaptureMode regionCaptureMode() const { return m_regionMode; }
    // The window to give the keyboard back to, while one is recorded.
    std::optional<quint32> focusSnapshot() const { return m_focusSnapshot; }

Q_SIGNALS:
    // Emitted once per started flow, after its editor opened or its colour was copied.
    void finished(const velmora::CaptureResult& result);

private:
    // Padding and shadow recorded with every capture; the session's own settings decide what shows.
    static constexpr double capturePadding = 30;
    static QSizeF sizeInPoints(const QImage& image)
    {
        return QSizeF(image.size()) / image.devicePixelRatio();
    }

    bool begin();
    void regionPicked(const QImage& crop, int screenIndex);
    void windowPicked(quint32 windowID, const ScreenLayout& layout);
    void windowCaptured(quint32 windowID, QImage image, const ScreenGeometry& screen);
    void openRegionEditor(const QImage& image, const ScreenGeometry& screen);
    void presentRegionEditor(const QImage& image, const std::optional<ScreenGeometry>& screen);
    void copyCenterColor(const QImage& image);
    void recognizeText(const QImage& image);
    void copyRecognizedText(const QImage& image, const TextRecognition& recognition);
    void end(CaptureResult result);
    // Ends the flow with a message; the keyboard stays where the user has put it since.
    void fail(const QString& message);
    std::optional<QRect> windowFrame(quint32 windowID) const;
    std::optional<int> screenUnderPointer(const ScreenLayout& layout) const;
    QScreen* qtScreen(const ScreenGeometry& screen) const;

    void captureCurrentFocus();
    void restoreFocus();
    void dropFocus() { m_focusSnapshot.reset(); }

    void scrollRegionPicked(const QRect& native, int screenIndex);
    // Takes down the frame, the HUD and the controller (later: it may be calling back right now).
    void cleanupScrollingCapture();

    Services m_services;
    bool m_busy = false;
    RegionCaptureMode m_regionMode = RegionCaptureMode::editor;
    std::optional<quint32> m_focusSnapshot;
    ScrollingCaptureController* m_scrolling = nullptr; // a child of this object
};

} // namespace velmora

Q_DECLARE_METATYPE(velmora::CaptureResult)
