#include "editor/EditorSession.h"

#include "annotation/AnnotationGeometry.h"
#include "editor/AutoPalette.h"
#include "editor/BackgroundAssetStore.h"
#include "editor/EditorSettings.h"
#include "preferences/SettingsStore.h"

#include <QMutexLocker>
#include <QSet>

#include <cmath>

namespace velmora {

QRect pixelRectRoundedOutward(const QRectF& points, double sx, double sy)
{
    const int left = int(std::floor(points.left() * sx));
    const int top = int(std::floor(points.top() * sy));
    const int right = int(std::ceil(points.right() * sx));
    const int bottom = int(std::ceil(points.bottom() * sy));
    return {left, top, right - left, bottom - top};
}

EditorSession::EditorSession(const QImage& image, CaptureKind kind,
                             std::optional<CaptureBackgroundAssets> assets, bool backgroundEnabledByDefault,
                             Services services, QObject* parent)
    : QObject(parent), m_captureKind(kind), m_services(services)
{
    m_capturedImage = assets ? assets->contentImage : image;
    m_backgroundAssets = std::move(assets);

    const SettingsStore& settings = m_services.settings;
    m_strokeWidth = EditorSettings::strokeWidth.read(settings, kind);
    m_fontSize = EditorSettings::fontSize.read(settings, kind);
    m_textStyle =
        fromRawValue<TextStyle>(settings.string(key(QStringLiteral("textStyle"))).value_or(QString()))
            .value_or(TextStyle::standard);
    m_blurRadius = EditorSettings::blurRadius.read(settings, kind);
    m_windowCaptureBackgroundBlur = EditorSettings::backgroundBlur.read(settings, kind);
    m_windowCaptureShadow = EditorSettings::shadow.read(settings, kind);
    m_isBackgroundCompositeEnabled = backgroundEnabledByDefault;
    m_contentCornerRadius = EditorSettings::cornerRadius.read(settings, kind);
    m_contentPadding = EditorSettings::padding.read(settings, kind);
    m_contentInset = EditorSettings::inset.read(settings, kind);

    std::optional<QVector<BackgroundColorItem>> stored;
    if (const auto data = settings.data(key(QStringLiteral("customBackgroundColors")))) {
        stored = decodeColorItems(*data);
    }
    m_customBackgroundColors =
        stored && !stored->isEmpty() ? *stored : QVector<BackgroundColorItem>{defaultCustomColorItem()};

    // The store reads its folder in the background; the first session of a run starts before that
    // and learns the list later (requestUserWallpapersIfNeeded).
    const auto cachedWallpapers = m_services.wallpapers.cachedWallpapers();
    m_userWallpaperItems = cachedWallpapers.value_or(QVector<BackgroundWallpaperItem>{});
    m_hasUserWallpaperList = cachedWallpapers.has_value();

    const auto storedSelection = settings.string(key(QStringLiteral("backgroundSelection")));
    m_backgroundSelection = BackgroundSelection::fromPersistenceValue(storedSelection);
    // Written back through the handler so the stored value is always a valid one. A wallpaper
    // selection is only checked once the list is known, so until then it is stored unchanged.
    normalizeSelection();
}

EditorSession::~EditorSession() = default;

QString EditorSession::key(const QString& field) const
{
    return rawValue(m_captureKind) + QLatin1Char('.') + field;
}

double EditorSession::defaultCornerRadius(CaptureKind kind)
{
    return EditorSettings::cornerRadius.defaultValue(kind);
}

double EditorSession::defaultPadding(CaptureKind kind)
{
    return EditorSettings::padding.defaultValue(kind);
}

double EditorSession::store(const NumberSetting& setting, double value)
{
    const double held = setting.clamped(value, m_captureKind);
    setting.write(m_services.settings, m_captureKind, held);
    return held;
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
    m_strokeWidth = store(EditorSettings::strokeWidth, value);
    Q_EMIT strokeWidthChanged();
}

void EditorSession::setFontSize(double value)
{
    m_fontSize = store(EditorSettings::fontSize, value);
    Q_EMIT fontSizeChanged();
}

void EditorSession::setTextStyle(TextStyle style)
{
    m_textStyle = style;
    m_services.settings.setValue(key(QStringLiteral("textStyle")), rawValue(style));
    Q_EMIT textStyleChanged();
}

void EditorSession::setBlurRadius(double value)
{
    m_blurRadius = store(EditorSettings::blurRadius, value);
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
    m_backgroundSelection = selection;
    m_services.settings.setValue(key(QStringLiteral("backgroundSelection")), selection.persistenceValue());
    clearCompositeCache();
    Q_EMIT backgroundSelectionChanged();
}

void EditorSession::setCustomBackgroundColors(const QVector<BackgroundColorItem>& colors)
{
    m_customBackgroundColors = colors;
    const QByteArray encoded = encodeColorItems(colors);
    if (encoded.isEmpty()) {
        m_services.settings.remove(key(QStringLiteral("customBackgroundColors")));
    } else {
        m_services.settings.setValue(key(QStringLiteral("customBackgroundColors")), encoded);
    }
    clearCompositeCache();
    Q_EMIT customBackgroundColorsChanged();
}

void EditorSession::setWindowCaptureBackgroundBlur(double value)
{
    m_windowCaptureBackgroundBlur = store(EditorSettings::backgroundBlur, value);
    clearCompositeCache();
    Q_EMIT windowCaptureBackgroundBlurChanged();
}

void EditorSession::setWindowCaptureShadow(double value)
{
    m_windowCaptureShadow = store(EditorSettings::shadow, value);
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
    m_contentCornerRadius = store(EditorSettings::cornerRadius, value);
    clearCompositeCache();
    Q_EMIT contentCornerRadiusChanged();
}

void EditorSession::setPaddingOrInset(double& field, double value, const NumberSetting& setting,
                                      bool translate)
{
    const double old = field;
    const double oldOffset = contentOffset();
    field = store(setting, value);
    // Annotations live in composite points while the composite shows: keep them over the content,
    // which moves by the whole pixels the composite lays the new value out in.
    if (translate && isCompositeShown() && field != old) {
        const double moved = contentOffset() - oldOffset;
        translateAnnotations(moved, moved);
    }
    clearCompositeCache();
}

void EditorSession::setContentPadding(double value)
{
    setPaddingOrInset(m_contentPadding, value, EditorSettings::padding, true);
    Q_EMIT contentPaddingChanged();
}

void EditorSession::setContentInset(double value)
{
    setPaddingOrInset(m_contentInset, value, EditorSettings::inset, true);
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
            m_backgroundSelection,
            m_customBackgroundColors,
            m_windowCaptureBackgroundBlur,
            m_windowCaptureShadow,
            m_isBackgroundCompositeEnabled,
            m_blurRadius,
            m_contentCornerRadius,
            m_contentPadding,
            m_contentInset};
}

