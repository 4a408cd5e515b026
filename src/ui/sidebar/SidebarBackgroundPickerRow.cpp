#include "sidebar/SidebarBackgroundPickerRow.h"

#include "RawValue.h"
#include "sidebar/AddSwatchButton.h"
#include "sidebar/AutoThumbnailButton.h"
#include "sidebar/CheckerboardThumbnail.h"
#include "sidebar/ColorSwatchThumbnail.h"
#include "sidebar/GradientThumbnail.h"
#include "sidebar/ImageThumbnail.h"
#include "sidebar/SidebarThumbnailGrid.h"

#include <QLabel>
#include <QVBoxLayout>

namespace velmora {

namespace {

constexpr int swatchColumns = 6;
constexpr int wallpaperColumns = 3;
constexpr double wallpaperAspect = 0.68;

QString presetTitle(BackgroundColorPreset preset)
{
    QString name = rawValue(preset);
    name[0] = name[0].toUpper();
    return name;
}

QLabel* sectionLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    font.setWeight(QFont::DemiBold);
    label->setFont(font);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

SidebarBackgroundPickerRow::SidebarBackgroundPickerRow(QWidget* parent)
    : QWidget(parent), m_colorGrid(new SidebarThumbnailGrid(swatchColumns, 1.0, this)),
      m_gradientGrid(new SidebarThumbnailGrid(swatchColumns, 1.0, this)),
      m_wallpaperGrid(new SidebarThumbnailGrid(wallpaperColumns, wallpaperAspect, this)),
      m_autoColor(new AutoThumbnailButton(AutoThumbnailButton::Mode::color, m_colorGrid)),
      m_autoGradient(new AutoThumbnailButton(AutoThumbnailButton::Mode::gradient, m_gradientGrid)),
      m_desktopWallpaper(new ImageThumbnail(QImage(), m_wallpaperGrid)),
      m_addColor(new AddSwatchButton(m_colorGrid)), m_addWallpaper(new AddSwatchButton(m_wallpaperGrid))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    auto* heading = new QLabel(tr("Background"), this);
    QFont headingFont = heading->font();
    headingFont.setWeight(QFont::Bold);
    heading->setFont(headingFont);
    layout->addWidget(heading);

    addSection(tr("Solid Colors"), m_colorGrid);
    addSection(tr("Gradients"), m_gradientGrid);
    addSection(tr("Wallpaper"), m_wallpaperGrid);

    m_fixedColors.append(
        {BackgroundSelection::autoColor(), makeChoice(m_autoColor, BackgroundSelection::autoColor())});
    auto* transparent = new CheckerboardThumbnail(m_colorGrid);
    m_fixedColors.append(
        {BackgroundSelection::transparent(), makeChoice(transparent, BackgroundSelection::transparent())});
    for (BackgroundColorPreset preset : allCases<BackgroundColorPreset>()) {
        auto* swatch = new ColorSwatchThumbnail(fill(preset), m_colorGrid);
        swatch->setToolTip(presetTitle(preset));
        const auto selection = BackgroundSelection::preset(preset);
        m_fixedColors.append({selection, makeChoice(swatch, selection)});
    }

    m_gradients.append({BackgroundSelection::autoGradient(),
                        makeChoice(m_autoGradient, BackgroundSelection::autoGradient())});
    for (BackgroundGradientPreset preset : allCases<BackgroundGradientPreset>()) {
        const auto selection = BackgroundSelection::gradient(preset);
        m_gradients.append({selection, makeChoice(new GradientThumbnail(preset, m_gradientGrid), selection)});
    }

    m_desktopWallpaper->setToolTip(tr("Desktop Wallpaper"));
    makeChoice(m_desktopWallpaper, BackgroundSelection::desktopWallpaper());

    m_addColor->setToolTip(tr("Add Color"));
    m_addColor->setAccessibleName(tr("Add Color"));
    connect(m_addColor, &QAbstractButton::clicked, this,
            &SidebarBackgroundPickerRow::addCustomColorRequested);
    m_addWallpaper->setToolTip(tr("Add Wallpaper"));
    m_addWallpaper->setAccessibleName(tr("Add Wallpaper"));
    connect(m_addWallpaper, &QAbstractButton::clicked, this,
            &SidebarBackgroundPickerRow::addWallpaperRequested);

