#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace velmora {

// The vendored Lucide line icons (resources/icons, ":/icons/<name>.svg"), drawn in one colour.
// The SVGs stroke with currentColor; the tint takes its place before rendering, so an icon follows
// whatever colour the widget draws text in. Rendered pixmaps are kept per name, colour, size and
// pixel density, so repainting a toolbar renders nothing again. Main thread only, like QPixmap.
class LucideIcon
{
public:
    // An icon of `size` × `size` points that renders itself sharply at any pixel density; a null
    // icon when no icon has that name.
    static QIcon icon(const QString& name, const QColor& tint, int size = 18);
    // The icon rendered at `size` points for a device of the given pixel ratio (the pixmap carries
    // that ratio); a null pixmap when no icon has that name. An unknown name is logged once.
    static QPixmap pixmap(const QString& name, const QColor& tint, int size, qreal devicePixelRatio);
    static bool exists(const QString& name);

    // The icon drawn in place of one that is missing.
    static inline const QString fallbackName = QStringLiteral("circle-help");
};

} // namespace velmora
