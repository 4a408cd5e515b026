// The editing half of EditorSession: crop, the composite switch, colour sampling, the sidebar's
// reset, custom colours, wallpapers and the colours derived from the picture.
#include "annotation/AnnotationGeometry.h"
#include "annotation/AnnotationStyle.h"
#include "editor/BackgroundAssetStore.h"
#include "editor/EditorSession.h"
#include "editor/EditorSettings.h"

#include <cmath>

namespace velmora {

void EditorSession::translateAnnotations(double dx, double dy)
{
    setAnnotations(translatedAnnotations(m_annotations, QPointF(dx, dy)));
}

bool EditorSession::restyleAnnotations(const QSet<QUuid>& ids, const StyleChange& change, bool recordUndo)
{
    AnnotationList next = restyled(m_annotations, ids, change);
    if (next == m_annotations) {
        return false;
    }
    if (recordUndo) {
        pushUndo();
    }
    setAnnotations(next);
    return true;
}

void EditorSession::crop(const QRectF& rect)
{
    const QImage source = m_capturedImage;
    const QSizeF points = pointSize(source);
    if (source.isNull() || points.isEmpty()) {
        return;
    }
    const double sx = source.width() / points.width();
    const double sy = source.height() / points.height();
    const QRect pixels = pixelRectRoundedOutward(rect, sx, sy).intersected(source.rect());
    if (pixels.isEmpty()) {
        return;
    }
    QImage cut = source.copy(pixels);
    if (cut.isNull()) {
        return;
    }
    cut.setDevicePixelRatio(sx);
    const QSizeF cutPoints(pixels.width() / sx, pixels.height() / sy);

    setAnnotations(translatedAndKept(m_annotations, -rect.topLeft(), QRectF(QPointF(0, 0), cutPoints)));

    const bool wasEnabled = m_isBackgroundCompositeEnabled;
    setBackgroundCompositeEnabled(false);
    const bool drawsShadow = m_backgroundAssets ? m_backgroundAssets->drawsShadow : true;
    setBackgroundAssets(CaptureBackgroundAssets{cut, std::nullopt, m_style.padding(), drawsShadow});
    setCapturedImage(cut);
    // The wallpaper behind the old area no longer fits the new picture.
    if (m_style.backgroundSelection().kind() == BackgroundSelection::Kind::desktopWallpaper) {
        setBackgroundSelection(BackgroundSelection::preset(BackgroundColorPreset::white));
    }
    setBackgroundCompositeEnabled(wasEnabled);
}

void EditorSession::toggleBackgroundComposite()
{
    if (!m_backgroundAssets) {
        if (captureKind() == CaptureKind::window) {
            return;
        }
        setBackgroundAssets(CaptureBackgroundAssets{m_capturedImage, std::nullopt, 30, true});
    }
    const double o = contentOffset();
    translateAnnotations(m_isBackgroundCompositeEnabled ? -o : o, m_isBackgroundCompositeEnabled ? -o : o);
    setBackgroundCompositeEnabled(!m_isBackgroundCompositeEnabled);
}

void EditorSession::sampleColor(const QPointF& point)
{
    const QImage& image = m_capturedImage;
    const QSizeF points = pointSize(image);
    if (image.isNull() || points.isEmpty()) {
        setHoveredColor(std::nullopt);
        return;
    }
    // Floor rather than truncate, so a point just left of or above the image is outside it.
    const int x = int(std::floor(point.x() * image.width() / points.width()));
    const int y = int(std::floor(point.y() * image.height() / points.height()));
    if (!image.valid(x, y)) {
        setHoveredColor(std::nullopt);
        return;
    }
    setHoveredColor(Color::fromQColor(image.pixelColor(x, y)));
}

std::optional<QString> EditorSession::hoveredHex() const
{
    if (!m_hoveredColor) {
        return std::nullopt;
    }
    return m_hoveredColor->hexRgb();
}

void EditorSession::resetSidebarSettings()
{
    pushUndo();
    setContentCornerRadius(EditorSettings::cornerRadius.defaultValue(captureKind()));
    setContentPadding(EditorSettings::padding.defaultValue(captureKind()));
    setContentInset(EditorSettings::inset.defaultValue(captureKind()));
    setWindowCaptureShadow(EditorSettings::shadow.defaultValue(captureKind()));
    setWindowCaptureBackgroundBlur(EditorSettings::backgroundBlur.defaultValue(captureKind()));
    setBlurRadius(EditorSettings::blurRadius.defaultValue(captureKind()));
    setBackgroundSelection(EditorSettings::backgroundSelection.defaultValue());
}

void EditorSession::normalizeSelection()
{
    setBackgroundSelection(normalizedBackgroundSelection(
        m_style.backgroundSelection(), m_style.customBackgroundColors(),
        m_hasUserWallpaperList ? std::optional(m_userWallpaperItems) : std::nullopt));
}

QString EditorSession::addCustomBackgroundColor(const Color& color)
{
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    auto colors = m_style.customBackgroundColors();
    colors.append(BackgroundColorItem::make(id, color));
    setCustomBackgroundColors(colors);
    setBackgroundSelection(BackgroundSelection::customColor(id));
    return id;
}

void EditorSession::updateCustomBackgroundColor(const QString& id, const Color& color)
{
    auto colors = m_style.customBackgroundColors();
    for (BackgroundColorItem& item : colors) {
        if (item.id == id) {
            item = BackgroundColorItem::make(id, color);
            setCustomBackgroundColors(colors);
            return;
        }
    }
}

void EditorSession::removeCustomBackgroundColor(const QString& id)
{
    auto colors = m_style.customBackgroundColors();
    colors.removeIf([&](const BackgroundColorItem& item) { return item.id == id; });
    setCustomBackgroundColors(colors);
    normalizeSelection();
}

void EditorSession::addWallpapers(const QList<QUrl>& urls)
{
    const auto result = m_services.wallpapers.importWallpapers(urls);
    setUserWallpaperItems(result.items);
    if (!result.importedIds.isEmpty()) {
        setBackgroundSelection(BackgroundSelection::userWallpaper(result.importedIds.front()));
    } else {
        normalizeSelection();
    }
    if (!result.refusedFiles.isEmpty()) {
        Q_EMIT wallpapersRefused(result.refusedFiles);
    }
}

void EditorSession::removeWallpaper(const QString& id)
{
    setUserWallpaperItems(m_services.wallpapers.removeWallpaper(id));
    normalizeSelection();
}

void EditorSession::requestUserWallpapersIfNeeded()
{
    if (!m_userWallpaperItems.isEmpty() || m_isUserWallpapersLoading) {
        return;
    }
    m_isUserWallpapersLoading = true;
    m_services.wallpapers.prewarmWallpapers(this, [this](const QVector<BackgroundWallpaperItem>& items) {
        m_isUserWallpapersLoading = false;
        // Even an empty list is news: a stored wallpaper selection can only now be found gone.
        setUserWallpaperItems(items);
        normalizeSelection();
    });
}

void EditorSession::requestDesktopWallpaperIfNeeded()
{
    if (!m_isBackgroundCompositeEnabled || m_isDesktopWallpaperLoading || !m_desktopWallpaperLoader) {
        return;
    }
    if (m_backgroundAssets && m_backgroundAssets->wallpaperBackgroundImage) {
        return;
    }
    m_isDesktopWallpaperLoading = true;
    m_desktopWallpaperLoader(*this);
}

void EditorSession::finishDesktopWallpaperLoad(const std::optional<QImage>& wallpaper)
{
    m_isDesktopWallpaperLoading = false;
    if (wallpaper && m_backgroundAssets && m_isBackgroundCompositeEnabled) {
        auto assets = *m_backgroundAssets;
        assets.wallpaperBackgroundImage = wallpaper;
        setBackgroundAssets(assets);
        clearCompositeCache();
    }
}

Color EditorSession::contentEdgeColor()
{
    return m_contentColors.edgeColor(contentImage());
}

QVector<Color> EditorSession::autoBackgroundColors()
{
    return m_contentColors.autoPalette(contentImage());
}

} // namespace velmora
