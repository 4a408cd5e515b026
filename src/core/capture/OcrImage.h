#pragma once

#include <QImage>

namespace velmora {

// How a screen image is prepared for the recogniser, which reads dark text on a light ground at
// print sizes best.
struct OcrPreparation
{
    bool invertDark = true;     // invert when the mean luminance is dark (dark themes)
    int upscaleBelowHeight = 0; // upscale images shorter than this many pixels (0: never)
    int upscaleFactor = 2;
};

// The preparation the service uses: what measured best on rendered screen text.
OcrPreparation defaultOcrPreparation();

// An 8-bit greyscale copy of `image` (alpha composed over white), inverted and upscaled as asked.
QImage prepareForOcr(const QImage& image, const OcrPreparation& preparation = defaultOcrPreparation());

} // namespace velmora
