#pragma once

#include "editor/CaptureKind.h"

#include <QString>

namespace velmora {

class SettingsStore;

// One number the editor remembers between sessions, declared once: where it is stored, its default
// and the range every way in (the sidebar's slider, the toolbar, the settings file, the command
// line) is held to. Values outside the range are never drawn: a settings file saying
// "contentPadding=1e300" gives the maximum, not a picture that cannot be allocated.
struct NumberSetting
{
    enum class Scope {
        perKind, // "<kind>.<field>": region, window and the others each remember their own
        shared,  // "shared.<field>", read from "<kind>.<field>" when only an older file has it
    };

    QString field;
    Scope scope;
    double minimum;
    double maximum;
    double regionDefault;
    double windowDefault;

    QString key(CaptureKind kind) const;
    double defaultValue(CaptureKind kind) const
    {
        return kind == CaptureKind::window ? windowDefault : regionDefault;
    }
    // Into the range; NaN gives the default.
    double clamped(double value, CaptureKind kind) const;
    bool contains(double value) const { return value >= minimum && value <= maximum; }
    // The stored value held to the range, or the default when there is none or it is not a number.
    double read(const SettingsStore& settings, CaptureKind kind) const;
    void write(SettingsStore& settings, CaptureKind kind, double value) const;
};

namespace EditorSettings {

extern const NumberSetting strokeWidth;
extern const NumberSetting fontSize;
extern const NumberSetting blurRadius;
extern const NumberSetting backgroundBlur;
extern const NumberSetting shadow;
extern const NumberSetting cornerRadius;
extern const NumberSetting padding;
extern const NumberSetting inset;

} // namespace EditorSettings

} // namespace velmora
