#include "toolbar/ToolbarStyle.h"

#include "icons/LucideIcon.h"

#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace velmora::toolbarstyle {

bool isDark(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor primary(const QPalette& palette, qreal alpha)
{
    QColor c = palette.color(QPalette::WindowText);
    c.setAlphaF(float(c.alphaF() * alpha));
    return c;
}

QColor accent(const QPalette& palette)
{
    return palette.color(QPalette::Highlight);
}

QColor onAccent(const QPalette& palette)
{
    return palette.color(QPalette::HighlightedText);
}

QColor restFill(const QPalette& palette)
{
    return primary(palette, isDark(palette) ? 0.07 : 0.05);
}

QColor hoverFill(const QPalette& palette)
{
    return primary(palette, 0.08 + (isDark(palette) ? 0.04 : 0.02));
}

QColor pressedFill(const QPalette& palette)
{
    return primary(palette, isDark(palette) ? 0.18 : 0.14);
}

QColor legible(const QColor& wanted, const QPalette& palette)
{
    const int backgroundLightness = palette.color(QPalette::Window).lightness();
    return std::abs(wanted.lightness() - backgroundLightness) < 60 ? primary(palette) : wanted;
}

QColor hairline(const QPalette& palette)
{
    return isDark(palette) ? QColor(255, 255, 255, qRound(0.08 * 255)) : QColor(0, 0, 0, qRound(0.12 * 255));
}

void drawIcon(QPainter& painter, const QRectF& rect, const QString& name, const QColor& tint, int size)
{
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QPixmap pm = LucideIcon::pixmap(name, tint, size, dpr);
    int drawn = size;
    if (pm.isNull()) {
        drawn = std::max(1, qRound(size * 0.75));
        pm = LucideIcon::pixmap(LucideIcon::fallbackName, tint, drawn, dpr);
    }
    // Whole-point placement keeps the one-unit strokes crisp.
    const QRectF target(std::round(rect.center().x() - drawn / 2.0),
                        std::round(rect.center().y() - drawn / 2.0), drawn, drawn);
    painter.drawPixmap(target, pm, QRectF(pm.rect()));
}

} // namespace velmora::toolbarstyle
