#include "CenterColor.h"

#include <QColorSpace>
#include <QColorTransform>

#include <algorithm>
#include <cmath>

namespace velmora {

std::optional<QString> centerHexColor(const QImage& image)
{
    if (image.isNull() || image.width() < 1 || image.height() < 1) {
        return std::nullopt;
    }
    const int x = std::min(image.width() - 1, std::max(0, image.width() / 2));
    const int y = std::min(image.height() - 1, std::max(0, image.height() / 2));
    // pixelColor() undoes premultiplication, so a half-transparent pixel reports its own colour.
    QColor colour = image.pixelColor(x, y);
    if (!colour.isValid()) {
        return std::nullopt;
    }
    const QColorSpace space = image.colorSpace();
    if (space.isValid() && space != QColorSpace(QColorSpace::SRgb)) {
        colour = space.transformationToColorSpace(QColorSpace::SRgb).map(colour);
    }
    const auto channel = [](float component) {
        return std::clamp(int(std::lround(double(component) * 255.0)), 0, 255);
    };
    const QColor rgb = colour.toRgb();
    return QStringLiteral("#%1%2%3")
        .arg(channel(rgb.redF()), 2, 16, QLatin1Char('0'))
        .arg(channel(rgb.greenF()), 2, 16, QLatin1Char('0'))
        .arg(channel(rgb.blueF()), 2, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace velmora
