// The rendering half of EditorSession: composite, final image, background warm-up and the crop of
// the composed picture.
#include "annotation/AnnotationGeometry.h"
#include "annotation/AnnotationPainter.h"
#include "editor/EditorSession.h"

#include <QThreadPool>

#include <cmath>

namespace velmora {

CompositeInputs EditorSession::compositeInputs()
{
    CompositeInputs in;
    in.content = contentImage();
    in.padding = m_style.padding();
    in.inset = m_style.inset();
    in.cornerRadius = m_style.cornerRadius();
    in.shadow = m_style.shadow();
    in.backgroundBlur = m_style.backgroundBlur();
    in.drawsShadow = m_backgroundAssets ? m_backgroundAssets->drawsShadow : true;
    in.edgeColor = contentEdgeColor();
    in.maxPixels = m_maxCompositePixels;

    const BackgroundSelection& selection = m_style.backgroundSelection();
    switch (selection.kind()) {
    case BackgroundSelection::Kind::preset:
        in.background = fill(selection.colorPreset());
        break;
    case BackgroundSelection::Kind::customColor: {
        in.background = Color::white();
        for (const BackgroundColorItem& item : std::as_const(m_style.customBackgroundColors())) {
            if (item.id == selection.itemId()) {
                in.background = item.color();
                break;
            }
        }
        break;
    }
    case BackgroundSelection::Kind::gradient:
        in.background = PresetGradientBackground{selection.gradientPreset()};
        break;
    case BackgroundSelection::Kind::userWallpaper: {
        in.background = Color::white();
        for (const BackgroundWallpaperItem& item : std::as_const(m_userWallpaperItems)) {
            if (item.id == selection.itemId() && !item.image.isNull()) {
                in.background = item.image;
                break;
            }
        }
        break;
    }
    case BackgroundSelection::Kind::transparent:
        in.background = Color{0, 0, 0, 0};
        break;
    case BackgroundSelection::Kind::desktopWallpaper:
        in.background = Color::white();
        if (m_backgroundAssets && m_backgroundAssets->wallpaperBackgroundImage &&
            !m_backgroundAssets->wallpaperBackgroundImage->isNull()) {
            in.background = *m_backgroundAssets->wallpaperBackgroundImage;
        }
        break;
    case BackgroundSelection::Kind::autoColor: {
        const QVector<Color> palette = autoBackgroundColors();
        in.background = palette.isEmpty() ? Color::white() : palette.front();
        break;
    }
    case BackgroundSelection::Kind::autoGradient:
        in.background = AutoGradientBackground{autoBackgroundColors()};
        break;
    }
    return in;
}

QImage EditorSession::flattenedComposite()
{
    if (!isCompositeShown()) {
        return m_capturedImage;
    }
    if (auto cached = compositeCache()) {
        return *cached;
    }
    const quint64 generation = compositeGeneration();
    const QImage composite = renderComposite(compositeInputs());
    storeCompositeCache(composite, generation);
    return composite;
}

BlurSource EditorSession::blurSource() const
{
    if (isCompositeShown()) {
        return {contentImage(), QPointF(contentOffset(), contentOffset())};
    }
    return {m_capturedImage, QPointF(0, 0)};
}

void EditorSession::setMaxCompositePixels(qint64 pixels)
{
    m_maxCompositePixels = pixels;
    clearCompositeCache();
}

QImage EditorSession::renderedImage()
{
    return renderAnnotated(flattenedComposite(), m_annotations, blurSource());
}

void EditorSession::precomputeComposite()
{
    if (!isCompositeShown()) {
        return;
    }
    CompositeInputs inputs = compositeInputs();
    std::weak_ptr<CompositeCache> weakCache = m_composite;
    quint64 generation = compositeGeneration();
    QThreadPool::globalInstance()->start([inputs = std::move(inputs), weakCache, generation] {
        const auto cache = weakCache.lock();
        if (!cache) {
            return;
        }
        cache->fill(renderComposite(inputs), generation);
    });
}

void EditorSession::cropComposite(const QRectF& rect)
{
    const QImage composite = flattenedComposite();
    const QSizeF points = pointSize(composite);
    if (composite.isNull() || points.isEmpty()) {
        return;
    }
    const QRectF area = rect.intersected(QRectF(QPointF(0, 0), points));
    if (area.width() <= 0 || area.height() <= 0) {
        return;
    }
    const double sx = composite.width() / points.width();
    const double sy = composite.height() / points.height();
    const QRect pixels = pixelRectRoundedOutward(area, sx, sy).intersected(composite.rect());
    if (pixels.isEmpty()) {
        return;
    }
    QImage cut = composite.copy(pixels);
    if (cut.isNull()) {
        return;
    }
    cut.setDevicePixelRatio(sx);
    const QSizeF cutPoints(pixels.width() / sx, pixels.height() / sy);
    setAnnotations(translatedAndKept(m_annotations, -area.topLeft(), QRectF(QPointF(0, 0), cutPoints)));
    setBackgroundCompositeEnabled(false);
    setBackgroundAssets(std::nullopt);
    setCapturedImage(cut);
}

} // namespace velmora
