#include "AppState.h"
#include "CaptureFlows.h"
#include "CaptureJob.h"
#include "Platform.h"
#include "editor/EditorSession.h"
#include "editor/EditorWindow.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

// The window flow: the window picker over the frozen screens, then the window grabbed alone and
// placed on the desktop picture that lies behind it. Where no window is listed (Wayland) the
// desktop's own picker chooses and grabs the window instead.

namespace velmora {

bool CaptureFlows::startWindowCapture()
{
    if (!begin()) {
        return false;
    }
    const ScreenLayout layout = m_services.screens();
    const PlatformCapabilities& can = m_services.platform.capabilities;
    if (!can.windowCapture()) {
        // Velmora's picker would offer no window at all.
        fail(can.windowUnavailableReason());
        return true;
    }
    if (!can.windowList && can.interactiveWindowGrab) {
        // Velmora's picker would show an empty desktop; the desktop's dialog knows the windows.
        const ScreenGeometry screen = layout.screens().value(screenUnderPointer(layout).value_or(0));
        CaptureJob* job = m_services.platform.capture->grabWindow(0);
        connect(job, &CaptureJob::failed, this, &CaptureFlows::fail);
        connect(job, &CaptureJob::cancelled, this, [this] { end(CaptureResult::cancelled()); });
        connect(job, &CaptureJob::done, this,
                [this, job, screen] { windowCaptured(0, job->image(), screen); });
        return true;
    }
    CaptureJob* job = m_services.platform.capture->grabScreens(layout.screens());
    connect(job, &CaptureJob::failed, this, &CaptureFlows::fail);
    connect(job, &CaptureJob::cancelled, this, [this] { end(CaptureResult::cancelled()); });
    connect(job, &CaptureJob::done, this, [this, job, layout] {
        QPointer<CaptureFlows> self(this);
        m_services.pickers.pickWindow(
            *m_services.platform.windows, layout, job->images(),
            [self, layout](quint32 windowID) {
                if (self) {
                    self->windowPicked(windowID, layout);
                }
            },
            [self] {
                if (self) {
                    self->restoreFocus();
                    self->end(CaptureResult::cancelled());
                }
            });
    });
    return true;
}

void CaptureFlows::windowPicked(quint32 windowID, const ScreenLayout& layout)
{
    std::optional<int> index;
    if (const auto frame = windowFrame(windowID)) {
        for (int i = 0; i < layout.screens().size() && !index; ++i) {
            if (layout.screens()[i].nativeRect().intersects(*frame)) {
                index = i;
            }
        }
    }
    if (!index) {
        index = screenUnderPointer(layout);
    }
    const ScreenGeometry screen = layout.screens().value(index.value_or(0));
    CaptureJob* job = m_services.platform.capture->grabWindow(windowID);
    connect(job, &CaptureJob::failed, this, &CaptureFlows::fail);
    connect(job, &CaptureJob::cancelled, this, [this] { end(CaptureResult::cancelled()); });
    connect(job, &CaptureJob::done, this,
            [this, job, windowID, screen] { windowCaptured(windowID, job->image(), screen); });
}

void CaptureFlows::windowCaptured(quint32 windowID, QImage image, const ScreenGeometry& screen)
{
    image.setDevicePixelRatio(screen.devicePixelRatio);
    if (!m_services.editors) {
        end(CaptureResult::captured(image));
        return;
    }
    // The editor opens with the desktop picture behind the window already in place, so it is
    // worked out before, off the main thread.
    const double padding = EditorSession::defaultPadding(CaptureKind::window);
    const std::optional<QRect> frame = windowFrame(windowID);
    QPointer<CaptureFlows> self(this);
    QThreadPool::globalInstance()->start(
        [self, source = m_services.wallpaper, image, frame, screen, padding, windowID] {
            std::optional<QImage> wallpaper =
                windowWallpaper(source, frame, screen, sizeInPoints(image), padding);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, image, wallpaper, screen, windowID] {
                    if (!self || !self->m_services.editors) {
                        return;
                    }
                    AppState::OpenOptions options;
                    options.kind = CaptureKind::window;
                    options.tightFit = true;
                    options.preferredScreen = self->qtScreen(screen);
                    options.assets = CaptureBackgroundAssets{image, wallpaper, capturePadding, true};
                    options.backgroundEnabledByDefault = true;
                    EditorSession& session = self->m_services.editors->openEditor(image, options)->session();
                    QPointer<CaptureFlows> flows = self;
                    installDesktopWallpaperLoader(
                        session, self->m_services.wallpaper, screen, sizeInPoints(image),
                        [flows, windowID] { return flows ? flows->windowFrame(windowID) : std::nullopt; });
                    session.requestDesktopWallpaperIfNeeded();
                    self->end(CaptureResult::captured(image));
                },
                Qt::QueuedConnection);
        });
}

std::optional<QRect> CaptureFlows::windowFrame(quint32 windowID) const
{
    if (const auto info = m_services.platform.windows->windowInfo(windowID)) {
        return info->frame;
    }
    return std::nullopt;
}

} // namespace velmora
