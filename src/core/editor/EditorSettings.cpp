#include "editor/EditorSettings.h"

#include "RawValue.h"
#include "preferences/SettingsStore.h"

#include <algorithm>
#include <cmath>

namespace velmora {

QString NumberSetting::key(CaptureKind kind) const
{
    const QString prefix = scope == Scope::shared ? QStringLiteral("shared") : rawValue(kind);
    return prefix + QLatin1Char('.') + field;
}

double NumberSetting::clamped(double value, CaptureKind kind) const
{
    if (std::isnan(value)) {
        return defaultValue(kind);
    }
    return std::clamp(value, minimum, maximum);
}

double NumberSetting::read(const SettingsStore& settings, CaptureKind kind) const
{
    std::optional<double> stored = settings.number(key(kind));
    if (!stored && scope == Scope::shared) {
        stored = settings.number(rawValue(kind) + QLatin1Char('.') + field);
    }
    return stored ? clamped(*stored, kind) : defaultValue(kind);
}

void NumberSetting::write(SettingsStore& settings, CaptureKind kind, double value) const
{
    settings.setValue(key(kind), clamped(value, kind));
}

namespace EditorSettings {

using Scope = NumberSetting::Scope;

// Stroke widths and font sizes span the toolbar's choices; the others are the sidebar's sliders.
const NumberSetting strokeWidth{QStringLiteral("strokeWidth"), Scope::perKind, 1, 12, 8, 8};
const NumberSetting fontSize{QStringLiteral("fontSize"), Scope::perKind, 12, 64, 32, 32};
const NumberSetting blurRadius{QStringLiteral("blurRadius"), Scope::perKind, 2, 30, 10, 10};
const NumberSetting backgroundBlur{QStringLiteral("backgroundBlur"), Scope::perKind, 0, 40, 0, 0};
const NumberSetting shadow{QStringLiteral("backgroundShadow"), Scope::shared, 0, 40, 7, 7};
const NumberSetting cornerRadius{QStringLiteral("contentCornerRadius"), Scope::perKind, 0, 40, 24, 0};
const NumberSetting padding{QStringLiteral("contentPadding"), Scope::perKind, 0, 100, 50, 45};
const NumberSetting inset{QStringLiteral("contentInset"), Scope::perKind, 0, 60, 0, 0};

} // namespace EditorSettings

} // namespace velmora
