#include "sidebar/GradientThumbnail.h"

#include "editor/GradientRenderer.h"

#include <QPainter>

namespace velmora {

GradientThumbnail::GradientThumbnail(BackgroundGradientPreset preset, QWidget* parent)
    : BackgroundThumbnail(parent), m_preset(preset)
{
    setToolTip(displayName(preset));
}

void GradientThumbnail::paintContent(QPainter& painter, const QRectF& rect)
{
    // The renderer caches presets by pixel size, so repainting costs a lookup.
    painter.drawImage(rect, GradientRenderer::render(m_preset, rect.size(), devicePixelRatioF()));
}

} // namespace velmora
