#pragma once

#include "editor/EditorZoom.h"
#include "editor/LiveBackground.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QPropertyAnimation;
class QVariantAnimation;

namespace velmora {

class AnnotationCanvas;
class AnnotationToolbar;
class CanvasArea;
class DragSource;
class EditorSession;
class EditorToolState;
class HotkeyPreferences;
class ImageEditorSidebar;
class SettingsStore;
class EditorPills;

// The content of one editor window: the toolbar across the top, the canvas with the live
// background, the background sidebar while the composite shows, and the colour and zoom pills.
// Turns keys and buttons into session operations or into requests to the host.
class EditorView : public QWidget
{
    Q_OBJECT

public:
    EditorView(EditorSession& session, SettingsStore& settings, HotkeyPreferences& hotkeys, bool tightFit,
               QWidget* parent = nullptr);
    ~EditorView() override;

    EditorSession& session() const { return m_session; }
    EditorToolState& toolState() const { return *m_toolState; }
    AnnotationCanvas* canvas() const;
    AnnotationToolbar* toolbar() const { return m_toolbar; }
    ImageEditorSidebar* sidebar() const { return m_sidebar; }
    const EditorZoom& zoom() const { return m_zoom; }
    bool isSidebarVisible() const { return m_isSidebarVisible; }
    // The final image for a drag out, supplied by the host.
    void setDragImageProvider(std::function<QImage()> provider) { m_dragImageProvider = std::move(provider); }

    // Operations behind the keys and buttons.
    void deleteSelectedAnnotation();
    void commitOrDeselect();
    void clearAllAnnotations();
    void selectAllAnnotations();
    void toggleComposite();
    void zoomIn();
    void zoomOut();
    void resetZoom();
    // Handles one editor key; false when the key is not the editor's (it then passes on).
    bool handleKey(int key, Qt::KeyboardModifiers modifiers, const QString& text);

    // What the user is told when wallpapers were not imported because of their format.
    static QString refusedWallpapersMessage(const QStringList& fileNames);

Q_SIGNALS:
    void copyRequested();
    void saveRequested();
    void saveAsRequested();
    void closeRequested();
    void pinRequested();
    void copyHexRequested(const QString& hex);
    void dragBegan();
    void dragEnded(bool accepted);
    // A short message for the user, which the host shows as a pill.
    void notificationRequested(const QString& message, double seconds);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void connectSession();
    void updateSidebarVisibility(bool animated);
    void applyZoom();
    bool isTextBeingEdited() const;

    EditorSession& m_session;
    SettingsStore& m_settings;
    HotkeyPreferences& m_hotkeys;
    bool m_isTightFit;
    EditorToolState* m_toolState = nullptr;
    AnnotationToolbar* m_toolbar = nullptr;
    CanvasArea* m_canvasArea = nullptr;
    ImageEditorSidebar* m_sidebar = nullptr;
    QWidget* m_sidebarHolder = nullptr;
    EditorPills* m_pills = nullptr;
    QVariantAnimation* m_sidebarAnimation = nullptr;
    EditorZoom m_zoom;
    bool m_isSidebarVisible = false;
    bool m_isSpacePanActive = false;
    std::function<QImage()> m_dragImageProvider;
};

} // namespace velmora
