#include "editor/LiveBackground.h"

#include "editor/EditorSession.h"
#include "editor/GradientRenderer.h"
#include "editor/TransparentPreviewPattern.h"
#include "imaging/Blur.h"

#include <QPainter>

#include <cmath>

namespace velmora {

namespace {

// Scales the picture to cover the size, cropping the overflow.
QImage aspectFilled(const QImage& picture, const QSize& size)
{
    QImage scaled = picture.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    return scaled.copy((scaled.width() - size.width()) / 2, (scaled.height() - size.height()) / 2,
                       size.width(), size.height());
}

} // namespace

QImage LiveBackground::picture(EditorSession& session, const QSize& pixels, double dpr, bool& isFallbackGrey)
{
    const BackgroundSelection& selection = session.backgroundSelection();
    const double blur = session.windowCaptureBackgroundBlur();
    isFallbackGrey = false;
    QImage source;
    QString sourceKey;
    switch (selection.kind()) {
    case BackgroundSelection::Kind::gradient:
    case BackgroundSelection::Kind::autoGradient:
        break;
    case BackgroundSelection::Kind::userWallpaper:
        for (const auto& item : session.userWallpaperItems()) {
            if (item.id == selection.itemId()) {
                source = item.image;
            }
        }
        break;
    case BackgroundSelection::Kind::desktopWallpaper:
        if (session.backgroundAssets() && session.backgroundAssets()->wallpaperBackgroundImage) {
            source = *session.backgroundAssets()->wallpaperBackgroundImage;
        }
        break;
    default:
        return {};
    }
    const bool isGradient = selection.kind() == BackgroundSelection::Kind::gradient ||
                            selection.kind() == BackgroundSelection::Kind::autoGradient;
    if (!isGradient && source.isNull()) {
        isFallbackGrey = true;
        return {};
    }
    const QVector<Color> autoColors = session.autoBackgroundColors();
    sourceKey = QStringLiteral("%1|%2|%3x%4|%5|%6")
                    .arg(selection.persistenceValue())
                    .arg(source.cacheKey())
                    .arg(pixels.width())
                    .arg(pixels.height())
                    .arg(blur)
                    .arg(isGradient && !autoColors.isEmpty() ? autoColors.front().hexRgb() : QString());
    if (sourceKey == m_key) {
        return m_cached;
    }
    QImage result;
    const QSizeF points = QSizeF(pixels) / dpr;
    if (selection.kind() == BackgroundSelection::Kind::gradient) {
        result = GradientRenderer::render(selection.gradientPreset(), points, dpr);
    } else if (selection.kind() == BackgroundSelection::Kind::autoGradient) {
        result = GradientRenderer::render(autoColors, BackgroundGradientStyle::linear(135), points, dpr);
    } else {
        result = aspectFilled(source, pixels);
        if (blur > 0) {
            // The same blur as the exported picture, so the preview does not mislead.
            result = blurred(result, blur);
        }
    }
    m_key = sourceKey;
    m_cached = result;
    return result;
}

void LiveBackground::paint(QPainter& painter, const QRectF& area, EditorSession& session, bool dark)
{
    const BackgroundSelection& selection = session.backgroundSelection();
    switch (selection.kind()) {
    case BackgroundSelection::Kind::preset:
        painter.fillRect(area, fill(selection.colorPreset()).toQColor());
        return;
    case BackgroundSelection::Kind::customColor: {
        QColor color = Qt::white;
        for (const auto& item : session.customBackgroundColors()) {
            if (item.id == selection.itemId()) {
                color = item.color().toQColor();
            }
        }
        painter.fillRect(area, color);
        return;
    }
    case BackgroundSelection::Kind::transparent:
        paintTransparentPreviewPattern(painter, area, dark);
        return;
    case BackgroundSelection::Kind::autoColor: {
        const QVector<Color> colors = session.autoBackgroundColors();
        painter.fillRect(area, colors.isEmpty() ? QColor(Qt::white) : colors.front().toQColor());
        return;
    }
    default:
        break;
    }
    const double dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QSize pixels(std::max(1, int(std::ceil(area.width() * dpr))),
                       std::max(1, int(std::ceil(area.height() * dpr))));
    bool grey = false;
    QImage image = picture(session, pixels, dpr, grey);
    if (grey || image.isNull()) {
        painter.fillRect(area, QColor(128, 128, 128));
        return;
    }
    image.setDevicePixelRatio(dpr);
    painter.drawImage(area.topLeft(), image);
}

} // namespace velmora
