#pragma once

#include "editor/BackgroundAssetStore.h"
#include "editor/BackgroundColorItem.h"
#include "editor/BackgroundSelection.h"
#include "imaging/Color.h"

#include <QImage>
#include <QVector>
#include <QWidget>

#include <optional>
#include <utility>

namespace velmora {

class AddSwatchButton;
class AutoThumbnailButton;
class BackgroundThumbnail;
class ColorSwatchThumbnail;
class ImageThumbnail;
class SidebarThumbnailGrid;

// The background choices under the heading "Background", in three sections: solid colours,
// gradients and wallpapers, each a grid of thumbnails with the current choice outlined. It knows
// nothing of the session: it shows what it is given and reports what the user picks.
class SidebarBackgroundPickerRow : public QWidget
{
    Q_OBJECT

public:
    explicit SidebarBackgroundPickerRow(QWidget* parent = nullptr);

    void setSelection(const BackgroundSelection& selection);
    const BackgroundSelection& selection() const { return m_selection; }
    void setAutoColors(const QVector<Color>& colors);
    void setCustomColors(const QVector<BackgroundColorItem>& colors);
    void setDesktopWallpaperPreview(const QImage& image);
    void setUserWallpapers(const QVector<BackgroundWallpaperItem>& items);

    // The thumbnail that stands for `selection`, if one is shown.
    BackgroundThumbnail* thumbnail(const BackgroundSelection& selection) const;
    // Every choice, in display order.
    QVector<std::pair<BackgroundSelection, BackgroundThumbnail*>> thumbnails() const;
    AddSwatchButton* addColorButton() const { return m_addColor; }
    AddSwatchButton* addWallpaperButton() const { return m_addWallpaper; }

Q_SIGNALS:
    void selectionPicked(const BackgroundSelection& selection);
    void addCustomColorRequested();
    void removeCustomColorRequested(const QString& id);
    void addWallpaperRequested();
    void removeWallpaperRequested(const QString& id);

private:
    using Entry = std::pair<BackgroundSelection, BackgroundThumbnail*>;

    void addSection(const QString& title, SidebarThumbnailGrid* grid);
    BackgroundThumbnail* makeChoice(BackgroundThumbnail* thumbnail, const BackgroundSelection& selection);
    void retire(QVector<Entry>& entries);
    void relayoutColors();
    void relayoutWallpapers();
    void refreshSelection();

    BackgroundSelection m_selection;

    SidebarThumbnailGrid* m_colorGrid;
    SidebarThumbnailGrid* m_gradientGrid;
    SidebarThumbnailGrid* m_wallpaperGrid;

    // Choices that are always there.
    QVector<Entry> m_fixedColors;
    QVector<Entry> m_gradients;
    AutoThumbnailButton* m_autoColor;
    AutoThumbnailButton* m_autoGradient;
    ImageThumbnail* m_desktopWallpaper;
    AddSwatchButton* m_addColor;
    AddSwatchButton* m_addWallpaper;

    // Choices that follow the user's lists.
    QVector<Entry> m_customColors;
    QVector<Entry> m_userWallpapers;
};

} // namespace velmora
