#include "WallpaperRender.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace velmora {
namespace {

// The picture's rectangle on the screen (local points) when it covers the screen, centred.
QRectF coveringPlacement(const QSizeF& picture, const QSizeF& screen)
{
    if (picture.width() <= 0 || picture.height() <= 0) {
        return {};
    }
    const qreal f = std::max(screen.width() / picture.width(), screen.height() / picture.height());
    const QSizeF placed = picture * f;
    return QRectF(QPointF((screen.width() - placed.width()) / 2, (screen.height() - placed.height()) / 2),
                  placed);
}

// The pixels `area` of the picture without copying them; the picture must outlive the result.
QImage subImage(const QImage& picture, const QRect& area)
{
    if (picture.depth() != 32) {
        return picture.copy(area);
    }
    QImage view(picture.constScanLine(area.top()) + area.left() * 4, area.width(), area.height(),
                picture.bytesPerLine(), picture.format());
    return view;
}

// Draws `picture` stretched over `target` (output pixels, possibly far larger than the output),
// touching only the source pixels that land in the output: a 5K picture behind a small window is
// not scaled whole to be cut down afterwards.
void drawVisiblePart(QImage& output, const QImage& picture, const QRectF& target)
{
    const QRectF visible = target & QRectF(output.rect());
    if (visible.isEmpty() || picture.isNull()) {
        return;
    }
    const qreal sx = target.width() / picture.width();
    const qreal sy = target.height() / picture.height();
    // Two source pixels beyond what shows, so the filter at the edges reads real neighbours.
    const QRectF wanted((visible.left() - target.left()) / sx - 2, (visible.top() - target.top()) / sy - 2,
                        visible.width() / sx + 4, visible.height() / sy + 4);
    const QRect source =
        QRect(QPoint(int(std::floor(wanted.left())), int(std::floor(wanted.top()))),
              QPoint(int(std::ceil(wanted.right())) - 1, int(std::ceil(wanted.bottom())) - 1)) &
        picture.rect();
    if (source.isEmpty()) {
        return;
    }
    const QRectF destination(target.left() + source.left() * sx, target.top() + source.top() * sy,
                             source.width() * sx, source.height() * sy);
    QImage part = subImage(picture, source);
    part.setDevicePixelRatio(1);
    if (sx < 0.5 || sy < 0.5) {
        // Sampling a picture several times larger than its destination aliases; averaging it down
        // first leaves the painter a step of about one to one.
        const QSize reduced(std::max(1, int(std::lround(destination.width()))),
                            std::max(1, int(std::lround(destination.height()))));
        part = part.scaled(reduced, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QPainter painter(&output);
    const QRect whole = destination.toRect();
    if (whole.size() == part.size() && QRectF(whole) == destination) {
        // Pixel for pixel on the output's grid (a picture shown at its own size): a plain copy.
        painter.drawImage(whole.topLeft(), part);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(destination, part);
}

} // namespace

std::optional<QImage> renderWallpaperImage(const QImage& picture, const ScreenGeometry& screen,
                                           const QRectF& crop, const QSizeF& outputSize)
{
    if (!(crop.width() > 0) || !(crop.height() > 0)) {
        return std::nullopt;
    }
    const qreal s = std::max<qreal>(screen.devicePixelRatio, 1.0);
    const QSize pixels(std::max(1, int(std::lround(outputSize.width() * s))),
                       std::max(1, int(std::lround(outputSize.height() * s))));
    QImage output(pixels, QImage::Format_ARGB32_Premultiplied);
    if (output.isNull()) {
        return std::nullopt;
    }
    // The desktop shows no transparency: whatever the picture leaves uncovered or see-through is
    // black, as on an empty screen.
    output.fill(Qt::black);

    const QRectF placed = coveringPlacement(QSizeF(picture.size()), QSizeF(screen.geometry.size()));
    const qreal kx = outputSize.width() / crop.width();
    const qreal ky = outputSize.height() / crop.height();
    const QRectF target((placed.left() - crop.left()) * kx * s, (placed.top() - crop.top()) * ky * s,
                        placed.width() * kx * s, placed.height() * ky * s);
    drawVisiblePart(output, picture, target);
    output.setDevicePixelRatio(s);
    return output;
}

QRectF wallpaperCropForWindow(const QRectF& windowOnScreen, const QSizeF& contentSize, double padding,
                              const QSizeF& screenSize)
{
    const QRectF screen(QPointF(0, 0), screenSize);
    const QRectF behind(windowOnScreen.left() - padding, windowOnScreen.top() - padding,
                        contentSize.width() + 2 * padding, contentSize.height() + 2 * padding);
    return behind.intersects(screen) ? behind & screen : screen;
}

} // namespace velmora
