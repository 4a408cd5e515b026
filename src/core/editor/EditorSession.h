#pragma once

#include "annotation/Annotation.h"
#include "annotation/AnnotationStyle.h"
#include "editor/BackgroundColorItem.h"
#include "editor/BackgroundSelection.h"
#include "editor/CaptureBackgroundAssets.h"
#include "editor/CaptureKind.h"
#include "editor/CompositeCache.h"
#include "editor/CompositeGeometry.h"
#include "editor/CompositeRenderer.h"
#include "editor/ContentColors.h"
#include "editor/EditHistory.h"
#include "editor/EditorStyle.h"
#include "imaging/PixelMetrics.h"

#include <QImage>
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
struct BlurSource;

// The state of one open capture: the image, its annotations, the tool and background settings
// (EditorStyle, persisted per capture kind), the undo history (EditHistory) and the composite cache
// (CompositeCache). It ties them together: a change runs its consequences (annotations kept over
// the content, the composite cleared) and is then announced. Lives on the main thread; only the
// composite cache is touched from the background.
class EditorSession : public QObject
{
    Q_OBJECT

public:
    struct Services
    {
        SettingsStore& settings;
        BackgroundAssetStore& wallpapers;
    };

    using Snapshot = EditorSnapshot;

    static constexpr int maxUndoDepth = EditHistory::maxDepth;
    static constexpr int maxImageGenerations = EditHistory::maxImageGenerations;

    EditorSession(const QImage& image, CaptureKind kind, std::optional<CaptureBackgroundAssets> assets,
                  bool backgroundEnabledByDefault, Services services, QObject* parent = nullptr);
    ~EditorSession() override;

    CaptureKind captureKind() const { return m_style.captureKind(); }

    // Published fields.
    const QImage& capturedImage() const { return m_capturedImage; }
    void setCapturedImage(const QImage& image);
    const AnnotationList& annotations() const { return m_annotations; }
    void setAnnotations(const AnnotationList& annotations);
    double strokeWidth() const { return m_style.strokeWidth(); }
    void setStrokeWidth(double value);
    double fontSize() const { return m_style.fontSize(); }
    void setFontSize(double value);
    TextStyle textStyle() const { return m_style.textStyle(); }
    void setTextStyle(TextStyle style);
    double blurRadius() const { return m_style.blurRadius(); }
    void setBlurRadius(double value);
    std::optional<Color> hoveredColor() const { return m_hoveredColor; }
    void setHoveredColor(std::optional<Color> color);
    const BackgroundSelection& backgroundSelection() const { return m_style.backgroundSelection(); }
    void setBackgroundSelection(const BackgroundSelection& selection);
    const QVector<BackgroundColorItem>& customBackgroundColors() const
    {
        return m_style.customBackgroundColors();
    }
    void setCustomBackgroundColors(const QVector<BackgroundColorItem>& colors);
    double windowCaptureBackgroundBlur() const { return m_style.backgroundBlur(); }
    void setWindowCaptureBackgroundBlur(double value);
    double windowCaptureShadow() const { return m_style.shadow(); }
    void setWindowCaptureShadow(double value);
    bool isBackgroundCompositeEnabled() const { return m_isBackgroundCompositeEnabled; }
    void setBackgroundCompositeEnabled(bool enabled);
    double contentCornerRadius() const { return m_style.cornerRadius(); }
    void setContentCornerRadius(double value);
    double contentPadding() const { return m_style.padding(); }
    void setContentPadding(double value);
    double contentInset() const { return m_style.inset(); }
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
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    const QVector<Snapshot>& undoStack() const { return m_history.undoStack(); }
    const QVector<Snapshot>& redoStack() const { return m_history.redoStack(); }

    // Geometry.
    QSizeF displaySize() const;
    QSize outputPixelDimensions() const;

    // Editing.
    void translateAnnotations(double dx, double dy);
    // Gives the annotations with these ids the new style value, as one undo step. Nothing is
    // recorded or changed when none of them has the property or all already hold the value.
    // Without recordUndo the change joins the step recorded before (a colour still being picked).
    // True when an annotation changed.
    bool restyleAnnotations(const QSet<QUuid>& ids, const StyleChange& change, bool recordUndo = true);
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
    Snapshot currentSnapshot() const;
    void restore(const Snapshot& snapshot);
    // Changes the padding or the inset. Annotations live in composite points while the composite
    // shows; with `keepAnnotationsOnContent` they move with the content.
    void changeContentLayout(void (EditorStyle::*set)(double), double value, bool keepAnnotationsOnContent);
    void normalizeSelection();

    Services m_services;
    EditorStyle m_style;

    QImage m_capturedImage;
    AnnotationList m_annotations;
    std::optional<Color> m_hoveredColor;
    bool m_isBackgroundCompositeEnabled = false;
    qint64 m_maxCompositePixels = 0;
    std::optional<CaptureBackgroundAssets> m_backgroundAssets;
    QVector<BackgroundWallpaperItem> m_userWallpaperItems;
    bool m_hasUserWallpaperList = false;

    std::shared_ptr<CompositeCache> m_composite = std::make_shared<CompositeCache>();

    DesktopWallpaperLoader m_desktopWallpaperLoader;
    bool m_isDesktopWallpaperLoading = false;
    bool m_isUserWallpapersLoading = false;

    EditHistory m_history;
    ContentColors m_contentColors;
};

} // namespace velmora
