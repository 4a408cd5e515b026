#include "capture/OcrImage.h"

#include <QPainter>

namespace velmora {

OcrPreparation defaultOcrPreparation()
{
    // Screen text is 11–20 px high, below the sizes the recogniser was trained on: doubling it cut
    // the character error rate on rendered screen text about fourfold (bench_ocr), 3× did no
    // better. Past about a screen's height the image is large enough, and 4× the pixels would cost
    // too much time.
    return {.invertDark = true, .upscaleBelowHeight = 1200, .upscaleFactor = 2};
}

QImage prepareForOcr(const QImage& image, const OcrPreparation& preparation)
{
    if (image.isNull()) {
        return {};
    }
    QImage grey;
    if (image.hasAlphaChannel()) {
        // Transparent pixels would otherwise turn black and read as a dark theme.
        QImage opaque(image.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
        painter.end();
        grey = opaque.convertToFormat(QImage::Format_Grayscale8);
    } else {
        grey = image.convertToFormat(QImage::Format_Grayscale8);
    }
    if (preparation.invertDark) {
        qint64 sum = 0;
        for (int y = 0; y < grey.height(); ++y) {
            const uchar* line = grey.constScanLine(y);
            for (int x = 0; x < grey.width(); ++x) {
                sum += line[x];
            }
        }
        if (sum < qint64(grey.width()) * grey.height() * 128) {
            grey.invertPixels();
        }
    }
    if (preparation.upscaleBelowHeight > 0 && grey.height() < preparation.upscaleBelowHeight &&
        preparation.upscaleFactor > 1) {
        grey = grey.scaled(grey.size() * preparation.upscaleFactor, Qt::IgnoreAspectRatio,
                           Qt::SmoothTransformation);
    }
    return grey;
}

} // namespace velmora
