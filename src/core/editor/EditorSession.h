#pragma once

#include "annotation/Annotation.h"
#include "editor/BackgroundColorItem.h"
#include "editor/BackgroundSelection.h"
#include "editor/CaptureBackgroundAssets.h"
#include "editor/CaptureKind.h"
#include "editor/CompositeGeometry.h"
#include "editor/CompositeRenderer.h"
#include "imaging/PixelMetrics.h"

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QSizeF>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace velmora {

class BackgroundAssetStore;
class SettingsStore;
struct NumberSetting;
struct BlurSource;

// The rendered composite, shared with background renders: they hold it weakly, so a render that
// finishes after its session is gone stores nothing. Each clear starts a new generation, and a
// render started before a clear must not store its stale result.
struct CompositeCache
{
    mutable QMutex compositeCacheLock;
    std::optional<QImage> image;
    quint64 generation = 0;
};

// A rectangle in points scaled to pixels and rounded outward to whole pixels.
QRect pixelRectRoundedOutward(const QRectF& points, double sx, double sy);

// The state of one open capture: the image, its annotations, the tool and background settings
// (persisted per capture kind), the undo history and the composite cache. Lives on the main
// thread; only the composite cache is touched from the background, under its lock.
class EditorSession : public QObject
{
    Q_OBJECT

public:
    struct Services
    {
        SettingsStore& settings;
        BackgroundAssetStore& wallpapers;
    };

    struct Snapshot
    {
        QImage image;
        AnnotationList annotations;
        std::optional<CaptureBackgroundAssets> backgroundAssets;
        BackgroundSelection backgroundSelection;
        QVector<BackgroundColorItem> customBackgroundColors;
        double windowCaptureBackgroundBlur = 0;
        double windowCaptureShadow = 7;
        bool isBackgroundCompositeEnabled = false;
        double blurRadius = 10;
        double contentCornerRadius = 0;
        double contentPadding = 0;
        double contentInset = 0;
    };

    static constexpr int maxUndoDepth = 30;
    static constexpr int maxImageGenerations = 4;

    EditorSession(const QImage& image, CaptureKind kind, std::optional<CaptureBackgroundAssets> assets,
                  bool backgroundEnabledByDefault, Services services, QObject* parent = nullptr);
    ~EditorSession() override;

    CaptureKind captureKind() const { return m_captureKind; }

    // Published fields.
    const QImage& capturedImage() const { return m_capturedImage; }
    void setCapturedImage(const QImage& image);
    const AnnotationList& annotations() const { return m_annotations; }
    void setAnnotations(const AnnotationList& annotations);
    double strokeWidth() const { return m_strokeWidth; }
    void setStrokeWidth(double value);
    double fontSize() const { return m_fontSize; }
    void setFontSize(double value);
    TextStyle textStyle() const { return m_textStyle; }
    void setTextStyle(TextStyle style);
    double blurRadius() const { return m_blurRadius; }
    void setBlurRadius(double value);
    std::optional<Color> hoveredColor() const { return m_hoveredColor; }
    void setHoveredColor(std::optional<Color> color);
    const BackgroundSelection& backgroundSelection() const { return m_backgroundSelection; }
    void setBackgroundSelection(const BackgroundSelection& selection);
    const QVector<BackgroundColorItem>& customBackgroundColors() const { return m_customBackgroundColors; }
    void setCustomBackgroundColors(const QVector<BackgroundColorItem>& colors);
    double windowCaptureBackgroundBlur() const { return m_windowCaptureBackgroundBlur; }
    void setWindowCaptureBackgroundBlur(double value);
    double windowCaptureShadow() const { return m_windowCaptureShadow; }
    void setWindowCaptureShadow(double value);
    bool isBackgroundCompositeEnabled() const { return m_isBackgroundCompositeEnabled; }
    void setBackgroundCompositeEnabled(bool enabled);
    double contentCornerRadius() const { return m_contentCornerRadius; }
    void setContentCornerRadius(double value);
    double contentPadding() const { return m_contentPadding; }
    void setContentPadding(double value);
    double contentInset() const { return m_contentInset; }
    void setContentInset(double value);
    const std::optional<CaptureBackgroundAssets>& backgroundAssets() const { return m_backgroundAssets; }
    void setBackgroundAssets(const std::optional<CaptureBackgroundAssets>& assets);
    const QVector<BackgroundWallpaperItem>& userWallpaperItems() const { return m_userWallpaperItems; }
    // Also marks the list as known: a wallpaper selection is checked against it from now on.
    void setUserWallpaperItems(const QVector<BackgroundWallpaperItem>& items);
    // Whether the wallpaper folder has been read for this session; until then the list is empty
    // without meaning that there are no wallpapers.
    bool hasUserWallpaperList() const { return m_hasUserWallpaperList; }

    // The composite is shown — on screen and in every export — only when it is switched on and
    // the session has something to compose.
    bool isCompositeShown() const { return m_isBackgroundCompositeEnabled && m_backgroundAssets.has_value(); }
    // The picture placed on the background.
    const QImage& contentImage() const;
    // Where the content lies on the composite, in whole pixels and in points (see compositeGeometry).
    CompositeGeometry compositeGeometry() const;
    // Offset of the content's top-left corner in composite points: the padding and inset as the
    // composite lays them out in whole pixels, so annotations stay on the pixels they cover.
    double contentOffset() const { return compositeGeometry().contentOffset(); }

    // History.
    void pushUndo();
    void undo();
    void redo();
    bool canUndo() const { return !m_undoStack.isEmpty(); }
    bool canRedo() const { return !m_redoStack.isEmpty(); }
    const QVector<Snapshot>& undoStack() const { return m_undoStack; }
    const QVector<Snapshot>& redoStack() const { return m_redoStack; }

    // Geometry.
    QSizeF displaySize() const;
    QSize outputPixelDimensions() const;

    // Editing.
    void translateAnnotations(double dx, double dy);
    void crop(const QRectF& rectInContentPoints);
    void toggleBackgroundComposite();
    void sampleColor(const QPointF& point);
    std::optional<QString> hoveredHex() const;
    void resetSidebarSettings();
    QString addCustomBackgroundColor(const Color& color);
    void updateCustomBackgroundColor(const QString& id, const Color& color);
    void removeCustomBackgroundColor(const QString& id);
    void addWallpapers(const QList<QUrl>& urls);
    void removeWallpaper(const QString& id);
    void requestUserWallpapersIfNeeded();
    bool isUserWallpapersLoading() const { return m_isUserWallpapersLoading; }

    // The desktop picture behind the capture is fetched by the capture flow on demand.
    using DesktopWallpaperLoader = std::function<void(EditorSession&)>;
    void setDesktopWallpaperLoader(DesktopWallpaperLoader loader)
    {
        m_desktopWallpaperLoader = std::move(loader);
    }
    void requestDesktopWallpaperIfNeeded();
    bool isDesktopWallpaperLoading() const { return m_isDesktopWallpaperLoading; }
    // Called by the loader when it is done (with nothing when no picture could be had).
    void finishDesktopWallpaperLoad(const std::optional<QImage>& wallpaper);

    // Derived colours of the content image, computed once per image.
    Color contentEdgeColor();
    QVector<Color> autoBackgroundColors();

    // Rendering. The composite is the content on its background (the captured image itself while
    // no composite shows); the rendered image adds the annotations and is what every output uses.
    QImage flattenedComposite();
    // The export: the composite (when shown) with the annotations. Null when it could not be rendered
    // (beyond the composite's size bound, or out of memory); the caller tells the user.
    QImage renderedImage();
    // Lowers the composite's pixel bound (0: the default bound); for exercising the refusal.
    void setMaxCompositePixels(qint64 pixels);
    void precomputeComposite();
    // Crops the composed picture (rect in composite points): the background becomes the image.
    void cropComposite(const QRectF& rectInCompositePoints);
    CompositeInputs compositeInputs();
    // What blur boxes pixellate, and where it sits on the canvas.
    BlurSource blurSource() const;

    // The composite cache.
    std::optional<QImage> compositeCache() const;
    quint64 compositeGeneration() const;
    bool storeCompositeCache(const QImage& composite, quint64 generation);
    void clearCompositeCache();

    QPointer<QObject> window;
    bool openedTightFit = false;

    // Empties a session that is no longer needed.
    void releaseHeavyAssets();

    // A window capture sits square and a little closer; a region gets rounder corners and more room.
    static double defaultCornerRadius(CaptureKind kind);
    static double defaultPadding(CaptureKind kind);

Q_SIGNALS:
    void capturedImageChanged();
    void annotationsChanged();
    void strokeWidthChanged();
    void fontSizeChanged();
    void textStyleChanged();
    void blurRadiusChanged();
    void hoveredColorChanged();
    void backgroundSelectionChanged();
    void customBackgroundColorsChanged();
    void windowCaptureBackgroundBlurChanged();
    void windowCaptureShadowChanged();
    void backgroundCompositeEnabledChanged();
    void contentCornerRadiusChanged();
    void contentPaddingChanged();
    void contentInsetChanged();
    void backgroundAssetsChanged();
    void userWallpaperItemsChanged();
    void historyChanged();
    // Files given to addWallpapers() that were not imported because their format cannot be read.
    void wallpapersRefused(const QStringList& fileNames);

private:
    // Holds the value to the setting's range, stores it and returns what was stored.
    double store(const NumberSetting& setting, double value);
    Snapshot currentSnapshot() const;
    void restore(const Snapshot& snapshot);
    void trimImageGenerations();
    void setPaddingOrInset(double& field, double value, const NumberSetting& setting, bool translate);
    void normalizeSelection();

    const CaptureKind m_captureKind;
    Services m_services;

    QImage m_capturedImage;
    AnnotationList m_annotations;
    double m_strokeWidth = 8;
    double m_fontSize = 32;
    TextStyle m_textStyle = TextStyle::standard;
    double m_blurRadius = 10;
    std::optional<Color> m_hoveredColor;
    BackgroundSelection m_backgroundSelection;
    QVector<BackgroundColorItem> m_customBackgroundColors;
    double m_windowCaptureBackgroundBlur = 0;
    double m_windowCaptureShadow = 7;
    bool m_isBackgroundCompositeEnabled = false;
    double m_contentCornerRadius = 0;
    double m_contentPadding = 0;
    double m_contentInset = 0;
    qint64 m_maxCompositePixels = 0;
    std::optional<CaptureBackgroundAssets> m_backgroundAssets;
    QVector<BackgroundWallpaperItem> m_userWallpaperItems;
    bool m_hasUserWallpaperList = false;

    std::shared_ptr<CompositeCache> m_composite = std::make_shared<CompositeCache>();

    DesktopWallpaperLoader m_desktopWallpaperLoader;
    bool m_isDesktopWallpaperLoading = false;
    bool m_isUserWallpapersLoading = false;

    QVector<Snapshot> m_undoStack;
    QVector<Snapshot> m_redoStack;

    std::optional<std::pair<qint64, Color>> m_cachedEdgeColor;
    std::optional<std::pair<qint64, QVector<Color>>> m_cachedAutoPalette;
};

} // namespace velmora
