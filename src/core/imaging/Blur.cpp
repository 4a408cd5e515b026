#include "imaging/Blur.h"

#include "imaging/LargeImage.h"

#include "imaging/ParallelFor.h"
#include <QThreadPool>

#include <sys/mman.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace velmora {

namespace {

constexpr double SigmaPerRadius = 1.35;
// The blur left to do at reduced resolution, in reduced pixels. Below about this, interpolating
// back up starts to differ visibly from a full-resolution blur.
constexpr double ReducedSigma = 3.0;
// Below this many pixels the thread hand-off costs more than it saves.
constexpr qint64 ParallelPixels = 512 * 512;

// Channel positions of a premultiplied ARGB32 pixel in memory; every plane below uses them too,
// so rows convert to and from bytes without shuffling.
constexpr bool LittleEndian = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
constexpr int Red = LittleEndian ? 2 : 1;
constexpr int Green = LittleEndian ? 1 : 2;
constexpr int Blue = LittleEndian ? 0 : 3;
constexpr int Alpha = LittleEndian ? 3 : 0;

// The row loops below carry the whole cost of a blur. They are plain loops that the compiler
// vectorises, with a 256-bit variant picked at load time where the processor has one.
// Clang has no per-function optimize attribute; its vectoriser needs no nudge.
#if defined(__clang__) && defined(__x86_64__)
#define VELMORA_ROW_LOOP __attribute__((target_clones("avx2", "fma", "default")))
#elif defined(__GNUC__) && defined(__x86_64__)
#define VELMORA_ROW_LOOP                                                                                     \
    __attribute__((optimize("-fvect-cost-model=dynamic"), target_clones("avx2", "fma", "default")))
#else
#define VELMORA_ROW_LOOP
#endif

VELMORA_ROW_LOOP void scaleRow(float* __restrict out, const float* __restrict in, float w, std::ptrdiff_t n)
{
    for (std::ptrdiff_t i = 0; i < n; ++i)
        out[i] = w * in[i];
}

VELMORA_ROW_LOOP void accumulateRow(float* __restrict out, const float* __restrict a,
                                    const float* __restrict b, float w, std::ptrdiff_t n)
{
    for (std::ptrdiff_t i = 0; i < n; ++i)
        out[i] += w * (a[i] + b[i]);
}

VELMORA_ROW_LOOP void blendRow(float* __restrict out, const float* __restrict a, const float* __restrict b,
                               float t, std::ptrdiff_t n)
{
    for (std::ptrdiff_t i = 0; i < n; ++i)
        out[i] = a[i] + t * (b[i] - a[i]);
}

VELMORA_ROW_LOOP void addBytes(quint32* __restrict out, const uchar* __restrict in, std::ptrdiff_t n)
{
    for (std::ptrdiff_t i = 0; i < n; ++i)
        out[i] += in[i];
}

VELMORA_ROW_LOOP void bytesToFloats(float* __restrict out, const uchar* __restrict in, std::ptrdiff_t n)
{
    for (std::ptrdiff_t i = 0; i < n; ++i)
        out[i] = in[i];
}

// Runs body(first, last) over [0, count) in bands, on the global pool when the work is large.
void forBands(int count, qint64 pixels, const std::function<void(int, int)>& body)
{
    const int threads = std::max(1, computePool().maxThreadCount());
    if (pixels < ParallelPixels || threads == 1 || count < 2) {
        body(0, count);
        return;
    }
    const int bandCount = std::min(count, threads * 2);
    std::vector<std::pair<int, int>> bands;
    for (int i = 0; i < bandCount; ++i)
        bands.emplace_back(int(qint64(count) * i / bandCount), int(qint64(count) * (i + 1) / bandCount));
    parallelFor(bandCount, [&](int i) { body(bands[std::size_t(i)].first, bands[std::size_t(i)].second); });
}

std::vector<float> gaussianKernel(double sigma)
{
    const int radius = std::max(1, int(std::ceil(3.0 * sigma)));
    std::vector<float> weights(static_cast<std::size_t>(radius) + 1);
    double total = 0;
    for (int k = 0; k <= radius; ++k) {
        const double w = std::exp(-0.5 * k * k / (sigma * sigma));
        weights[std::size_t(k)] = float(w);
        total += k == 0 ? w : 2 * w;
    }
    for (float& w : weights)
        w = float(w / total);
    return weights;
}

// A plane of premultiplied floats (0…255), four per pixel in the memory order above. Not
// initialised: every row is written before it is read.
struct Plane
{
    int width = 0;
    int height = 0;
    std::unique_ptr<float[], LargeBufferDeleter> data;

