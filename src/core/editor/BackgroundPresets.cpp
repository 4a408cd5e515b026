#include "editor/BackgroundPresets.h"

#include <cstddef>

namespace velmora {

namespace {

struct Rgb8
{
    int red;
    int green;
    int blue;

    Color color() const { return Color::fromRgb8(red, green, blue); }
};

// Indexed by BackgroundColorPreset.
constexpr std::array<Rgb8, 12> kColorPresets{{
    {255, 255, 255}, // white
    {247, 242, 230}, // cream
    {237, 227, 209}, // sand
    {254, 205, 211}, // rose
    {252, 165, 165}, // coral
    {254, 215, 170}, // peach
    {254, 240, 138}, // lemon
    {187, 247, 208}, // mint
    {167, 243, 208}, // seafoam
    {191, 219, 254}, // sky
    {221, 214, 254}, // lavender
    {30, 30, 35},    // charcoal
}};

struct GradientPreset
{
    const char* displayName;
    Rgb8 first;
    Rgb8 second;
    double angle;
};

// Indexed by BackgroundGradientPreset.
constexpr std::array<GradientPreset, 15> kGradientPresets{{
    {"Aurora Dream", {168, 196, 244}, {246, 188, 214}, 145},
    {"Twilight Haze", {190, 184, 232}, {240, 192, 196}, 45},
    {"Pastel Mirage", {176, 214, 244}, {246, 218, 176}, 135},
    {"Ocean Whisper", {170, 214, 232}, {216, 196, 240}, 135},
    {"Sunset Glow", {250, 198, 178}, {238, 188, 216}, 45},
    {"Lavender Mist", {208, 196, 244}, {236, 204, 232}, 145},
    {"Mint Breeze", {176, 226, 204}, {234, 240, 192}, 135},
    {"Coral Sky", {250, 188, 184}, {238, 204, 196}, 135},
    {"Blueberry Fade", {176, 192, 240}, {220, 188, 232}, 45},
    {"Cotton Candy", {248, 206, 224}, {220, 200, 240}, 135},
    {"Dreamy Pastel", {196, 218, 240}, {244, 208, 216}, 145},
    {"Blue Halo", {212, 228, 244}, {176, 200, 232}, 135},
    {"Soft Fog", {228, 230, 234}, {184, 194, 208}, 135},
    {"Purple Wave", {220, 208, 244}, {168, 156, 220}, 145},
    {"Neon Citrus", {248, 220, 176}, {204, 228, 196}, 45},
}};

static_assert(kColorPresets.size() == EnumNames<BackgroundColorPreset>::names.size());
static_assert(kGradientPresets.size() == EnumNames<BackgroundGradientPreset>::names.size());

const GradientPreset& gradientEntry(BackgroundGradientPreset preset)
{
    return kGradientPresets[static_cast<std::size_t>(preset)];
}

} // namespace

Color fill(BackgroundColorPreset preset)
{
    return kColorPresets[static_cast<std::size_t>(preset)].color();
}

QString displayName(BackgroundGradientPreset preset)
{
    return QString::fromLatin1(gradientEntry(preset).displayName);
}

std::array<Color, 2> colors(BackgroundGradientPreset preset)
{
    const GradientPreset& entry = gradientEntry(preset);
    return {entry.first.color(), entry.second.color()};
}

double angleDegrees(BackgroundGradientPreset preset)
{
    return gradientEntry(preset).angle;
}

} // namespace velmora
