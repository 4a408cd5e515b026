#include "portal/PortalPicture.h"

#include "PlatformLog.h"
#include "imaging/ImageDecoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QUrl>

#include <unistd.h>

#include <cmath>

namespace velmora::portal {

namespace {

QRect logicalBounds(const ScreenLayout& layout)
{
    QRect bounds;
    for (const ScreenGeometry& screen : layout.screens()) {
        bounds |= screen.geometry;
    }
    return bounds;
}

qreal ratioOf(const ScreenGeometry& screen)
{
    return screen.devicePixelRatio > 0 ? screen.devicePixelRatio : 1.0;
}

// The scale at which `picture` shows `logical` points, when it shows them whole (one pixel of
// rounding allowed per edge); nothing otherwise.
std::optional<qreal> scaleShowing(const QSize& picture, const QSize& logical)
{
    if (logical.isEmpty() || picture.isEmpty()) {
        return std::nullopt;
    }
    const qreal scale = qreal(picture.width()) / logical.width();
    if (std::abs(logical.height() * scale - picture.height()) > 1.0) {
        return std::nullopt;
    }
    return scale;
}

// The part of `picture` (which shows the points from `origin` on at `scale`) that shows `screen`,
// at the screen's own native size.
QImage screenPart(const QImage& picture, const QPoint& origin, qreal scale, const ScreenGeometry& screen)
{
    const QRectF source((screen.geometry.topLeft() - origin) * scale, QSizeF(screen.geometry.size()) * scale);
    const QSize size = screen.nativeRect().size();
    // The usual case, one screen shown whole: the picture itself, not a copy of it.
    QImage part = source.toRect() == picture.rect() ? picture : picture.copy(source.toRect());
    if (part.size() != size) {
        part = part.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    part.setDevicePixelRatio(ratioOf(screen));
    return part;
}

QImage blank(const ScreenGeometry& screen)
{
    QImage image(screen.nativeRect().size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(ratioOf(screen));
    return image;
}

bool liesIn(const QString& folder, const QString& candidate)
{
    return candidate == folder || candidate.startsWith(folder + QLatin1Char('/'));
}

} // namespace

std::optional<QList<QImage>> screensFromPicture(QImage picture, const ScreenLayout& layout,
                                                const QList<ScreenGeometry>& wanted,
                                                std::optional<int> focused, QString* error)
{
    if (picture.isNull()) {
        *error = QStringLiteral("the desktop's screenshot is empty");
        return std::nullopt;
    }
    // Decoded pictures are premultiplied already; a picture held only here converts in place.
    QImage source = std::move(picture);
    source.convertTo(QImage::Format_ARGB32_Premultiplied);
    const QRect bounds = logicalBounds(layout);
    if (const auto scale = scaleShowing(source.size(), bounds.size())) {
        QList<QImage> images;
        for (const ScreenGeometry& screen : wanted) {
            images.append(screenPart(source, bounds.topLeft(), *scale, screen));
        }
        return images;
    }

    // Only one output: the screen whose size the picture has. A screen of exactly the picture's
    // pixels comes before one that only has its proportions (a picture in points on a ratio-2
    // screen); among equals, the focused screen.
    std::optional<int> shown;
    bool exact = false;
    for (int i = 0; i < layout.screens().size(); ++i) {
        const ScreenGeometry& screen = layout.screens()[i];
        if (!scaleShowing(source.size(), screen.geometry.size())) {
            continue;
        }
        const bool same = screen.nativeRect().size() == source.size();
        if (!shown || (same && !exact) || (same == exact && i == focused)) {
            shown = i;
            exact = same;
        }
    }
    if (!shown) {
        *error = QStringLiteral("the desktop's screenshot (%1x%2) fits no screen of the layout")
                     .arg(source.width())
                     .arg(source.height());
        return std::nullopt;
    }
    const ScreenGeometry& screen = layout.screens()[*shown];
    const qreal scale = qreal(source.width()) / screen.geometry.width();
    QList<QImage> images;
    bool any = false;
    for (const ScreenGeometry& want : wanted) {
        if (want == screen) {
            images.append(screenPart(source, screen.geometry.topLeft(), scale, screen));
            any = true;
        } else {
            images.append(blank(want));
        }
    }
    if (!any) {
        *error = QStringLiteral("the desktop's screenshot shows another screen than the one asked for");
        return std::nullopt;
    }
    return images;
}

QImage desktopArea(const QList<QImage>& screenPictures, const ScreenLayout& layout, const QRect& native)
{
    QImage area(native.size(), QImage::Format_ARGB32_Premultiplied);
    area.fill(Qt::transparent);
    QPainter painter(&area);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (int i = 0; i < layout.screens().size() && i < screenPictures.size(); ++i) {
        const QRect screen = layout.screens()[i].nativeRect();
        if (!screen.intersects(native)) {
            continue;
        }
        // One picture pixel per native pixel, whatever ratio the picture carries.
        QImage pixels = screenPictures[i];
        pixels.setDevicePixelRatio(1.0);
        painter.drawImage(screen.topLeft() - native.topLeft(), pixels);
    }
    painter.end();
    layout.clearUnshown(area, native);
    return area;
}

bool isDisposable(const QString& path, const QStringList& folders, uint uid)
{
    const QFileInfo file(path);
    if (file.isSymLink() || !file.isFile() || file.ownerId() != uid) {
        return false;
    }
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    if (folder.isEmpty()) {
        return false;
    }
    for (const QString& temporary : folders) {
        const QString canonical = QFileInfo(temporary).canonicalFilePath();
        if (!canonical.isEmpty() && liesIn(canonical, folder)) {
            return true;
        }
    }
    return false;
}

QStringList temporaryFolders()
{
    QStringList folders{QDir::tempPath(), QStringLiteral("/tmp"), QStringLiteral("/var/tmp")};
    folders.removeDuplicates();
    return folders;
}

std::optional<QImage> takePicture(const QString& uri, QString* error)
{
    const QUrl url(uri);
    if (!url.isLocalFile()) {
        *error = QStringLiteral("the desktop portal returned no picture file (%1)").arg(uri);
        return std::nullopt;
    }
    const QString path = url.toLocalFile();
    // libspng straight into the final buffer, Format_ARGB32_Premultiplied: no conversion after.
    std::optional<QImage> image = decodeImageFile(path);
    if (isDisposable(path, temporaryFolders(), uint(::getuid()))) {
        QFile::remove(path);
    }
    if (!image) {
        *error = QStringLiteral("cannot read the desktop's screenshot %1").arg(path);
        return std::nullopt;
    }
    return image;
}

} // namespace velmora::portal
