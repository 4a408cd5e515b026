#include "sidebar/AutoThumbnailButton.h"

#include "editor/GradientRenderer.h"
#include "sidebar/SidebarGlyph.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>

namespace velmora {

namespace {

double luminance(const Color& c)
{
    return 0.2126 * c.red + 0.7152 * c.green + 0.0722 * c.blue;
}

} // namespace

AutoThumbnailButton::AutoThumbnailButton(Mode mode, QWidget* parent)
    : BackgroundThumbnail(parent), m_mode(mode)
{
    setToolTip(tr("Auto — adapts to the image colors"));
}

void AutoThumbnailButton::setColors(const QVector<Color>& colors)
{
    if (m_colors == colors) {
        return;
    }
    m_colors = colors;
    update();
}

void AutoThumbnailButton::paintContent(QPainter& painter, const QRectF& rect)
{
    const Color first = m_colors.value(0, Color::white());
    const Color second = m_colors.value(1, first);
    if (m_mode == Mode::gradient) {
        painter.drawImage(rect,
                          GradientRenderer::render({first, second}, BackgroundGradientStyle::linear(135),
                                                   rect.size(), devicePixelRatioF()));
    } else {
        painter.fillRect(rect, first.toQColor());
        painter.setPen(Qt::NoPen);
        painter.setBrush(second.toQColor());
        painter.drawPolygon(QPolygonF({rect.topRight(), rect.bottomRight(), rect.bottomLeft()}));
    }
    // The automatic colours are pastel as a rule, but a dark picture can give darker ones.
    const bool light = (luminance(first) + luminance(second)) / 2 > 0.55;
    const QColor tint = light ? QColor(40, 40, 48, 190) : QColor(255, 255, 255, 230);
    const double side = std::min(rect.width(), rect.height()) * 0.56;
    const QRectF glyph(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    SidebarGlyph::paint(painter, SidebarGlyph::Kind::sparkles, glyph, tint);
}

} // namespace velmora
