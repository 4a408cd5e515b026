#include "sidebar/ImageThumbnail.h"

#include "sidebar/SidebarGlyph.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace velmora {

ImageThumbnail::ImageThumbnail(const QImage& image, QWidget* parent)
    : BackgroundThumbnail(parent), m_image(image)
{}

void ImageThumbnail::setImage(const QImage& image)
{
    if (m_image.cacheKey() == image.cacheKey()) {
        return;
    }
    m_image = image;
    m_scaled = {};
    m_scaledFor = {};
    update();
}

void ImageThumbnail::paintContent(QPainter& painter, const QRectF& rect)
{
    if (m_image.isNull() || m_image.width() < 1 || m_image.height() < 1) {
        QColor placeholder = palette().color(QPalette::WindowText);
        placeholder.setAlphaF(0.08f);
        painter.fillRect(rect, placeholder);
        placeholder.setAlphaF(0.4f);
        const double side = std::min(rect.height() * 0.5, 18.0);
        SidebarGlyph::paint(painter, SidebarGlyph::Kind::picture,
                            QRectF(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side),
                            placeholder);
        return;
    }
    const double dpr = devicePixelRatioF();
    const QSize target(int(std::ceil(rect.width() * dpr)), int(std::ceil(rect.height() * dpr)));
    if (m_scaledFor != target) {
        // Fill the thumbnail, keeping the picture's proportions, and keep the centre.
        const QImage filled =
            m_image.scaled(target, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
        m_scaled = filled.copy((filled.width() - target.width()) / 2, (filled.height() - target.height()) / 2,
                               target.width(), target.height());
        m_scaled.setDevicePixelRatio(dpr);
        m_scaledFor = target;
    }
    painter.drawImage(rect.topLeft(), m_scaled);
}

} // namespace velmora
