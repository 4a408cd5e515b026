#pragma once

#include "ScreenCapture.h"

#include <QDBusConnection>
#include <QImage>

#include <functional>

namespace velmora::portal {

struct PortalResponse;

// How long a screenshot request may take.
struct PortalTimeouts
{
    int plainMs = 30'000;        // without the picker (may still ask the user for permission once)
    int interactiveMs = 180'000; // the user picks in the desktop's dialog
    // A failure answered faster than this came from policy, not from the user.
    int refusalMs = 3'000;
};

// Grabs through org.freedesktop.portal.Screenshot. Screens and areas come from one
// non-interactive screenshot cut to the screens, so Velmora's own pickers run over it as over a
// display server's grab. A desktop that refuses non-interactive screenshots is asked through its
// own picker from then on (said once, in the log and to the notifier). Window capture is the desktop's
// picker. A scrolling capture streams the screen through the ScreenCast portal.
class PortalScreenCapture final : public ScreenCapture
{
public:
    explicit PortalScreenCapture(QDBusConnection bus,
                                 std::function<ScreenLayout()> layout = ScreenLayout::current,
                                 PortalTimeouts timeouts = {});

    CaptureJob* grabScreens(const QList<ScreenGeometry>& screens) override;
    CaptureJob* grabArea(const QRect& native) override;
    CaptureJob* grabWindow(quint32 windowID) override;
    // Through the ScreenCast portal: a Screenshot call per frame is far too slow for scrolling.
    std::unique_ptr<AreaStream> openAreaStream(const QRect& native) override;

private:
    using Picked = std::function<void(QImage)>;
    // Asks the portal for a screenshot; `then` gets the picture on a pool thread, unless the job
    // was already ended (cancelled, failed).
    void screenshot(bool interactive, CaptureJob* job, Picked then);
    void answered(const PortalResponse& response, bool interactive, CaptureJob* job, Picked then);
    CaptureJob* grabDesktop(std::function<std::optional<QList<QImage>>(QImage, QString*)> cut);

    QDBusConnection m_bus;
    std::function<ScreenLayout()> m_layout;
    PortalTimeouts m_timeouts;
    bool m_interactiveOnly = false;
};

} // namespace velmora::portal
