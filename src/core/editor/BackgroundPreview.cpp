#include "editor/BackgroundPreview.h"
#include "Overloaded.h"

#include "editor/GradientRenderer.h"
#include "imaging/Blur.h"

#include <QPainter>

#include <cmath>

namespace velmora {

namespace {

// Mirror copies further out than this many times the picture are left white: only a capture of a
// few pixels shown in a large window gets there.
constexpr int maxMirrorTiles = 32;

int floorDiv(int a, int b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// The rectangle's edges rounded to the nearest pixel edge, so every pixel whose centre lies inside
// is included.
QRect roundedRect(const QRectF& rect)
{
    const QPoint topLeft(int(std::lround(rect.left())), int(std::lround(rect.top())));
    const QPoint bottomRight(int(std::lround(rect.right())), int(std::lround(rect.bottom())));
    return QRect(topLeft, bottomRight - QPoint(1, 1));
}

// Fills the whole image with `tile` (which lies at `at`) and, past its edges, with alternating
// mirror images of it, as a picture continues in a mirror: no seam and nothing invented.
void fillMirrored(QImage& image, const QImage& tile, const QRect& at)
{
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const auto range = [](int origin, int size, int extent) {
        const int first = std::max(floorDiv(0 - origin, size), -maxMirrorTiles);
        const int last = std::min(floorDiv(extent - 1 - origin, size), maxMirrorTiles);
        return std::pair(first, last);
    };
    const auto [i0, i1] = range(at.left(), at.width(), image.width());
    const auto [j0, j1] = range(at.top(), at.height(), image.height());
    QImage variants[4];
    for (int j = j0; j <= j1; ++j) {
        for (int i = i0; i <= i1; ++i) {
            const bool flipX = (i & 1) != 0;
            const bool flipY = (j & 1) != 0;
            QImage& variant = variants[int(flipX) + 2 * int(flipY)];
            if (variant.isNull()) {
                variant = tile.mirrored(flipX, flipY);
            }
            painter.drawImage(QPoint(at.left() + i * at.width(), at.top() + j * at.height()), variant);
        }
    }
}

} // namespace

QRectF BackgroundPreview::aspectFillRect(const QSizeF& picture, const QRectF& frame)
{
    if (picture.isEmpty()) {
        return frame;
    }
    const double scale = std::max(frame.width() / picture.width(), frame.height() / picture.height());
    const QSizeF drawn = picture * scale;
    return {frame.center() - QPointF(drawn.width() / 2, drawn.height() / 2), drawn};
}

QImage BackgroundPreview::render(const BackgroundPreviewInputs& in)
{
    const QSize area = in.areaPixels.expandedTo(QSize(1, 1));
    if (in.compositeRect.isEmpty() || in.compositePixels.isEmpty()) {
        return {};
    }
    return std::visit(Overloaded{
                          [&](const Color& color) {
                              QImage image(area, QImage::Format_ARGB32_Premultiplied);
                              image.fill(color.toQColor());
                              return image;
                          },
                          [&](const QImage& picture) {
                              return renderPicture(picture, in.backgroundBlur, in.compositeRect, area);
                          },
                          [&](const auto& gradient) {
                              using Gradient = std::decay_t<decltype(gradient)>;
                              QVector<Color> colors;
                              BackgroundGradientStyle style = BackgroundGradientStyle::linear(135);
                              if constexpr (std::is_same_v<Gradient, PresetGradientBackground>) {
                                  const auto pair = velmora::colors(gradient.preset);
                                  colors = {pair[0], pair[1]};
                                  style = BackgroundGradientStyle::linear(angleDegrees(gradient.preset));
                              } else {
                                  colors = gradient.colors;
                              }
                              QImage image = GradientRenderer::render(colors, style, area, in.compositeRect);
                              // The export blurs its gradient in its own pixels; here they are this many.
                              const double scale = in.compositeRect.width() / in.compositePixels.width();
                              return in.backgroundBlur > 0 ? blurred(image, in.backgroundBlur * scale)
                                                           : image;
                          },
                      },
                      in.background);
}

QImage BackgroundPreview::renderPicture(const QImage& picture, double blur, const QRectF& compositeRect,
                                        const QSize& area)
{
    if (picture.isNull()) {
        return {};
    }
    // The export covers its canvas with the picture after blurring it in the picture's own pixels,
    // so the blur shrinks with the picture on its way to the area.
    const QRectF placed = aspectFillRect(QSizeF(picture.size()), compositeRect);
    const double radius = blur * placed.width() / picture.width();
    // The blur reaches about three standard deviations (1.35 × the radius each) in from outside
    // the visible part; beyond that the picture need not be rendered.
    const int margin = radius > 0 ? int(std::ceil(4.5 * radius)) + 2 : 0;
    const QRect region =
        QRect(QPoint(0, 0), area).adjusted(-margin, -margin, margin, margin) & roundedRect(placed);
    if (region.isEmpty()) {
        return {};
    }
    QImage tile = scaledRegion(picture, placed, region);
    if (tile.isNull()) {
        return {};
    }
    if (radius > 0) {
        tile = blurred(tile, radius);
    }
    QImage image(area, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return {};
    }
    fillMirrored(image, tile, region);
    return image;
}

// The part of the picture that falls on `region` once it covers `placed`, in the area's pixels.
QImage BackgroundPreview::scaledRegion(const QImage& picture, const QRectF& placed, const QRect& region)
{
    const QImage& source = level(picture, placed.width() / picture.width());
    QImage result(region.size(), QImage::Format_ARGB32_Premultiplied);
    if (result.isNull() || source.isNull()) {
        return {};
    }
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    // Only the pixels of the region are computed, however large the whole picture is drawn.
    painter.drawImage(placed.translated(-QPointF(region.topLeft())), source);
    return result;
}

// The picture halved, by averaging, as often as it can be while still at least as large as it is
// drawn, so the final interpolation never reduces it by half or more: sampling a picture several
// times larger than its destination would alias where the export (which blurs it first) stays
// smooth. Halvings are kept, so zooming, panning and moving the blur slider reuse them.
const QImage& BackgroundPreview::level(const QImage& picture, double scale)
{
    if (m_levelsKey != picture.cacheKey()) {
        m_levelsKey = picture.cacheKey();
        m_levels = {picture};
        m_levels.front().setDevicePixelRatio(1);
    }
    int index = 0;
    for (double s = scale * 2; s <= 1 && m_levels[index].width() > 1 && m_levels[index].height() > 1;
         s *= 2) {
        if (++index == int(m_levels.size())) {
            const QImage& larger = m_levels.back();
            QImage halved = larger.scaled(std::max(1, larger.width() / 2), std::max(1, larger.height() / 2),
                                          Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            if (halved.isNull()) {
                return m_levels[index - 1];
            }
            m_levels.push_back(halved);
        }
    }
    return m_levels[index];
}

} // namespace velmora
