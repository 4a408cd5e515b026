#pragma once

#include "RawValue.h"
#include "imaging/Color.h"

#include <QString>

#include <array>
#include <string_view>

namespace velmora {

// Solid colours offered in the sidebar. The raw value (the case name) is what gets persisted.
enum class BackgroundColorPreset {
    white,
    cream,
    sand,
    rose,
    coral,
    peach,
    lemon,
    mint,
    seafoam,
    sky,
    lavender,
    charcoal,
};

// Two-colour linear gradients offered in the sidebar, persisted by raw value as well.
enum class BackgroundGradientPreset {
    auroraDream,
    twilightHaze,
    pastelMirage,
    oceanWhisper,
    sunsetGlow,
    lavenderMist,
    mintBreeze,
    coralSky,
    blueberryFade,
    cottonCandy,
    dreamyPastel,
    blueHalo,
    softFog,
    purpleWave,
    neonCitrus,
};

template <> struct EnumNames<BackgroundColorPreset>
{
    static constexpr std::array<std::string_view, 12> names{"white",   "cream", "sand",     "rose",
                                                            "coral",   "peach", "lemon",    "mint",
                                                            "seafoam", "sky",   "lavender", "charcoal"};
};

template <> struct EnumNames<BackgroundGradientPreset>
{
    static constexpr std::array<std::string_view, 15> names{
        "auroraDream",  "twilightHaze", "pastelMirage", "oceanWhisper",  "sunsetGlow",
        "lavenderMist", "mintBreeze",   "coralSky",     "blueberryFade", "cottonCandy",
        "dreamyPastel", "blueHalo",     "softFog",      "purpleWave",    "neonCitrus"};
};

// The opaque colour a solid preset paints.
Color fill(BackgroundColorPreset preset);

// The name shown to the user, e.g. "Aurora Dream".
QString displayName(BackgroundGradientPreset preset);

// Start and end colour of the gradient, both opaque.
std::array<Color, 2> colors(BackgroundGradientPreset preset);

// Direction of the gradient in degrees, y axis up; the renderer turns it into end points.
double angleDegrees(BackgroundGradientPreset preset);

} // namespace velmora
