#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

namespace velmora {

// The few small symbols the sidebar's thumbnails carry. Every thumbnail draws them through
// paint(), so the drawing can move to the shared icon set without touching the thumbnails.
class SidebarGlyph
{
public:
    enum class Kind { removeBadge, plus, sparkles };

    // The icon-set name of each symbol: "circle-x", "plus", "sparkles".
    static QString iconName(Kind kind);

    // Draws the symbol centred in `rect` in the colour `tint`. The remove badge is a filled disc in
    // `tint` with a light cross, so it stays readable over any swatch.
    static void paint(QPainter& painter, Kind kind, const QRectF& rect, const QColor& tint);
};

} // namespace velmora