void EditorSession::pushUndo()
{
    m_undoStack.append(currentSnapshot());
    m_redoStack.clear();
    if (m_undoStack.size() > maxUndoDepth) {
        m_undoStack.remove(0, m_undoStack.size() - maxUndoDepth);
    }
    trimImageGenerations();
    Q_EMIT historyChanged();
}

// Keeps at most four distinct images alive through the history: when a fifth appears, the whole
// leading run of the oldest image goes.
void EditorSession::trimImageGenerations()
{
    while (m_undoStack.size() >= 2) {
        QSet<qint64> seen;
        for (const Snapshot& snapshot : std::as_const(m_undoStack)) {
            seen.insert(snapshot.image.cacheKey());
            if (seen.size() > maxImageGenerations) {
                break;
            }
        }
        if (seen.size() <= maxImageGenerations) {
            return;
        }
        const qint64 oldest = m_undoStack.front().image.cacheKey();
        while (!m_undoStack.isEmpty() && m_undoStack.front().image.cacheKey() == oldest) {
            m_undoStack.removeFirst();
        }
    }
}

void EditorSession::undo()
{
    if (m_undoStack.isEmpty()) {
        return;
    }
    const Snapshot snapshot = m_undoStack.takeLast();
    m_redoStack.append(currentSnapshot());
    restore(snapshot);
    Q_EMIT historyChanged();
}

void EditorSession::redo()
{
    if (m_redoStack.isEmpty()) {
        return;
    }
    const Snapshot snapshot = m_redoStack.takeLast();
    m_undoStack.append(currentSnapshot());
    restore(snapshot);
    Q_EMIT historyChanged();
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
    setPaddingOrInset(m_contentPadding, snapshot.contentPadding, EditorSettings::padding, false);
    Q_EMIT contentPaddingChanged();
    setPaddingOrInset(m_contentInset, snapshot.contentInset, EditorSettings::inset, false);
    Q_EMIT contentInsetChanged();
}

CompositeGeometry EditorSession::compositeGeometry() const
{
    return velmora::compositeGeometry(contentImage(), m_contentPadding, m_contentInset);
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
    QMutexLocker lock(&m_composite->compositeCacheLock);
    return m_composite->image;
}

quint64 EditorSession::compositeGeneration() const
{
    QMutexLocker lock(&m_composite->compositeCacheLock);
    return m_composite->generation;
}

bool EditorSession::storeCompositeCache(const QImage& composite, quint64 generation)
{
    QMutexLocker lock(&m_composite->compositeCacheLock);
    if (generation != m_composite->generation) {
        return false;
    }
    m_composite->image = composite;
    return true;
}

void EditorSession::clearCompositeCache()
{
    QMutexLocker lock(&m_composite->compositeCacheLock);
    m_composite->image.reset();
    ++m_composite->generation;
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
    m_undoStack.clear();
    m_redoStack.clear();
    setAnnotations({});
    clearCompositeCache();
    m_cachedEdgeColor.reset();
    m_cachedAutoPalette.reset();
    Q_EMIT historyChanged();
}

} // namespace velmora
