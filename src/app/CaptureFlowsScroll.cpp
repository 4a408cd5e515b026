#include "CaptureFlows.h"
#include "CaptureJob.h"
#include "Platform.h"
#include "capture/ScrollingCaptureController.h"

#include <QPointer>
#include <QScreen>

// The scrolling flow: the region picker over the frozen screens, then the scrolling capture
// controller on the picked rectangle, and its stitched image in an editor like a full-screen capture.

namespace velmora {

bool CaptureFlows::startScrollingCapture()
{
    if (!begin()) {
        return false;
    }
    if (const PlatformCapabilities& can = m_services.platform.capabilities; !can.scrollingCapture) {
        // Said before the picker, not after the user has dragged a region for nothing.
        fail(can.scrollingUnavailableReason);
        return true;
    }
    const ScreenLayout layout = m_services.screens();
    if (layout.isEmpty()) {
        dropFocus();
        end(CaptureResult::cancelled());
        return true;
    }
    CaptureJob* job = m_services.platform.capture->grabScreens(layout.screens());
    connect(job, &CaptureJob::failed, this, [this](const QString& message) {
        m_services.beep();
        fail(message);
    });
    connect(job, &CaptureJob::cancelled, this, [this] { end(CaptureResult::cancelled()); });
    connect(job, &CaptureJob::done, this, [this, job, layout] {
        QPointer<CaptureFlows> self(this);
        m_services.pickers.pickRegion(
            RegionPicker::Mode::region, layout, job->images(),
            [self](const QImage&, int screenIndex, const QRect& native) {
                if (self) {
                    self->scrollRegionPicked(native, screenIndex);
                }
            },
            [self] {
                if (self) {
                    self->dropFocus();
                    self->end(CaptureResult::cancelled());
                }
            });
    });
    return true;
}

void CaptureFlows::scrollRegionPicked(const QRect& native, int screenIndex)
{
    const ScreenLayout layout = m_services.screens();
    const ScreenGeometry screen = layout.screens().value(screenIndex);
    // The frozen picture is not what gets stitched: from here on the live screen is grabbed.
    m_scrolling = new ScrollingCaptureController(*m_services.platform.capture, native,
                                                 screen.devicePixelRatio, {}, this);
    m_scrolling->onComplete = [this, screen](const QImage& image) {
        cleanupScrollingCapture();
        openRegionEditor(image, screen);
    };
    m_scrolling->onCancel = [this] {
        cleanupScrollingCapture();
        dropFocus();
        end(CaptureResult::cancelled());
    };
    m_scrolling->onFailure = [this](const QString& message) {
        cleanupScrollingCapture();
        m_services.beep();
        fail(message);
    };
    const QRect region = screen.nativeToGlobal(native).toAlignedRect();
    const QScreen* shown = qtScreen(screen);
    m_scrolling->showHud(region, screen.geometry, shown ? shown->availableGeometry() : screen.geometry);
}

void CaptureFlows::cleanupScrollingCapture()
{
    if (auto* controller = std::exchange(m_scrolling, nullptr)) {
        controller->onComplete = nullptr;
        controller->onCancel = nullptr;
        controller->onFailure = nullptr;
        controller->cancel();
        controller->deleteLater();
    }
}

} // namespace velmora
