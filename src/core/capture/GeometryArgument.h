#pragma once

#include <QRect>
#include <QString>

#include <optional>

namespace velmora {

// A rectangle given on the command line as WxH+X+Y (the X11 geometry form) in native pixels of the
// desktop; an offset may be negative as +-X for screens left of or above the origin. Either the
// rectangle or one sentence saying what is wrong with the text.
struct GeometryArgument
{
    std::optional<QRect> rect;
    QString error;
};

// The largest side accepted: far beyond any desktop, small enough that W×H pixels stay addressable.
inline constexpr int maxGeometrySide = 32767;

GeometryArgument parseGeometryArgument(const QString& text);

} // namespace velmora
