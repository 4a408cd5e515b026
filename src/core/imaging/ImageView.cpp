#include "imaging/ImageView.h"

namespace velmora {

QImage unscaledView(const QImage& image)
{
    if (image.isNull() || image.devicePixelRatio() == 1.0) {
        return image;
    }
    if (image.colorCount() > 0) {
        // Indexed images are small and rare here; their colour table cannot be set on a view.
        QImage copy = image;
        copy.setDevicePixelRatio(1.0);
        return copy;
    }
    return QImage(image.constBits(), image.width(), image.height(), image.bytesPerLine(), image.format());
}

} // namespace velmora
