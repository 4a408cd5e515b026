#include "GeometryArgument.h"

#include <QRegularExpression>

#include <cstdlib>

namespace velmora {

GeometryArgument parseGeometryArgument(const QString& text)
{
    // Whole-string match and no \s anywhere: " 10x10+0+0" is more likely a quoting mistake than
    // something to guess at.
    static const QRegularExpression form(
        QStringLiteral(R"(\A([0-9]{1,9})x([0-9]{1,9})\+(-?[0-9]{1,9})\+(-?[0-9]{1,9})\z)"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) {
        return {std::nullopt,
                QStringLiteral("invalid geometry \"%1\": expected WxH+X+Y, e.g. 800x600+100+50").arg(text)};
    }
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    const int x = match.captured(3).toInt();
    const int y = match.captured(4).toInt();
    if (width == 0 || height == 0) {
        return {std::nullopt, QStringLiteral("invalid geometry \"%1\": the size must not be zero").arg(text)};
    }
    if (width > maxGeometrySide || height > maxGeometrySide) {
        return {std::nullopt, QStringLiteral("invalid geometry \"%1\": a side is larger than %2 pixels")
                                  .arg(text)
                                  .arg(maxGeometrySide)};
    }
    if (std::abs(x) > maxGeometrySide || std::abs(y) > maxGeometrySide) {
        return {std::nullopt, QStringLiteral("invalid geometry \"%1\": the offset lies beyond %2 pixels")
                                  .arg(text)
                                  .arg(maxGeometrySide)};
    }
    return {QRect(x, y, width, height), {}};
}

} // namespace velmora
