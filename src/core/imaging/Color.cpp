#include "imaging/Color.h"

#include <algorithm>
#include <cmath>

namespace velmora {

std::optional<Color> Color::fromHex(const QString& text)
{
    if (!text.startsWith(QLatin1Char('#')) || (text.size() != 7 && text.size() != 9)) {
        return std::nullopt;
    }
    // Hex digits only: a number parser would also take signs and spaces ("#-1-1-1", "# 1 2 3").
    const auto digit = [](QChar c) -> int {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9') {
            return u - u'0';
        }
        if (u >= u'a' && u <= u'f') {
            return u - u'a' + 10;
        }
        if (u >= u'A' && u <= u'F') {
            return u - u'A' + 10;
        }
        return -1;
    };
    int channels[4] = {0, 0, 0, 255};
    const int count = (int(text.size()) - 1) / 2;
    for (int i = 0; i < count; ++i) {
        const int high = digit(text[1 + 2 * i]);
        const int low = digit(text[2 + 2 * i]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        channels[i] = high * 16 + low;
    }
    return fromRgb8(channels[0], channels[1], channels[2], channels[3]);
}

QString Color::hexRgb() const
{
    auto channel = [](double v) { return std::clamp(int(v * 255.0), 0, 255); };
    return QStringLiteral("#%1%2%3")
        .arg(channel(red), 2, 16, QLatin1Char('0'))
        .arg(channel(green), 2, 16, QLatin1Char('0'))
        .arg(channel(blue), 2, 16, QLatin1Char('0'))
        .toUpper();
}

Hsb toHsb(const Color& c)
{
    const double maxV = std::max({c.red, c.green, c.blue});
    const double minV = std::min({c.red, c.green, c.blue});
    const double delta = maxV - minV;
    Hsb out;
    out.brightness = maxV;
    out.saturation = maxV > 0 ? delta / maxV : 0;
    if (delta <= 0) {
        out.hue = 0;
        return out;
    }
    double h = 0;
    if (maxV == c.red) {
        h = (c.green - c.blue) / delta;
        if (h < 0) {
            h += 6;
        }
    } else if (maxV == c.green) {
        h = (c.blue - c.red) / delta + 2;
    } else {
        h = (c.red - c.green) / delta + 4;
    }
    out.hue = h / 6.0;
    return out;
}

Color fromHsb(const Hsb& hsb, double alpha)
{
    const double h = (hsb.hue - std::floor(hsb.hue)) * 6.0;
    const double s = std::clamp(hsb.saturation, 0.0, 1.0);
    const double v = std::clamp(hsb.brightness, 0.0, 1.0);
    const int sector = int(h) % 6;
    const double f = h - std::floor(h);
    const double p = v * (1 - s);
    const double q = v * (1 - s * f);
    const double t = v * (1 - s * (1 - f));
    switch (sector) {
    case 0:
        return {v, t, p, alpha};
    case 1:
        return {q, v, p, alpha};
    case 2:
        return {p, v, t, alpha};
    case 3:
        return {p, q, v, alpha};
    case 4:
        return {t, p, v, alpha};
    default:
        return {v, p, q, alpha};
    }
}

} // namespace velmora