    Plane(int w, int h)
        : width(w), height(h),
          data(static_cast<float*>(allocateLarge(std::size_t(w) * std::size_t(h) * 4 * sizeof(float))))
    {}
    bool isNull() const { return !data; }
    float* row(int y) { return data.get() + std::size_t(y) * std::size_t(width) * 4; }
    const float* row(int y) const { return data.get() + std::size_t(y) * std::size_t(width) * 4; }
};

using RowSource = std::function<void(int y, float* out)>;
using RowSink = std::function<void(int y, float* row)>;

// Separable Gaussian with clamped edges. Rows come from `source`, are blurred horizontally into a
// ring of 2r + 1 rows and combined vertically, so even a full-resolution blur needs only a few rows
// of scratch memory per band. The sink may modify the row it is given.
void gaussianBlur(int width, int height, double sigma, const RowSource& source, const RowSink& sink)
{
    const std::vector<float> kernel = gaussianKernel(sigma);
    const int radius = int(kernel.size()) - 1;
    const auto rowFloats = std::ptrdiff_t(width) * 4;

    forBands(height, qint64(width) * height, [&](int first, int last) {
        const auto ringSize = std::ptrdiff_t(2 * radius + 1);
        std::vector<float> ring(std::size_t(ringSize * rowFloats));
        std::vector<float> padded(std::size_t((width + 2 * radius) * 4));
        std::vector<float> output(static_cast<std::size_t>(rowFloats));

        const auto slot = [&](int virtualRow) {
            const std::ptrdiff_t index = (virtualRow - (first - radius)) % ringSize;
            return ring.data() + index * rowFloats;
        };
        const auto blurRow = [&](int virtualRow) {
            float* middle = padded.data() + std::ptrdiff_t(radius) * 4;
            source(std::clamp(virtualRow, 0, height - 1), middle);
            for (std::ptrdiff_t k = 1; k <= radius; ++k) {
                std::copy_n(middle, 4, middle - 4 * k);
                std::copy_n(middle + rowFloats - 4, 4, middle + rowFloats - 4 + 4 * k);
            }
            float* out = slot(virtualRow);
            scaleRow(out, middle, kernel[0], rowFloats);
            for (std::ptrdiff_t k = 1; k <= radius; ++k)
                accumulateRow(out, middle - 4 * k, middle + 4 * k, kernel[std::size_t(k)], rowFloats);
        };

        for (int r = first - radius; r < first + radius; ++r)
            blurRow(r);
        for (int y = first; y < last; ++y) {
            blurRow(y + radius);
            scaleRow(output.data(), slot(y), kernel[0], rowFloats);
            for (int k = 1; k <= radius; ++k)
                accumulateRow(output.data(), slot(y - k), slot(y + k), kernel[std::size_t(k)], rowFloats);
            sink(y, output.data());
        }
    });
}

void toFloats(const QImage& image, int y, float* out)
{
    bytesToFloats(out, image.constScanLine(y), std::ptrdiff_t(image.width()) * 4);
}

// Area average over factor × factor blocks of the image extended by its edge pixels. The blocks
// are aligned with pixel (0, 0), and the plane has one extra block on every side that lies wholly
// outside the image: that block holds exactly the extended edge, so clamping the plane at its own
// border (as the blur does) continues the edge the way clamping the full image would. Without it
// the outermost block would be extended instead, and a one-pixel line along the border would fade.
Plane downscale(const QImage& source, int factor)
{
    Plane plane((source.width() + factor - 1) / factor + 2, (source.height() + factor - 1) / factor + 2);
    if (plane.isNull())
        return plane;
    const float scale = 1.0f / float(factor * factor);
    const auto rowBytes = std::ptrdiff_t(source.width()) * 4;
    const auto sourceIndex = [factor](int block, int step, int extent) {
        return std::clamp((block - 1) * factor + step, 0, extent - 1);
    };

    forBands(plane.height, qint64(source.width()) * source.height(), [&](int first, int last) {
        std::vector<quint32> columns(static_cast<std::size_t>(rowBytes));
        for (int j = first; j < last; ++j) {
            std::fill(columns.begin(), columns.end(), 0u);
            for (int dy = 0; dy < factor; ++dy)
                addBytes(columns.data(), source.constScanLine(sourceIndex(j, dy, source.height())), rowBytes);
            float* out = plane.row(j);
            for (int i = 0; i < plane.width; ++i) {
                quint32 sum[4] = {};
                for (int dx = 0; dx < factor; ++dx) {
                    const auto x = std::size_t(sourceIndex(i, dx, source.width()));
                    for (std::size_t c = 0; c < 4; ++c)
                        sum[c] += columns[x * 4 + c];
                }
                for (int c = 0; c < 4; ++c)
                    out[i * 4 + c] = float(sum[c]) * scale;
            }
        }
    });
    return plane;
}

// Saturation and contrast are affine in straight colour, hence also in premultiplied colour
// (scale both sides by alpha): X' = lum + s·(X − lum), X'' = (X' − A/2)·c + A/2. Being affine, they
// commute with the blur and the interpolation, so they can run on the small plane; only the clamp
// to 0…A has to wait for the final pixels.
void applyColorControls(float* row, int width, const ColorControls& controls)
{
    const auto s = float(controls.saturation);
    const auto c = float(controls.contrast);
    for (int x = 0; x < width; ++x) {
        float* p = row + std::ptrdiff_t(x) * 4;
        const float lum = 0.2125f * p[Red] + 0.7154f * p[Green] + 0.0721f * p[Blue];
        const float half = 0.5f * p[Alpha];
        for (const int channel : {Red, Green, Blue})
            p[channel] = (lum + s * (p[channel] - lum) - half) * c + half;
    }
}

// Rounds premultiplied floats to bytes, each colour clamped to 0…alpha (straight colour to 0…1).
void packRow(const float* row, int width, uchar* out)
{
    int x = 0;
#ifdef __SSE2__
    // Four pixels per step: this loop touches every output pixel, so it sets the pace at 5K.
    const __m128 zero = _mm_setzero_ps();
    const __m128 full = _mm_set1_ps(255.0f);
    const __m128 half = _mm_set1_ps(0.5f);
    constexpr int AlphaLane = _MM_SHUFFLE(Alpha, Alpha, Alpha, Alpha);
    const auto pixel = [&](const float* p) {
        const __m128 v = _mm_loadu_ps(p);
        const __m128 alpha = _mm_min_ps(_mm_max_ps(_mm_shuffle_ps(v, v, AlphaLane), zero), full);
        return _mm_cvttps_epi32(_mm_add_ps(_mm_min_ps(_mm_max_ps(v, zero), alpha), half));
    };
    for (; x + 4 <= width; x += 4) {
        const float* p = row + std::ptrdiff_t(x) * 4;
        const __m128i low = _mm_packs_epi32(pixel(p), pixel(p + 4));
        const __m128i high = _mm_packs_epi32(pixel(p + 8), pixel(p + 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + std::ptrdiff_t(x) * 4),
                         _mm_packus_epi16(low, high));
    }
#endif
    for (; x < width; ++x) {
        const float* p = row + std::ptrdiff_t(x) * 4;
        uchar* q = out + std::ptrdiff_t(x) * 4;
        const float alpha = std::clamp(p[Alpha], 0.0f, 255.0f);
        for (int channel = 0; channel < 4; ++channel)
            q[channel] = uchar(std::clamp(p[channel], 0.0f, alpha) + 0.5f);
    }
}

// Bilinear interpolation of the reduced plane (with its outer blocks) back to full size, sample
// centres aligned. Rows of
// the plane are widened once each and then mixed vertically, so the per-pixel work is a plain
// row-wide blend.
void upscaleInto(const Plane& plane, int factor, QImage& result)
{
    const int width = result.width();
    std::vector<std::ptrdiff_t> leftOffset(static_cast<std::size_t>(width));
    std::vector<std::ptrdiff_t> rightOffset(static_cast<std::size_t>(width));
    std::vector<float> weight(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) {
        const double u = (x + 0.5) / factor - 0.5 + 1; // + 1: the plane's outer block
        const int i = int(std::floor(u));
        leftOffset[std::size_t(x)] = std::ptrdiff_t(std::clamp(i, 0, plane.width - 1)) * 4;
        rightOffset[std::size_t(x)] = std::ptrdiff_t(std::clamp(i + 1, 0, plane.width - 1)) * 4;
        weight[std::size_t(x)] = float(u - i);
    }
    const auto rowFloats = std::ptrdiff_t(width) * 4;
    const auto widen = [&](int j, float* out) {
        const float* in = plane.row(std::clamp(j, 0, plane.height - 1));
        for (int x = 0; x < width; ++x) {
            const float* a = in + leftOffset[std::size_t(x)];
            const float* b = in + rightOffset[std::size_t(x)];
            const float w = weight[std::size_t(x)];
            for (int c = 0; c < 4; ++c)
                out[x * 4 + c] = a[c] + w * (b[c] - a[c]);
        }
    };

    forBands(result.height(), qint64(width) * result.height(), [&](int first, int last) {
        std::vector<float> upper(static_cast<std::size_t>(rowFloats));
        std::vector<float> lower(static_cast<std::size_t>(rowFloats));
        std::vector<float> mixed(static_cast<std::size_t>(rowFloats));
        int widened = INT_MIN; // the plane row held in `upper`; `lower` holds the next one
        for (int y = first; y < last; ++y) {
            const double v = (y + 0.5) / factor - 0.5 + 1;
            const int j = int(std::floor(v));
            const auto t = float(v - j);
            if (j == widened + 1) {
                std::swap(upper, lower);
                widen(j + 1, lower.data());
            } else if (j != widened) {
                widen(j, upper.data());
                widen(j + 1, lower.data());
            }
            widened = j;
            blendRow(mixed.data(), upper.data(), lower.data(), t, rowFloats);
            packRow(mixed.data(), width, result.scanLine(y));
        }
    });
}

} // namespace

