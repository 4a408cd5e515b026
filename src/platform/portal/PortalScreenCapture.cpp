#include "portal/PortalScreenCapture.h"

#include "CaptureJob.h"
#include "PlatformLog.h"
#include "portal/PortalAreaStream.h"
#include "portal/PortalPicture.h"
#include "portal/PortalRequest.h"

#include <QCursor>
#include <QThreadPool>

namespace velmora::portal {

namespace {

constexpr char screenshotInterface[] = "org.freedesktop.portal.Screenshot";

} // namespace

PortalScreenCapture::PortalScreenCapture(QDBusConnection bus, std::function<ScreenLayout()> layout,
                                         PortalTimeouts timeouts)
    : m_bus(std::move(bus)), m_layout(std::move(layout)), m_timeouts(timeouts)
{}

void PortalScreenCapture::screenshot(bool interactive, CaptureJob* job, Picked then)
{
    QVariantMap options;
    options.insert(QStringLiteral("interactive"), interactive);
    options.insert(QStringLiteral("modal"), true);
    // No parent window: the capture starts before any window of ours exists.
    auto* request = PortalRequest::start(m_bus, QLatin1String(screenshotInterface),
                                         QStringLiteral("Screenshot"), {QString()}, options,
                                         interactive ? m_timeouts.interactiveMs : m_timeouts.plainMs, job);
    QObject::connect(request, &PortalRequest::finished, job,
                     [this, interactive, job, then = std::move(then)](const PortalResponse& response) {
                         answered(response, interactive, job, then);
                     });
}

void PortalScreenCapture::answered(const PortalResponse& response, bool interactive, CaptureJob* job,
                                   Picked then)
{
    switch (response.outcome) {
    case PortalResponse::Outcome::cancelled:
        job->cancel();
        return;
    case PortalResponse::Outcome::failed:
        // A quick "failed" to a plain request is the desktop's policy (no permission to take
        // screenshots without asking); its picker is the way left.
        if (!interactive && response.code == 2 && response.elapsedMs < m_timeouts.refusalMs) {
            qCWarning(lcPlatform) << "[Velmora] The desktop refused a screenshot without its picker: asking "
                                     "through the desktop's picker from now on";
            m_interactiveOnly = true;
            notify(QStringLiteral("This desktop asks before each screenshot: Velmora uses its screenshot "
                                  "dialog from now on"));
            screenshot(true, job, std::move(then));
            return;
        }
        qCWarning(lcPlatform).noquote() << "[Velmora] Screenshot portal failed:" << response.error;
        job->fail(response.error);
        return;
    case PortalResponse::Outcome::done:
        break;
    }
    const QString uri = response.results.value(QStringLiteral("uri")).toString();
    // Reading and decoding a large picture takes a while; the caller's thread stays free.
    QThreadPool::globalInstance()->start([job, uri, then = std::move(then)] {
        QString error;
        if (auto picture = takePicture(uri, &error)) {
            then(std::move(*picture));
        } else {
            qCWarning(lcPlatform).noquote() << "[Velmora] Screenshot portal failed:" << error;
            job->fail(error);
        }
    });
}

CaptureJob*
PortalScreenCapture::grabDesktop(std::function<std::optional<QList<QImage>>(QImage, QString*)> cut)
{
    auto* job = new CaptureJob;
    screenshot(m_interactiveOnly, job, [job, cut = std::move(cut)](QImage picture) {
        QString error;
        // Handed on, not copied: the only reference lets the cut convert the picture in place.
        if (auto images = cut(std::move(picture), &error)) {
            job->finish(std::move(*images));
        } else {
            qCWarning(lcPlatform).noquote() << "[Velmora] Screenshot portal failed:" << error;
            job->fail(error);
        }
    });
    return job;
}

CaptureJob* PortalScreenCapture::grabScreens(const QList<ScreenGeometry>& screens)
{
    if (screens.isEmpty()) {
        return CaptureJob::failedWith(QStringLiteral("there is no screen to capture"));
    }
    const ScreenLayout layout = m_layout();
    // A desktop that returns only its focused output most likely means the one under the pointer.
    const std::optional<int> focused = layout.screenAt(QCursor::pos());
    return grabDesktop([layout, screens, focused](QImage picture, QString* error) {
        return screensFromPicture(std::move(picture), layout, screens, focused, error);
    });
}

CaptureJob* PortalScreenCapture::grabArea(const QRect& native)
{
    const ScreenLayout layout = m_layout();
    const QRect clipped = layout.clipToScreens(native);
    if (clipped.isEmpty()) {
        return CaptureJob::failedWith(QStringLiteral("the area lies off every screen"));
    }
    const std::optional<int> focused = layout.screenAt(QCursor::pos());
    return grabDesktop([layout, clipped, focused](QImage picture,
                                                  QString* error) -> std::optional<QList<QImage>> {
        const auto screens = screensFromPicture(std::move(picture), layout, layout.screens(), focused, error);
        if (!screens) {
            return std::nullopt;
        }
        return QList<QImage>{desktopArea(*screens, layout, clipped)};
    });
}

CaptureJob* PortalScreenCapture::grabWindow(quint32)
{
    // Wayland lists no windows; the desktop's own picker offers window capture where it can.
    auto* job = new CaptureJob;
    screenshot(true, job, [job](QImage picture) {
        job->finish({picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)});
    });
    return job;
}

std::unique_ptr<AreaStream> PortalScreenCapture::openAreaStream(const QRect& native)
{
    const ScreenLayout layout = m_layout();
    std::optional<ScreenGeometry> screen;
    if (const auto index = layout.screenAtNative(native.center())) {
        screen = layout.screens().value(*index);
    }
    // Start may wait for the user in the desktop's dialog, like an interactive screenshot.
    return std::make_unique<PortalAreaStream>(m_bus, native, screen, m_timeouts.plainMs,
                                              m_timeouts.interactiveMs);
}

} // namespace velmora::portal
