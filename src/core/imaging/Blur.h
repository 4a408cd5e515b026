#pragma once

#include <QImage>

namespace velmora {

// Softens background pictures behind a window capture.
//
// The picture is blurred with a Gaussian whose standard deviation is radius × 1.35 pixels, with its
// edge pixels extended outward (so the borders neither darken nor turn transparent), then given a
// little more saturation (1.08) and contrast (1.03).
//
// A radius of zero or less (or not a number) returns the image itself, untouched: the colour lift
// belongs to the blurred look, and an unblurred background must show the picture as it is.
// A null image gives a null image. The result is Format_ARGB32_Premultiplied with the source's
// pixel density.
//
// Large blurs are computed at a reduced resolution (the picture is area-averaged down so that the
// remaining blur is about 3 pixels wide, blurred there with a separable Gaussian, and interpolated
// back up); the stages' own softening is subtracted from the Gaussian, so the result matches a
// full-resolution blur to within a few levels while a 5K picture takes tens of milliseconds.
QImage blurred(const QImage& image, double radius);

// The colour controls applied after the blur, on straight (unpremultiplied) components in 0…1:
// saturation mixes each component with the luminance (weights 0.2125, 0.7154, 0.0721), contrast
// scales around 0.5, and the result is clamped to 0…1.
struct ColorControls
{
    double saturation = 1.08;
    double contrast = 1.03;

    void apply(double& red, double& green, double& blue) const;
};

} // namespace velmora
