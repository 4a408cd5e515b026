#pragma once

#include "editor/BackgroundSelection.h"

#include <QColorDialog>
#include <QList>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QScrollArea;

namespace velmora {

class EditorSession;
class EditorToolState;
class SidebarBackgroundPickerRow;
class SidebarSliderRow;

// The panel beside the editor's canvas: the blur tool's pixel size while that tool is active and,
// while the background composite shows, the geometry sliders, the background picker and a reset
// button. Every control writes straight to the session, and follows the session when something
// else (undo, reset) changes it.
class ImageEditorSidebar : public QWidget
{
    Q_OBJECT

public:
    static constexpr int sidebarWidth = 250;

    // Asks the user for wallpaper files; an empty list means cancelled.
    using WallpaperChooser = std::function<QList<QUrl>(QWidget* parent)>;

    ImageEditorSidebar(EditorSession* session, EditorToolState* toolState, QWidget* parent = nullptr);
    ~ImageEditorSidebar() override;

    // Replaces the file dialog that picks wallpapers to import.
    void setWallpaperChooser(WallpaperChooser chooser);
    static QList<QUrl> chooseWallpaperFiles(QWidget* parent);

    bool showsBackgroundControls() const;

    // "Pixel Size", "Corner Radius", "Padding", "Inset", "Shadow", "Background Image Blur".
    SidebarSliderRow* sliderRow(const QString& label) const;
    QList<SidebarSliderRow*> sliderRows() const { return m_rows; }
    SidebarBackgroundPickerRow* backgroundPicker() const { return m_picker; }
    QAbstractButton* resetButton() const { return m_resetButton; }
    // The colour dialog of the custom colour being edited, while it is open.
    QColorDialog* colorDialog() const { return m_colorDialog; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct SliderBinding;

    SidebarSliderRow* addSliderRow(QWidget* container, const SliderBinding& binding);
    void updateVisibility();
    void refreshPicker();
    void addCustomColor();
    void openColorDialog(const QString& id, const QColor& start);
    void addWallpapers();

    QPointer<EditorSession> m_session;
    QPointer<EditorToolState> m_toolState;
    WallpaperChooser m_chooseWallpapers;

    QScrollArea* m_scrollArea = nullptr;
    QWidget* m_backgroundControls = nullptr;
    SidebarSliderRow* m_pixelSizeRow = nullptr;
    QList<SidebarSliderRow*> m_rows;
    SidebarBackgroundPickerRow* m_picker = nullptr;
    QAbstractButton* m_resetButton = nullptr;
    QPointer<QColorDialog> m_colorDialog;
    bool m_backgroundControlsShown = false;
};

} // namespace velmora
