#pragma once

#include "sidebar/BackgroundThumbnail.h"

#include <QImage>

namespace velmora {

// A wallpaper: the desktop picture behind the capture or one of the user's own. The picture fills
// the thumbnail and is cropped to it; a missing or undecodable picture shows a plain placeholder.
class ImageThumbnail : public BackgroundThumbnail
{
    Q_OBJECT

public:
    explicit ImageThumbnail(const QImage& image, QWidget* parent = nullptr);

    const QImage& image() const { return m_image; }
    void setImage(const QImage& image);

protected:
    void paintContent(QPainter& painter, const QRectF& rect) override;

private:
    QImage m_image;
    // Wallpapers are screen-sized: scale once per size instead of on every repaint.
    QImage m_scaled;
    QSize m_scaledFor;
};

} // namespace velmora
