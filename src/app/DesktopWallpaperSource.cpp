#include "DesktopWallpaperSource.h"

#include "editor/EditorSession.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

namespace velmora {

namespace {

QSizeF outputSize(const QSizeF& contentSize, double padding)
{
    return QSizeF(contentSize.width() + 2 * padding, contentSize.height() + 2 * padding);
}

std::optional<QImage> render(const DesktopWallpaperSource& source, const ScreenGeometry& screen,
                             const QRectF& crop, const QSizeF& size)
{
    if (!source.picture || !source.render) {
        return std::nullopt;
    }
    const std::optional<QImage> picture = source.picture(screen);
    if (!picture) {
        return std::nullopt;
    }
    return source.render(*picture, screen, crop, size);
}

} // namespace

std::optional<QImage> screenWallpaper(const DesktopWallpaperSource& source, const ScreenGeometry& screen,
                                      const QSizeF& contentSize, double padding)
{
    return render(source, screen, QRectF(QPointF(0, 0), screen.geometry.size()),
                  outputSize(contentSize, padding));
}

std::optional<QImage> windowWallpaper(const DesktopWallpaperSource& source, const std::optional<QRect>& frame,
                                      const ScreenGeometry& screen, const QSizeF& contentSize, double padding)
{
    const QSizeF screenSize = screen.geometry.size();
    QRectF crop(QPointF(0, 0), screenSize);
    if (frame && source.cropForWindow) {
        const QRectF onScreen = screen.nativeToGlobal(*frame).translated(-QPointF(screen.geometry.topLeft()));
        crop = source.cropForWindow(onScreen, contentSize, padding, screenSize);
    }
    return render(source, screen, crop, outputSize(contentSize, padding));
}

void installDesktopWallpaperLoader(EditorSession& session, DesktopWallpaperSource source,
                                   const ScreenGeometry& screen, const QSizeF& contentSize,
                                   WindowFrameLookup windowFrame)
{
    session.setDesktopWallpaperLoader([source = std::move(source), screen, contentSize,
                                       windowFrame = std::move(windowFrame)](EditorSession& target) {
        QPointer<EditorSession> weak(&target);
        const double padding = target.contentPadding();
        const bool forWindow = bool(windowFrame);
        const std::optional<QRect> frame = forWindow ? windowFrame() : std::nullopt;
        QThreadPool::globalInstance()->start([weak, source, screen, contentSize, padding, forWindow, frame] {
            const std::optional<QImage> picture =
                forWindow ? windowWallpaper(source, frame, screen, contentSize, padding)
                          : screenWallpaper(source, screen, contentSize, padding);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [weak, picture] {
                    if (weak) {
                        weak->finishDesktopWallpaperLoad(picture);
                    }
                },
                Qt::QueuedConnection);
        });
    });
}

} // namespace velmora
