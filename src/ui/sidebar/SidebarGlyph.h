#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

namespace velmora {

// The few small symbols the sidebar's thumbnails carry, from the shared line icon set.
class SidebarGlyph
{
public:
    enum class Kind { removeBadge, plus, sparkles, picture };

    // The icon-set name of each symbol: "circle-x", "plus", "sparkles", "image".
    static QString iconName(Kind kind);

    // Draws the symbol centred in `rect` in the colour `tint`. The remove badge is a filled disc in
    // `tint` with a white cross, so it stays readable over any swatch.
    static void paint(QPainter& painter, Kind kind, const QRectF& rect, const QColor& tint);
};

} // namespace velmora
