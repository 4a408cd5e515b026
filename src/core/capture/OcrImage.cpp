#include "capture/OcrImage.h"

#include <QPainter>

#include <algorithm>
#include <vector>

namespace velmora {

OcrPreparation defaultOcrPreparation()
{
    // Screen text is 11–20 px high, below the sizes the recogniser was trained on: doubling small
    // text cut the character error rate about fourfold, 3× did no better. Text already about 20 px
    // high reads as well unscaled, and four times the pixels cost time in every stage before
    // recognition (both measured with bench_ocr_accuracy). Past about a screen's height the image
    // is large enough.
    return {.invertDark = true, .upscaleBelowHeight = 1200, .upscaleFactor = 2, .targetTextHeight = 20};
}

int estimateTextHeight(const QImage& grey)
{
    // Antialiased edges and faint separators differ little from the ground; strokes differ much.
    constexpr int inkContrast = 64;
    // Shorter runs are rules, underlines and specks, not text.
    constexpr int shortestLine = 3;
    std::vector<int> runs;
    int run = 0;
    for (int y = 0; y <= grey.height(); ++y) {
        bool ink = false;
        if (y < grey.height()) {
            const uchar* line = grey.constScanLine(y);
            const auto [darkest, lightest] = std::minmax_element(line, line + grey.width());
            ink = *lightest - *darkest >= inkContrast;
        }
        if (ink) {
            ++run;
            continue;
        }
        if (run >= shortestLine) {
            runs.push_back(run);
        }
        run = 0;
    }
    if (runs.empty()) {
        return 0;
    }
    const auto quartile = runs.begin() + qsizetype(runs.size()) * 3 / 4;
    std::nth_element(runs.begin(), quartile, runs.end());
    return *quartile;
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
        double factor = preparation.upscaleFactor;
        if (preparation.targetTextHeight > 0) {
            // Without a measurable line (a blurred or tiny image) the full factor is the safe guess.
            if (const int height = estimateTextHeight(grey); height > 0) {
                factor = std::clamp(double(preparation.targetTextHeight) / height, 1.0, factor);
            }
        }
        const QSize size(qRound(grey.width() * factor), qRound(grey.height() * factor));
        if (size != grey.size()) {
            grey = grey.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
    }
    return grey;
}

} // namespace velmora