    QList<QWidget*> gradients;
    for (const Entry& entry : m_gradients) {
        gradients.append(entry.second);
    }
    m_gradientGrid->setItems(gradients);
    relayoutColors();
    relayoutWallpapers();
    refreshSelection();
}

void SidebarBackgroundPickerRow::addSection(const QString& title, SidebarThumbnailGrid* grid)
{
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->addSpacing(4);
    layout->addWidget(sectionLabel(title, this));
    layout->addWidget(grid);
}

BackgroundThumbnail* SidebarBackgroundPickerRow::makeChoice(BackgroundThumbnail* thumbnail,
                                                            const BackgroundSelection& selection)
{
    if (thumbnail->accessibleName().isEmpty()) {
        thumbnail->setAccessibleName(thumbnail->toolTip());
    }
    connect(thumbnail, &QAbstractButton::clicked, this,
            [this, selection] { Q_EMIT selectionPicked(selection); });
    return thumbnail;
}

void SidebarBackgroundPickerRow::setSelection(const BackgroundSelection& selection)
{
    m_selection = selection;
    refreshSelection();
}

void SidebarBackgroundPickerRow::setAutoColors(const QVector<Color>& colors)
{
    m_autoColor->setColors(colors);
    m_autoGradient->setColors(colors);
}

void SidebarBackgroundPickerRow::setCustomColors(const QVector<BackgroundColorItem>& colors)
{
    bool sameItems = colors.size() == m_customColors.size();
    for (qsizetype i = 0; sameItems && i < colors.size(); ++i) {
        sameItems = m_customColors[i].first.itemId() == colors[i].id;
    }
    if (sameItems) {
        // A colour being edited live: repaint in place rather than rebuild under the pointer.
        for (qsizetype i = 0; i < colors.size(); ++i) {
            auto* swatch = static_cast<ColorSwatchThumbnail*>(m_customColors[i].second);
            swatch->setColor(colors[i].color());
            swatch->setToolTip(colors[i].color().hexRgb());
        }
        return;
    }
    retire(m_customColors);
    for (const BackgroundColorItem& item : colors) {
        auto* swatch = new ColorSwatchThumbnail(item.color(), m_colorGrid);
        swatch->setToolTip(item.color().hexRgb());
        swatch->setRemovable(true);
        const auto selection = BackgroundSelection::customColor(item.id);
        const QString id = item.id;
        connect(swatch, &BackgroundThumbnail::removeRequested, this,
                [this, id] { Q_EMIT removeCustomColorRequested(id); });
        m_customColors.append({selection, makeChoice(swatch, selection)});
    }
    relayoutColors();
    refreshSelection();
}

void SidebarBackgroundPickerRow::setDesktopWallpaperPreview(const QImage& image)
{
    m_desktopWallpaper->setImage(image);
}

void SidebarBackgroundPickerRow::setUserWallpapers(const QVector<BackgroundWallpaperItem>& items)
{
    bool sameItems = items.size() == m_userWallpapers.size();
    for (qsizetype i = 0; sameItems && i < items.size(); ++i) {
        sameItems = m_userWallpapers[i].first.itemId() == items[i].id &&
                    static_cast<ImageThumbnail*>(m_userWallpapers[i].second)->image().cacheKey() ==
                        items[i].image.cacheKey();
    }
    if (sameItems) {
        return;
    }
    retire(m_userWallpapers);
    for (const BackgroundWallpaperItem& item : items) {
        auto* thumbnail = new ImageThumbnail(item.image, m_wallpaperGrid);
        thumbnail->setRemovable(true);
        const auto selection = BackgroundSelection::userWallpaper(item.id);
        const QString id = item.id;
        connect(thumbnail, &BackgroundThumbnail::removeRequested, this,
                [this, id] { Q_EMIT removeWallpaperRequested(id); });
        m_userWallpapers.append({selection, makeChoice(thumbnail, selection)});
    }
    relayoutWallpapers();
    refreshSelection();
}

void SidebarBackgroundPickerRow::retire(QVector<Entry>& entries)
{
    // The list can change from a thumbnail's own click (its remove badge), so the old ones go
    // once control is back in the event loop.
    for (const Entry& entry : entries) {
        entry.second->disconnect(this);
        entry.second->hide();
        entry.second->deleteLater();
    }
    entries.clear();
}

void SidebarBackgroundPickerRow::relayoutColors()
{
    QList<QWidget*> items;
    for (const Entry& entry : m_fixedColors) {
        items.append(entry.second);
    }
    for (const Entry& entry : m_customColors) {
        items.append(entry.second);
    }
    items.append(m_addColor);
    m_colorGrid->setItems(items);
}

void SidebarBackgroundPickerRow::relayoutWallpapers()
{
    QList<QWidget*> items{m_desktopWallpaper};
    for (const Entry& entry : m_userWallpapers) {
        items.append(entry.second);
    }
    items.append(m_addWallpaper);
    m_wallpaperGrid->setItems(items);
}

QVector<SidebarBackgroundPickerRow::Entry> SidebarBackgroundPickerRow::thumbnails() const
{
    QVector<Entry> all = m_fixedColors;
    all += m_customColors;
    all += m_gradients;
    all.append({BackgroundSelection::desktopWallpaper(), m_desktopWallpaper});
    all += m_userWallpapers;
    return all;
}

BackgroundThumbnail* SidebarBackgroundPickerRow::thumbnail(const BackgroundSelection& selection) const
{
    for (const Entry& entry : thumbnails()) {
        if (entry.first == selection) {
            return entry.second;
        }
    }
    return nullptr;
}

void SidebarBackgroundPickerRow::refreshSelection()
{
    for (const Entry& entry : thumbnails()) {
        entry.second->setSelected(entry.first == m_selection);
    }
}

} // namespace velmora
