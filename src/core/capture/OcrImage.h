#pragma once

#include <QImage>

namespace velmora {

// How a screen image is prepared for the recogniser, which reads dark text on a light ground at
// print sizes best.
struct OcrPreparation
{
    bool invertDark = true;     // invert when the mean luminance is dark (dark themes)
    int upscaleBelowHeight = 0; // upscale images shorter than this many pixels (0: never)
    int upscaleFactor = 2;      // the factor, or with a target text height the largest one
    // When set, the factor brings the estimated text height up to this many pixels (never below 1,
    // never above upscaleFactor): large text is left as it is.
    int targetTextHeight = 0;
};

// The preparation the service uses: what measured best on rendered screen text.
OcrPreparation defaultOcrPreparation();

// The height in pixels of a typical line of text in a greyscale image: the upper quartile of the
// heights of runs of rows holding contrast (ink on the ground), so that lines without ascenders or
// descenders do not pull it down. 0 when no row holds any.
int estimateTextHeight(const QImage& grey);

// An 8-bit greyscale copy of `image` (alpha composed over white), inverted and upscaled as asked.
QImage prepareForOcr(const QImage& image, const OcrPreparation& preparation = defaultOcrPreparation());

} // namespace velmora
