// The region capture as the tray program runs it, several times in one process: trigger → the
// picker's first frame, and mouse release → the editor's first frame, for a 3840×2160 region. The
// first round pays for everything made once per process (the shared-memory segment, fonts); the
// later rounds are what a user of the running program waits for. Run it in an X session of at
// least 3940×2260, e.g. through bench/bench_capture.sh, which starts one at 5120×2880:
//   build/bench/bench_capture_flow [rounds]
// Figures only; nothing is asserted.

#include "AppState.h"
#include "CaptureFlows.h"
#include "OverlayPickers.h"
#include "Platform.h"
#include "capture/RegionPickerOverlay.h"
#include "editor/BackgroundAssetStore.h"
#include "editor/EditorWindow.h"
#include "output/AppFolders.h"
#include "preferences/GeneralPreferences.h"
#include "preferences/HotkeyPreferences.h"
#include "preferences/SettingsStore.h"
#include "shell/PillNotification.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>

using namespace velmora;

namespace {

// Notes the first paint of a picker (any window but an editor) or of an editor.
class FirstFrame : public QObject
{
public:
    enum class Waiting { nothing, picker, editor };

    void await(Waiting what)
    {
        m_waiting = what;
        m_painted = false;
        m_clock.start();
    }
    // Runs the event loop until the awaited frame has been painted; its time in milliseconds.
    double wait()
    {
        while (!m_painted) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        return m_ms;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_waiting != Waiting::nothing && event->type() == QEvent::Paint && watched->isWidgetType()) {
            const bool editor = qobject_cast<EditorWindow*>(static_cast<QWidget*>(watched)->window());
            if (editor == (m_waiting == Waiting::editor)) {
                m_waiting = Waiting::nothing;
                // Timed once this paint, and the rest of its frame, is done and flushed.
                QTimer::singleShot(0, this, [this] {
                    m_ms = double(m_clock.nsecsElapsed()) / 1e6;
                    m_painted = true;
                });
            }
        }
        return false;
    }

private:
    Waiting m_waiting = Waiting::nothing;
    bool m_painted = false;
    double m_ms = 0;
    QElapsedTimer m_clock;
};

QWidget* pickerOverlay()
{
    for (QWidget* widget : QApplication::allWidgets()) {
        if (auto* overlay = qobject_cast<RegionPickerOverlay*>(widget);
            overlay && overlay->isVisible() && overlay->width() >= 3940) {
            return overlay;
        }
    }
    return nullptr;
}

void send(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

double median(std::vector<double> values)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int rounds = argc > 1 ? std::max(2, QByteArray(argv[1]).toInt()) : 8;
    const std::unique_ptr<Platform> platform = createPlatform();
    if (platform->name != QLatin1String("x11")) {
        std::fprintf(stderr, "bench_capture_flow needs an X display\n");
        return 1;
    }
    AppState state({SettingsStore::shared(), BackgroundAssetStore::shared(), GeneralPreferences::shared(),
                    HotkeyPreferences::shared(), PillNotification::shared(), AppFolders::temporary()});
    OverlayPickers pickers;
    CaptureFlows flows({*platform,
                        pickers,
                        DesktopWallpaperSource::system(),
                        &state,
                        &PillNotification::shared(),
                        {},
                        {},
                        {},
                        {},
                        {}});
    FirstFrame frames;
    app.installEventFilter(&frames);

    std::vector<double> picker;
    std::vector<double> editor;
    for (int round = 0; round < rounds; ++round) {
        frames.await(FirstFrame::Waiting::picker);
        flows.startRegionCapture(RegionCaptureMode::editor);
        picker.push_back(frames.wait());
        QWidget* overlay = pickerOverlay();
        if (!overlay) {
            std::fprintf(stderr, "no picker covering 3940 pixels: is the screen large enough?\n");
            return 1;
        }
        const QPoint from(100, 100);
        const QPoint to(100 + 3840, 100 + 2160);
        send(overlay, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        send(overlay, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        send(overlay, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        frames.await(FirstFrame::Waiting::editor);
        send(overlay, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
        editor.push_back(frames.wait());
        for (EditorWindow* window : state.editorWindows()) {
            window->close();
        }
        QCoreApplication::processEvents();
    }

    std::printf("region capture in one process, %d rounds (3840x2160 region)\n", rounds);
    std::printf("  %-40s first %7.1f ms   later rounds median %7.1f ms\n", "trigger -> picker painted",
                picker[0], median({picker.begin() + 1, picker.end()}));
    std::printf("  %-40s first %7.1f ms   later rounds median %7.1f ms\n", "release -> editor shown",
                editor[0], median({editor.begin() + 1, editor.end()}));
    return 0;
}
