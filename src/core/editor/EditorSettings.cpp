#include "editor/EditorSettings.h"

#include "preferences/SettingsStore.h"

#include <algorithm>
#include <cmath>

namespace velmora {

QString SettingKey::key(CaptureKind kind) const
{
    switch (scope) {
    case SettingScope::perKind:
        return rawValue(kind) + QLatin1Char('.') + field;
    case SettingScope::shared:
        return QStringLiteral("shared.") + field;
    case SettingScope::global:
        break;
    }
    return field;
}

std::optional<QString> SettingKey::olderKey(CaptureKind kind) const
{
    if (scope != SettingScope::shared) {
        return std::nullopt;
    }
    return rawValue(kind) + QLatin1Char('.') + field;
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
    if (!stored) {
        if (const auto older = olderKey(kind)) {
            stored = settings.number(*older);
        }
    }
    return stored ? clamped(*stored, kind) : defaultValue(kind);
}

double NumberSetting::write(SettingsStore& settings, CaptureKind kind, double value) const
{
    const double held = clamped(value, kind);
    settings.setValue(key(kind), held);
    return held;
}

template <typename E> E ChoiceSetting<E>::read(const SettingsStore& settings, CaptureKind kind) const
{
    return fromRawValue<E>(settings.string(key(kind)).value_or(QString())).value_or(defaultValue);
}

template <typename E> void ChoiceSetting<E>::write(SettingsStore& settings, CaptureKind kind, E value) const
{
    settings.setValue(key(kind), rawValue(value));
}

template struct ChoiceSetting<TextStyle>;
template struct ChoiceSetting<ArrowStyle>;

bool BoolSetting::read(const SettingsStore& settings, CaptureKind kind) const
{
    return settings.boolean(key(kind)).value_or(defaultValue);
}

void BoolSetting::write(SettingsStore& settings, CaptureKind kind, bool value) const
{
    settings.setValue(key(kind), value);
}

namespace {
const QString colorSuffixes[] = {QStringLiteral(".r"), QStringLiteral(".g"), QStringLiteral(".b")};
} // namespace

std::optional<Color> ColorSetting::read(const SettingsStore& settings, CaptureKind kind) const
{
    const QString base = key(kind);
    const auto r = settings.number(base + colorSuffixes[0]);
    if (!r) {
        return defaultValue;
    }
    const double g = settings.number(base + colorSuffixes[1]).value_or(0);
    const double b = settings.number(base + colorSuffixes[2]).value_or(0);
    return Color{std::clamp(*r, 0.0, 1.0), std::clamp(g, 0.0, 1.0), std::clamp(b, 0.0, 1.0), 1};
}

void ColorSetting::write(SettingsStore& settings, CaptureKind kind, const std::optional<Color>& value) const
{
    const QString base = key(kind);
    if (!value) {
        for (const QString& suffix : colorSuffixes) {
            settings.remove(base + suffix);
        }
        return;
    }
    settings.setValue(base + colorSuffixes[0], value->red);
    settings.setValue(base + colorSuffixes[1], value->green);
    settings.setValue(base + colorSuffixes[2], value->blue);
}

BackgroundSelection BackgroundSelectionSetting::read(const SettingsStore& settings, CaptureKind kind) const
{
    const auto stored = settings.string(key(kind));
    return stored ? BackgroundSelection::fromPersistenceValue(*stored) : defaultValue();
}

void BackgroundSelectionSetting::write(SettingsStore& settings, CaptureKind kind,
                                       const BackgroundSelection& value) const
{
    settings.setValue(key(kind), value.persistenceValue());
}

QVector<BackgroundColorItem> ColorItemsSetting::read(const SettingsStore& settings, CaptureKind kind) const
{
    std::optional<QVector<BackgroundColorItem>> stored;
    if (const auto data = settings.data(key(kind))) {
        stored = decodeColorItems(*data);
    }
    return stored && !stored->isEmpty() ? *stored : defaultValue();
}

void ColorItemsSetting::write(SettingsStore& settings, CaptureKind kind,
                              const QVector<BackgroundColorItem>& value) const
{
    const QByteArray encoded = encodeColorItems(value);
    if (encoded.isEmpty()) {
        settings.remove(key(kind));
    } else {
        settings.setValue(key(kind), encoded);
    }
}

namespace EditorSettings {

using Scope = SettingScope;

// Stroke widths and font sizes span the toolbar's choices; the others are the sidebar's sliders.
const NumberSetting strokeWidth{{QStringLiteral("strokeWidth"), Scope::perKind}, 1, 12, 8, 8};
const NumberSetting fontSize{{QStringLiteral("fontSize"), Scope::perKind}, 12, 64, 32, 32};
const ChoiceSetting<TextStyle> textStyle{{QStringLiteral("textStyle"), Scope::perKind},
                                         allCases<TextStyle>().front()};
const NumberSetting blurRadius{{QStringLiteral("blurRadius"), Scope::perKind}, 2, 30, 10, 10};
const BackgroundSelectionSetting backgroundSelection{{QStringLiteral("backgroundSelection"), Scope::perKind}};
const ColorItemsSetting customBackgroundColors{{QStringLiteral("customBackgroundColors"), Scope::perKind}};
const NumberSetting backgroundBlur{{QStringLiteral("backgroundBlur"), Scope::perKind}, 0, 40, 0, 0};
const NumberSetting shadow{{QStringLiteral("backgroundShadow"), Scope::shared}, 0, 40, 7, 7};
const NumberSetting cornerRadius{{QStringLiteral("contentCornerRadius"), Scope::perKind}, 0, 40, 24, 0};
const NumberSetting padding{{QStringLiteral("contentPadding"), Scope::perKind}, 0, 100, 50, 45};
const NumberSetting inset{{QStringLiteral("contentInset"), Scope::perKind}, 0, 60, 0, 0};

const ColorSetting annotationColor{{QStringLiteral("annotationColor"), Scope::global},
                                   Color::fromRgb8(255, 59, 48)};
const ColorSetting customAnnotationColor{{QStringLiteral("customAnnotationColor"), Scope::global},
                                         std::nullopt};
const BoolSetting annotationHasWhiteStroke{{QStringLiteral("annotationHasWhiteStroke"), Scope::global},
                                           false};
const ChoiceSetting<ArrowStyle> arrowStyle{{QStringLiteral("annotationArrowStyle"), Scope::global},
                                           ArrowStyle::sketch};

} // namespace EditorSettings

} // namespace velmora
