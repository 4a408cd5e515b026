#include "editor/EditorSession.h"

#include "annotation/AnnotationGeometry.h"
#include "editor/BackgroundAssetStore.h"
#include "editor/EditorSettings.h"

namespace velmora {

EditorSession::EditorSession(const QImage& image, CaptureKind kind,
                             std::optional<CaptureBackgroundAssets> assets, bool backgroundEnabledByDefault,
                             Services services, QObject* parent)
    : QObject(parent), m_services(services), m_style(services.settings, kind)
{
    m_capturedImage = assets ? assets->contentImage : image;
    m_backgroundAssets = std::move(assets);
    m_isBackgroundCompositeEnabled = backgroundEnabledByDefault;

    // The store reads its folder in the background; the first session of a run starts before that
    // and learns the list later (requestUserWallpapersIfNeeded).
    const auto cachedWallpapers = m_services.wallpapers.cachedWallpapers();
    m_userWallpaperItems = cachedWallpapers.value_or(QVector<BackgroundWallpaperItem>{});
    m_hasUserWallpaperList = cachedWallpapers.has_value();

    // Written back through the handler so the stored value is always a valid one. A wallpaper
    // selection is only checked once the list is known, so until then it is stored unchanged.
    normalizeSelection();
}

EditorSession::~EditorSession() = default;

double EditorSession::defaultCornerRadius(CaptureKind kind)
{
    return EditorSettings::cornerRadius.defaultValue(kind);
}

double EditorSession::defaultPadding(CaptureKind kind)
{
    return EditorSettings::padding.defaultValue(kind);
}

void EditorSession::setCapturedImage(const QImage& image)
{
    m_capturedImage = image;
    Q_EMIT capturedImageChanged();
}

void EditorSession::setAnnotations(const AnnotationList& annotations)
{
    m_annotations = annotations;
    Q_EMIT annotationsChanged();
}

void EditorSession::setStrokeWidth(double value)
{
    m_style.setStrokeWidth(value);
    Q_EMIT strokeWidthChanged();
}

void EditorSession::setFontSize(double value)
{
    m_style.setFontSize(value);
    Q_EMIT fontSizeChanged();
}

void EditorSession::setTextStyle(TextStyle style)
{
    m_style.setTextStyle(style);
    Q_EMIT textStyleChanged();
}

void EditorSession::setBlurRadius(double value)
{
    m_style.setBlurRadius(value);
    Q_EMIT blurRadiusChanged();
}

void EditorSession::setHoveredColor(std::optional<Color> color)
{
    if (m_hoveredColor == color) {
        return;
    }
    m_hoveredColor = color;
    Q_EMIT hoveredColorChanged();
}

void EditorSession::setBackgroundSelection(const BackgroundSelection& selection)
{
    m_style.setBackgroundSelection(selection);
    clearCompositeCache();
    Q_EMIT backgroundSelectionChanged();
}

void EditorSession::setCustomBackgroundColors(const QVector<BackgroundColorItem>& colors)
{
    m_style.setCustomBackgroundColors(colors);
    clearCompositeCache();
    Q_EMIT customBackgroundColorsChanged();
}

void EditorSession::setWindowCaptureBackgroundBlur(double value)
{
    m_style.setBackgroundBlur(value);
    clearCompositeCache();
    Q_EMIT windowCaptureBackgroundBlurChanged();
}

void EditorSession::setWindowCaptureShadow(double value)
{
    m_style.setShadow(value);
    clearCompositeCache();
    Q_EMIT windowCaptureShadowChanged();
}

void EditorSession::setBackgroundCompositeEnabled(bool enabled)
{
    m_isBackgroundCompositeEnabled = enabled;
    clearCompositeCache();
    Q_EMIT backgroundCompositeEnabledChanged();
}

void EditorSession::setContentCornerRadius(double value)
{
    m_style.setCornerRadius(value);
    clearCompositeCache();
    Q_EMIT contentCornerRadiusChanged();
}

void EditorSession::changeContentLayout(void (EditorStyle::*set)(double), double value,
                                        bool keepAnnotationsOnContent)
{
    const std::pair old(m_style.padding(), m_style.inset());
    const double oldOffset = contentOffset();
    (m_style.*set)(value);
    // The content moves by the whole pixels the composite lays the new value out in.
    if (keepAnnotationsOnContent && isCompositeShown() &&
        std::pair(m_style.padding(), m_style.inset()) != old) {
        const double moved = contentOffset() - oldOffset;
        translateAnnotations(moved, moved);
    }
    clearCompositeCache();
}

void EditorSession::setContentPadding(double value)
{
    changeContentLayout(&EditorStyle::setPadding, value, true);
    Q_EMIT contentPaddingChanged();
}

void EditorSession::setContentInset(double value)
{
    changeContentLayout(&EditorStyle::setInset, value, true);
    Q_EMIT contentInsetChanged();
}

void EditorSession::setBackgroundAssets(const std::optional<CaptureBackgroundAssets>& assets)
{
    m_backgroundAssets = assets;
    Q_EMIT backgroundAssetsChanged();
}

void EditorSession::setUserWallpaperItems(const QVector<BackgroundWallpaperItem>& items)
{
    m_userWallpaperItems = items;
    m_hasUserWallpaperList = true;
    Q_EMIT userWallpaperItemsChanged();
}

const QImage& EditorSession::contentImage() const
{
    return m_backgroundAssets ? m_backgroundAssets->contentImage : m_capturedImage;
}

EditorSession::Snapshot EditorSession::currentSnapshot() const
{
    return {m_capturedImage,
            m_annotations,
            m_backgroundAssets,
            m_style.backgroundSelection(),
            m_style.customBackgroundColors(),
            m_style.backgroundBlur(),
            m_style.shadow(),
            m_isBackgroundCompositeEnabled,
            m_style.blurRadius(),
            m_style.cornerRadius(),
            m_style.padding(),
            m_style.inset()};
}

void EditorSession::pushUndo()
{
    m_history.push(currentSnapshot());
    Q_EMIT historyChanged();
}

void EditorSession::undo()
{
    if (const auto snapshot = m_history.undo(currentSnapshot())) {
        restore(*snapshot);
        Q_EMIT historyChanged();
    }
}

void EditorSession::redo()
{
    if (const auto snapshot = m_history.redo(currentSnapshot())) {
        restore(*snapshot);
        Q_EMIT historyChanged();
    }
}

// The annotations of a snapshot were recorded together with its padding and inset, so they come
// back exactly as recorded: restoring those two persists them but moves nothing.
void EditorSession::restore(const Snapshot& snapshot)
{
    setCapturedImage(snapshot.image);
    setAnnotations(snapshot.annotations);
    setBackgroundAssets(snapshot.backgroundAssets);
    setBackgroundSelection(snapshot.backgroundSelection);
    setCustomBackgroundColors(snapshot.customBackgroundColors);
    setWindowCaptureBackgroundBlur(snapshot.windowCaptureBackgroundBlur);
    setWindowCaptureShadow(snapshot.windowCaptureShadow);
    setBackgroundCompositeEnabled(snapshot.isBackgroundCompositeEnabled);
    clearCompositeCache();
    setBlurRadius(snapshot.blurRadius);
    setContentCornerRadius(snapshot.contentCornerRadius);
    changeContentLayout(&EditorStyle::setPadding, snapshot.contentPadding, false);
    Q_EMIT contentPaddingChanged();
    changeContentLayout(&EditorStyle::setInset, snapshot.contentInset, false);
    Q_EMIT contentInsetChanged();
}

CompositeGeometry EditorSession::compositeGeometry() const
{
    return velmora::compositeGeometry(contentImage(), m_style.padding(), m_style.inset());
}

QSizeF EditorSession::displaySize() const
{
    return isCompositeShown() ? compositeGeometry().pointSize() : pointSize(m_capturedImage);
}

QSize EditorSession::outputPixelDimensions() const
{
    return isCompositeShown() ? compositeGeometry().canvasPixels : pixelMetrics(m_capturedImage).pixelSize;
}

std::optional<QImage> EditorSession::compositeCache() const
{
    return m_composite->image();
}

quint64 EditorSession::compositeGeneration() const
{
    return m_composite->generation();
}

bool EditorSession::storeCompositeCache(const QImage& composite, quint64 generation)
{
    return m_composite->store(composite, generation);
}

void EditorSession::clearCompositeCache()
{
    m_composite->clear();
}

void EditorSession::releaseHeavyAssets()
{
    setCapturedImage(QImage());
    setBackgroundAssets(std::nullopt);
    m_desktopWallpaperLoader = nullptr;
    setHoveredColor(std::nullopt);
    m_isDesktopWallpaperLoading = false;
    m_isUserWallpapersLoading = false;
    setUserWallpaperItems({});
    // Emptied to free the pictures, not because the folder is empty: a reopened session reads it again.
    m_hasUserWallpaperList = false;
    m_history.clear();
    setAnnotations({});
    clearCompositeCache();
    m_contentColors.clear();
    Q_EMIT historyChanged();
}

} // namespace velmora
