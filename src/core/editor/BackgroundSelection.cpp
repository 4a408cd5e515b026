#include "editor/BackgroundSelection.h"

#include <algorithm>

namespace velmora {

namespace {

const QLatin1String kPresetPrefix("preset:");
const QLatin1String kCustomColor("custom-color");
const QLatin1String kCustomColorPrefix("custom-color:");
const QLatin1String kGradientPrefix("gradient:");
const QLatin1String kUserWallpaperPrefix("user-wallpaper:");
const QLatin1String kTransparent("transparent");
const QLatin1String kDesktopWallpaper("desktop-wallpaper");
const QLatin1String kAutoColor("auto-color");
const QLatin1String kAutoGradient("auto-gradient");

QString rest(const QString& value, QLatin1String prefix)
{
    return value.mid(prefix.size());
}

} // namespace

BackgroundSelection BackgroundSelection::preset(BackgroundColorPreset preset)
{
    BackgroundSelection selection(Kind::preset);
    selection.m_colorPreset = preset;
    return selection;
}

BackgroundSelection BackgroundSelection::customColor(const QString& id)
{
    BackgroundSelection selection(Kind::customColor);
    selection.m_itemId = id;
    return selection;
}

BackgroundSelection BackgroundSelection::gradient(BackgroundGradientPreset preset)
{
    BackgroundSelection selection(Kind::gradient);
    selection.m_gradientPreset = preset;
    return selection;
}

BackgroundSelection BackgroundSelection::userWallpaper(const QString& id)
{
    BackgroundSelection selection(Kind::userWallpaper);
    selection.m_itemId = id;
    return selection;
}

BackgroundSelection BackgroundSelection::transparent()
{
    return BackgroundSelection(Kind::transparent);
}

BackgroundSelection BackgroundSelection::desktopWallpaper()
{
    return BackgroundSelection(Kind::desktopWallpaper);
}

BackgroundSelection BackgroundSelection::autoColor()
{
    return BackgroundSelection(Kind::autoColor);
}

BackgroundSelection BackgroundSelection::autoGradient()
{
    return BackgroundSelection(Kind::autoGradient);
}

QString BackgroundSelection::persistenceValue() const
{
    switch (m_kind) {
    case Kind::preset:
        return kPresetPrefix + rawValue(m_colorPreset);
    case Kind::customColor:
        return kCustomColorPrefix + m_itemId;
    case Kind::gradient:
        return kGradientPrefix + rawValue(m_gradientPreset);
    case Kind::userWallpaper:
        return kUserWallpaperPrefix + m_itemId;
    case Kind::transparent:
        return kTransparent;
    case Kind::desktopWallpaper:
        return kDesktopWallpaper;
    case Kind::autoColor:
        return kAutoColor;
    case Kind::autoGradient:
        return kAutoGradient;
    }
    return kDesktopWallpaper;
}

BackgroundSelection BackgroundSelection::fromPersistenceValue(const std::optional<QString>& value)
{
    if (!value) {
        return desktopWallpaper();
    }
    const QString& text = *value;
    if (text == kTransparent) {
        return transparent();
    }
    if (text == kDesktopWallpaper) {
        return desktopWallpaper();
    }
    if (text == kAutoColor) {
        return autoColor();
    }
    if (text == kAutoGradient) {
        return autoGradient();
    }
    if (text.startsWith(kPresetPrefix)) {
        return preset(fromRawValue<BackgroundColorPreset>(rest(text, kPresetPrefix))
                          .value_or(BackgroundColorPreset::white));
    }
    if (text == kCustomColor) {
        return customColor(QString());
    }
    if (text.startsWith(kCustomColorPrefix)) {
        return customColor(rest(text, kCustomColorPrefix));
    }
    if (text.startsWith(kGradientPrefix)) {
        return gradient(fromRawValue<BackgroundGradientPreset>(rest(text, kGradientPrefix))
                            .value_or(BackgroundGradientPreset::auroraDream));
    }
    if (text.startsWith(kUserWallpaperPrefix)) {
        return userWallpaper(rest(text, kUserWallpaperPrefix));
    }
    return preset(BackgroundColorPreset::white);
}

bool BackgroundSelection::operator==(const BackgroundSelection& other) const
{
    if (m_kind != other.m_kind) {
        return false;
    }
    switch (m_kind) {
    case Kind::preset:
        return m_colorPreset == other.m_colorPreset;
    case Kind::gradient:
        return m_gradientPreset == other.m_gradientPreset;
    case Kind::customColor:
    case Kind::userWallpaper:
        return m_itemId == other.m_itemId;
    case Kind::transparent:
    case Kind::desktopWallpaper:
    case Kind::autoColor:
    case Kind::autoGradient:
        return true;
    }
    return true;
}

BackgroundSelection
normalizedBackgroundSelection(const BackgroundSelection& selection,
                              const QVector<BackgroundColorItem>& customColors,
                              const std::optional<QVector<BackgroundWallpaperItem>>& wallpapers)
{
    switch (selection.kind()) {
    case BackgroundSelection::Kind::userWallpaper: {
        if (!wallpapers) {
            return selection;
        }
        const QString id = selection.itemId();
        const bool exists = std::any_of(wallpapers->begin(), wallpapers->end(),
                                        [&](const BackgroundWallpaperItem& item) { return item.id == id; });
        return exists ? selection : BackgroundSelection::desktopWallpaper();
    }
    case BackgroundSelection::Kind::customColor: {
        if (customColors.isEmpty()) {
            return BackgroundSelection::preset(BackgroundColorPreset::white);
        }
        const QString id = selection.itemId();
        const bool exists =
            !id.isEmpty() && std::any_of(customColors.begin(), customColors.end(),
                                         [&](const BackgroundColorItem& c) { return c.id == id; });
        return exists ? selection : BackgroundSelection::customColor(customColors.first().id);
    }
    default:
        return selection;
    }
}

} // namespace velmora
