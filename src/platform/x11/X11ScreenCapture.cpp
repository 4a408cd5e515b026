#include "x11/X11ScreenCapture.h"

#include "CaptureJob.h"
#include "x11/X11WindowGrab.h"

#include <QPainter>
#include <QRegion>
#include <QThreadPool>

namespace velmora::x11 {

namespace {

QRect rootRect(const X11Connection& x)
{
    return QRect(0, 0, x.screen()->width_in_pixels, x.screen()->height_in_pixels);
}

// Reads `wanted` (root coordinates) into a picture of exactly that size. Whatever of it the
// root does not have, or `shown` leaves out, is transparent rather than whatever memory held.
std::optional<QImage> readRoot(const X11Connection& x, X11PixelReader& reader, const QRect& wanted,
                               const QRegion& shown, QString* error)
{
    const QRect area = wanted.intersected(rootRect(x));
    if (area.isEmpty()) {
        *error = QStringLiteral("the area lies off every screen");
        return std::nullopt;
    }
    auto pixels =
        reader.read(x.root(), area, x.screen()->root_depth, X11PixelReader::Method::automatic, error);
    if (!pixels) {
        return std::nullopt;
    }
    const QRegion blank = QRegion(wanted) - (shown & area);
    if (area == wanted && blank.isEmpty()) {
        return pixels;
    }
    QImage image(wanted.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(area.topLeft() - wanted.topLeft(), *pixels);
    for (const QRect& rect : blank.translated(-wanted.topLeft())) {
        painter.fillRect(rect, Qt::transparent);
    }
    return image;
}

// Runs `work` on the pool; its outcome ends the job.
CaptureJob* startJob(std::function<std::optional<QList<QImage>>(QString*)> work)
{
    auto* job = new CaptureJob;
    QThreadPool::globalInstance()->start([job, work = std::move(work)] {
        QString error;
        if (auto images = work(&error)) {
            job->finish(std::move(*images));
        } else {
            job->fail(error.isEmpty() ? QStringLiteral("the capture failed") : error);
        }
    });
    return job;
}

} // namespace

X11ScreenCapture::X11ScreenCapture(std::shared_ptr<X11Connection> connection,
                                   std::shared_ptr<X11PixelReader> reader,
                                   std::function<ScreenLayout()> layout)
    : m_connection(std::move(connection)), m_reader(std::move(reader)), m_layout(std::move(layout))
{}

CaptureJob* X11ScreenCapture::grabScreens(const QList<ScreenGeometry>& screens)
{
    if (screens.isEmpty()) {
        return CaptureJob::failedWith(QStringLiteral("there is no screen to capture"));
    }
    return startJob(
        [x = m_connection, reader = m_reader, screens](QString* error) -> std::optional<QList<QImage>> {
            // The server serves no other client in between, so the screens show one moment.
            xcb_grab_server(x->get());
            QList<QImage> images;
            for (const ScreenGeometry& screen : screens) {
                const QRect native = screen.nativeRect();
                auto image = readRoot(*x, *reader, native, QRegion(native), error);
                if (!image) {
                    break;
                }
                image->setDevicePixelRatio(screen.devicePixelRatio > 0 ? screen.devicePixelRatio : 1.0);
                images.append(std::move(*image));
            }
            xcb_ungrab_server(x->get());
            xcb_flush(x->get());
            if (images.size() != screens.size()) {
                return std::nullopt;
            }
            return images;
        });
}

CaptureJob* X11ScreenCapture::grabArea(const QRect& native)
{
    const ScreenLayout layout = m_layout();
    const QRect clipped = layout.clipToScreens(native);
    if (clipped.isEmpty()) {
        return CaptureJob::failedWith(QStringLiteral("the area lies off every screen"));
    }
    // Screens of different sizes leave holes inside the clipped rectangle; those stay blank.
    QRegion shown;
    for (const ScreenGeometry& screen : layout.screens()) {
        shown += screen.nativeRect();
    }
    return startJob([x = m_connection, reader = m_reader, clipped,
                     shown](QString* error) -> std::optional<QList<QImage>> {
        auto image = readRoot(*x, *reader, clipped, shown, error);
        if (!image) {
            return std::nullopt;
        }
        return QList<QImage>{*image};
    });
}

CaptureJob* X11ScreenCapture::grabWindow(quint32 windowID)
{
    return startJob(
        [x = m_connection, reader = m_reader, windowID](QString* error) -> std::optional<QList<QImage>> {
            auto image = grabWindowImage(*x, *reader, windowID, error);
            if (!image) {
                return std::nullopt;
            }
            return QList<QImage>{*image};
        });
}

} // namespace velmora::x11
