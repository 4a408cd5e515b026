#pragma once

#include <QColor>
#include <QString>

#include <optional>

namespace velmora {

// An RGBA colour with components from 0 to 1, as the toolbar and the pickers produce it. Kept as
// doubles so stored colours round-trip exactly and comparisons are not blurred by 16-bit QColor.
struct Color
{
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    bool operator==(const Color&) const = default;

    static Color fromRgb8(int r, int g, int b, int a = 255)
    {
        return {r / 255.0, g / 255.0, b / 255.0, a / 255.0};
    }
    static Color fromQColor(const QColor& c)
    {
        const QColor rgb = c.toRgb();
        return {rgb.redF(), rgb.greenF(), rgb.blueF(), rgb.alphaF()};
    }
    static Color white() { return {1, 1, 1, 1}; }
    static Color black() { return {0, 0, 0, 1}; }
    static Color grey(double level, double alpha = 1) { return {level, level, level, alpha}; }

    QColor toQColor() const { return QColor::fromRgbF(float(red), float(green), float(blue), float(alpha)); }

    // "#RRGGBB" or "#RRGGBBAA"; anything else gives nothing.
    static std::optional<Color> fromHex(const QString& text);
    // "#RRGGBB" with each component multiplied by 255 and truncated.
    QString hexRgb() const;
};

// Hue, saturation and brightness in 0…1 (HSB as the colour pickers use it).
struct Hsb
{
    double hue = 0;
    double saturation = 0;
    double brightness = 0;
};

Hsb toHsb(const Color& c);
Color fromHsb(const Hsb& hsb, double alpha = 1);

} // namespace velmora
