#pragma once

#include "RawValue.h"
#include "annotation/Annotation.h"
#include "editor/BackgroundColorItem.h"
#include "editor/BackgroundSelection.h"
#include "editor/CaptureKind.h"
#include "imaging/Color.h"

#include <QString>
#include <QVector>

#include <optional>

namespace velmora {

class SettingsStore;

// Every value the editor remembers between sessions is declared once below: its key, its type,
// its default and what counts as a valid stored value. The session, the toolbar's tool state, the
// sidebar's Reset and `velmora beautify` all read, write and reset through these declarations, so
// a key or a default is never spelled twice.

enum class SettingScope {
    perKind, // "<kind>.<field>": region, window and the others each remember their own
    shared,  // "shared.<field>", read from "<kind>.<field>" when only an older file has it
    global,  // "<field>": the toolbar's drawing settings, the same whatever was captured
};

// Where a setting is stored. Global settings ignore the kind they are asked with.
struct SettingKey
{
    QString field;
    SettingScope scope;

    QString key(CaptureKind kind) const;
    // The key an older file may hold the value under instead.
    std::optional<QString> olderKey(CaptureKind kind) const;
};

// A number, with the range every way in (the sidebar's slider, the toolbar, the settings file, the
// command line) is held to. Values outside the range are never drawn: a settings file saying
// "contentPadding=1e300" gives the maximum, not a picture that cannot be allocated.
struct NumberSetting : SettingKey
{
    using Scope = SettingScope;

    double minimum;
    double maximum;
    double regionDefault;
    double windowDefault;

    double defaultValue(CaptureKind kind) const
    {
        return kind == CaptureKind::window ? windowDefault : regionDefault;
    }
    // Into the range; NaN gives the default.
    double clamped(double value, CaptureKind kind) const;
    bool contains(double value) const { return value >= minimum && value <= maximum; }
    // The stored value held to the range, or the default when there is none or it is not a number.
    double read(const SettingsStore& settings, CaptureKind kind) const;
    // Stores the value held to the range and returns what was stored.
    double write(SettingsStore& settings, CaptureKind kind, double value) const;
};

// One case of a string-valued enumeration, stored as its raw value. A stored text that names no
// case gives the default, so a file from a later version with more cases still opens.
template <typename E> struct ChoiceSetting : SettingKey
{
    E defaultValue;

    E read(const SettingsStore& settings, CaptureKind kind = CaptureKind::region) const;
    void write(SettingsStore& settings, CaptureKind kind, E value) const;
    void write(SettingsStore& settings, E value) const { write(settings, CaptureKind::region, value); }
};

struct BoolSetting : SettingKey
{
    bool defaultValue;

    bool read(const SettingsStore& settings, CaptureKind kind = CaptureKind::region) const;
    void write(SettingsStore& settings, CaptureKind kind, bool value) const;
    void write(SettingsStore& settings, bool value) const { write(settings, CaptureKind::region, value); }
};

// An opaque colour, stored as three numbers under "<key>.r", "<key>.g" and "<key>.b". The colour
// is present when the ".r" key is; a missing green or blue reads as 0, and each component is held
// to 0…1. Writing no colour removes the three keys.
struct ColorSetting : SettingKey
{
    // Nothing: the setting has no colour until one is chosen.
    std::optional<Color> defaultValue;

    std::optional<Color> read(const SettingsStore& settings, CaptureKind kind = CaptureKind::region) const;
    void write(SettingsStore& settings, CaptureKind kind, const std::optional<Color>& value) const;
    void write(SettingsStore& settings, const std::optional<Color>& value) const
    {
        write(settings, CaptureKind::region, value);
    }
};

// The background choice, stored as its persistence value. The stored text is parsed as it is; the
// session normalises it against the colours and wallpapers it knows.
struct BackgroundSelectionSetting : SettingKey
{
    BackgroundSelection defaultValue() const { return BackgroundSelection::desktopWallpaper(); }
    BackgroundSelection read(const SettingsStore& settings, CaptureKind kind) const;
    void write(SettingsStore& settings, CaptureKind kind, const BackgroundSelection& value) const;
};

// The list of custom background colours, stored as JSON data. A list that is missing, does not
// decode or is empty reads as the one default item; a list that cannot be encoded removes the key.
struct ColorItemsSetting : SettingKey
{
    QVector<BackgroundColorItem> defaultValue() const { return {defaultCustomColorItem()}; }
    QVector<BackgroundColorItem> read(const SettingsStore& settings, CaptureKind kind) const;
    void write(SettingsStore& settings, CaptureKind kind, const QVector<BackgroundColorItem>& value) const;
};

namespace EditorSettings {

// Per capture kind: the session's drawing and background settings.
extern const NumberSetting strokeWidth;
extern const NumberSetting fontSize;
extern const ChoiceSetting<TextStyle> textStyle;
extern const NumberSetting blurRadius;
extern const BackgroundSelectionSetting backgroundSelection;
extern const ColorItemsSetting customBackgroundColors;
extern const NumberSetting backgroundBlur;
extern const NumberSetting shadow;
extern const NumberSetting cornerRadius;
extern const NumberSetting padding;
extern const NumberSetting inset;

// Global: the toolbar's drawing settings.
extern const ColorSetting annotationColor;
extern const ColorSetting customAnnotationColor;
extern const BoolSetting annotationHasWhiteStroke;
extern const ChoiceSetting<ArrowStyle> arrowStyle;

} // namespace EditorSettings

} // namespace velmora