void ColorControls::apply(double& red, double& green, double& blue) const
{
    const double luminance = 0.2125 * red + 0.7154 * green + 0.0721 * blue;
    const auto adjust = [&](double c) {
        const double saturated = luminance + (c - luminance) * saturation;
        return std::clamp((saturated - 0.5) * contrast + 0.5, 0.0, 1.0);
    };
    red = adjust(red);
    green = adjust(green);
    blue = adjust(blue);
}

namespace {

QImage blurredUnchecked(const QImage& image, double radius)
{
    const QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage result = largeImage(source.size());
    if (source.isNull() || result.isNull())
        return image;
    result.setDevicePixelRatio(image.devicePixelRatio());
    const ColorControls controls;
    const double sigma = radius * SigmaPerRadius;
    const int factor = std::max(1, int(std::floor(sigma / ReducedSigma)));

    if (factor == 1) {
        gaussianBlur(
            source.width(), source.height(), sigma, [&](int y, float* out) { toFloats(source, y, out); },
            [&](int y, float* row) {
                applyColorControls(row, result.width(), controls);
                packRow(row, result.width(), result.scanLine(y));
            });
        return result;
    }

    // Averaging f × f blocks blurs by a box of variance (f² − 1) / 12 and interpolating back up by a
    // triangle of variance f² / 6; the Gaussian in between supplies only what is left.
    const Plane reduced = downscale(source, factor);
    // Out of memory anywhere: the picture unblurred is still a background.
    const double f2 = double(factor) * factor;
    const double reducedSigma = std::sqrt(std::max(sigma * sigma - (3 * f2 - 1) / 12, 0.25)) / factor;
    Plane smooth(reduced.width, reduced.height);
    if (reduced.isNull() || smooth.isNull())
        return image;
    gaussianBlur(
        reduced.width, reduced.height, reducedSigma,
        [&](int y, float* out) { std::copy_n(reduced.row(y), std::size_t(reduced.width) * 4, out); },
        [&](int y, float* row) {
            applyColorControls(row, reduced.width, controls);
            std::copy_n(row, std::size_t(reduced.width) * 4, smooth.row(y));
        });
    upscaleInto(smooth, factor, result);
    return result;
}

} // namespace

QImage blurred(const QImage& image, double radius)
{
    if (image.isNull())
        return {};
    if (!(radius > 0) || !std::isfinite(radius))
        return image;
    // Scratch rows are allocated inside the pool's threads; if memory runs out there, the picture
    // unblurred is still a background.
    try {
        return blurredUnchecked(image, radius);
    } catch (...) {
        return image;
    }
}

} // namespace velmora
