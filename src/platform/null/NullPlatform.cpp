#include "CaptureJob.h"
#include "Platform.h"

namespace velmora {
namespace {

const char* const noDisplay = "no display to capture: Velmora needs an X11 or Wayland session";

CaptureJob* failedJob()
{
    return CaptureJob::failedWith(QString::fromLatin1(noDisplay));
}

class NullScreenCapture final : public ScreenCapture
{
public:
    CaptureJob* grabScreens(const QList<ScreenGeometry>&) override { return failedJob(); }
    CaptureJob* grabArea(const QRect&) override { return failedJob(); }
    CaptureJob* grabWindow(quint32) override { return failedJob(); }
};

class NullWindowList final : public WindowList
{
public:
    QList<WindowInfo> visibleWindows() const override { return {}; }
};

class NullFocusTracker final : public FocusTracker
{
public:
    quint32 activeWindow() const override { return 0; }
    void activate(quint32) override {}
};

class NullRootBackground final : public RootBackground
{
public:
    std::optional<QImage> picture() const override { return std::nullopt; }
};

// Without a display no key can be taken.
class NullGlobalShortcuts final : public GlobalShortcuts
{
public:
    QList<Hotkey> grab(const QList<Hotkey>& hotkeys) override { return hotkeys; }
};

} // namespace

std::unique_ptr<Platform> createNullPlatform()
{
    auto platform = std::make_unique<Platform>();
    platform->name = QStringLiteral("null");
    platform->capture = std::make_unique<NullScreenCapture>();
    platform->windows = std::make_unique<NullWindowList>();
    platform->focus = std::make_unique<NullFocusTracker>();
    platform->rootBackground = std::make_unique<NullRootBackground>();
    platform->shortcuts = std::make_unique<NullGlobalShortcuts>();
    // No display, no compositing manager.
    platform->compositor = std::make_unique<CompositorWatch>(false);
    platform->capabilities.windowUnavailableDetail =
        QStringLiteral("Window capture needs a display: Velmora runs in an X11 or Wayland session");
    platform->capabilities.scrollingUnavailableReason =
        QStringLiteral("Scrolling capture needs a display: Velmora runs in an X11 or Wayland session");
    return platform;
}

} // namespace velmora
