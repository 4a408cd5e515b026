#include "editor/EditorZoom.h"

#include <algorithm>
#include <cmath>

namespace velmora {

void EditorZoom::zoomIn()
{
    m_percent = std::min(m_percent + stepPercent, maxPercent);
}

void EditorZoom::zoomOut()
{
    m_percent = std::max(m_percent - stepPercent, minPercent);
}

void EditorZoom::reset()
{
    m_percent = minPercent;
}

bool EditorZoom::scroll(double deltaX, double deltaY, bool precise)
{
    double delta = std::abs(deltaX) > std::abs(deltaY) ? deltaX : deltaY;
    if (precise) {
        delta /= 10;
    }
    const double before = m_percent;
    m_accumulator += delta;
    while (m_accumulator >= 1) {
        zoomIn();
        m_accumulator -= 1;
    }
    while (m_accumulator <= -1) {
        zoomOut();
        m_accumulator += 1;
    }
    return m_percent != before;
}

CanvasLayout canvasLayout(const QSizeF& area, const QSizeF& display, bool tightFit, double zoomPercent,
                          const QPointF& offset)
{
    const double availableWidth = std::max(1.0, area.width() - (tightFit ? 56 : 72));
    const double availableHeight = std::max(1.0, area.height() - 2 * (tightFit ? 28 : 64));
    const double w = std::max(display.width(), 1.0);
    const double h = std::max(display.height(), 1.0);
    const double fit = std::min({availableWidth / w, availableHeight / h, 1.0});
    CanvasLayout layout;
    layout.scale = fit * zoomPercent / 100;
    const QSizeF scaled(w * layout.scale, h * layout.scale);
    layout.maxOffset = QSizeF(std::max(0.0, (scaled.width() - availableWidth) / 2),
                              std::max(0.0, (scaled.height() - availableHeight) / 2));
    const double dx = std::clamp(offset.x(), -layout.maxOffset.width(), layout.maxOffset.width());
    const double dy = std::clamp(offset.y(), -layout.maxOffset.height(), layout.maxOffset.height());
    layout.pictureRect =
        QRectF(QPointF((area.width() - scaled.width()) / 2 + dx, (area.height() - scaled.height()) / 2 + dy),
               scaled);
    return layout;
}

} // namespace velmora
