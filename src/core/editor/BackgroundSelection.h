#pragma once

#include "editor/BackgroundAssetStore.h"
#include "editor/BackgroundColorItem.h"
#include "editor/BackgroundPresets.h"

#include <QString>
#include <QVector>

#include <optional>

namespace velmora {

// What stands behind a composited screenshot: a tagged value with eight alternatives. Only the
// payload of the current alternative takes part in comparisons.
class BackgroundSelection
{
public:
    enum class Kind {
        preset,
        customColor,
        gradient,
        userWallpaper,
        transparent,
        desktopWallpaper,
        autoColor,
        autoGradient
    };

    // The desktop wallpaper, which is also what a missing stored value means.
    BackgroundSelection() = default;

    static BackgroundSelection preset(BackgroundColorPreset preset);
    static BackgroundSelection customColor(const QString& id);
    static BackgroundSelection gradient(BackgroundGradientPreset preset);
    static BackgroundSelection userWallpaper(const QString& id);
    static BackgroundSelection transparent();
    static BackgroundSelection desktopWallpaper();
    static BackgroundSelection autoColor();
    static BackgroundSelection autoGradient();

    Kind kind() const { return m_kind; }
    BackgroundColorPreset colorPreset() const { return m_colorPreset; }          // kind() == preset
    BackgroundGradientPreset gradientPreset() const { return m_gradientPreset; } // kind() == gradient
    QString itemId() const { return m_itemId; }                                  // customColor, userWallpaper

    // "preset:white", "custom-color:<id>", "gradient:auroraDream", "user-wallpaper:<file name>",
    // "transparent", "desktop-wallpaper", "auto-color", "auto-gradient".
    QString persistenceValue() const;
    // Never fails: unknown preset names and unrecognised text fall back to a sensible choice.
    static BackgroundSelection fromPersistenceValue(const std::optional<QString>& value);

    bool operator==(const BackgroundSelection& other) const;

private:
    explicit BackgroundSelection(Kind kind) : m_kind(kind) {}

    Kind m_kind = Kind::desktopWallpaper;
    BackgroundColorPreset m_colorPreset = BackgroundColorPreset::white;
    BackgroundGradientPreset m_gradientPreset = BackgroundGradientPreset::auroraDream;
    QString m_itemId;
};

// Points a selection at something that exists: a wallpaper that is gone falls back to the desktop
// wallpaper, a custom colour that is gone to the first custom colour (or white when there is none).
// Without a wallpaper list (the folder has not been read yet) a wallpaper selection is kept as it
// is: nothing is known to be gone, and falling back would lose the user's choice for good once the
// fallback is stored.
BackgroundSelection
normalizedBackgroundSelection(const BackgroundSelection& selection,
                              const QVector<BackgroundColorItem>& customColors,
                              const std::optional<QVector<BackgroundWallpaperItem>>& wallpapers);

} // namespace velmora
