#include "editor/AutoPalette.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <numeric>
#include <vector>

namespace velmora {

namespace {

constexpr int kSampleSide = 64;
constexpr int kBucketCount = 16 * 16 * 16;

// Below this saturation a colour has no meaningful hue and is treated as a grey.
constexpr double kGreySaturation = 0.05;

struct Bucket
{
    quint64 red = 0;
    quint64 green = 0;
    quint64 blue = 0;
    quint64 count = 0;
};

int unpremultiplied(int channel, int alpha)
{
    return std::min(channel * 255 / alpha, 255);
}

double hueDistance(double a, double b)
{
    const double d = std::abs(a - b);
    return std::min(d, 1.0 - d);
}

bool isVivid(const Color& color)
{
    const Hsb hsb = toHsb(color);
    return hsb.saturation > 0.15 && hsb.brightness > 0.15 && hsb.brightness < 0.98;
}

} // namespace

QVector<Color> dominantColors(const QImage& image, bool edgesOnly, int count)
{
    if (image.isNull() || count <= 0) {
        return {};
    }
    // Nearest-neighbour sampling keeps every sampled pixel a real colour of the picture; smoothing
    // would invent blends at every edge and split the buckets.
    const QImage sample =
        image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
            .scaled(kSampleSide, kSampleSide, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (sample.width() != kSampleSide || sample.height() != kSampleSide) {
        return {};
    }

    std::array<Bucket, kBucketCount> buckets{};
    for (int y = 0; y < kSampleSide; ++y) {
        const bool edgeRow = y == 0 || y == kSampleSide - 1;
        const auto* line = reinterpret_cast<const QRgb*>(sample.constScanLine(y));
        for (int x = 0; x < kSampleSide; ++x) {
            if (edgesOnly && !edgeRow && x != 0 && x != kSampleSide - 1) {
                continue;
            }
            const QRgb pixel = line[x];
            const int alpha = qAlpha(pixel);
            if (alpha == 0) {
                continue;
            }
            const int r = unpremultiplied(qRed(pixel), alpha);
            const int g = unpremultiplied(qGreen(pixel), alpha);
            const int b = unpremultiplied(qBlue(pixel), alpha);
            Bucket& bucket = buckets[((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4)];
            bucket.red += quint64(r);
            bucket.green += quint64(g);
            bucket.blue += quint64(b);
            ++bucket.count;
        }
    }

    std::vector<int> order(kBucketCount);
    std::iota(order.begin(), order.end(), 0);
    // Buckets with equal counts keep ascending bucket index (darker red first), so the result is
    // the same on every run and every machine.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return buckets[std::size_t(a)].count > buckets[std::size_t(b)].count;
    });

    QVector<Color> result;
    for (int index : order) {
        const Bucket& bucket = buckets[std::size_t(index)];
        if (bucket.count == 0 || result.size() >= count) {
            break;
        }
        result.append(Color::fromRgb8(int(bucket.red / bucket.count), int(bucket.green / bucket.count),
                                      int(bucket.blue / bucket.count)));
    }
    return result;
}

Color edgeColor(const QImage& image)
{
    const QVector<Color> colors = dominantColors(image, true, 1);
    return colors.isEmpty() ? Color::white() : colors.first();
}

QVector<Color> makeAutoPalette(const QImage& image)
{
    const QVector<Color> candidates = dominantColors(image, false, 16);
    QVector<Color> vivid;
    std::copy_if(candidates.begin(), candidates.end(), std::back_inserter(vivid), isVivid);

    const Color base = !vivid.isEmpty()        ? vivid.first()
                       : !candidates.isEmpty() ? candidates.first()
                                               : Color::white();
    const Color first = pastelBackgroundColor(base);

    const double baseHue = toHsb(base).hue;
    for (qsizetype i = 1; i < vivid.size(); ++i) {
        if (hueDistance(toHsb(vivid[i]).hue, baseHue) > 0.06) {
            return {first, pastelBackgroundColor(vivid[i])};
        }
    }
    return {first, hueShifted(first, 0.08)};
}

Color pastelBackgroundColor(const Color& color)
{
    const Hsb hsb = toHsb(color);
    if (hsb.saturation <= kGreySaturation) {
        return Color::grey(0.88);
    }
    const double saturation = std::min(std::max(hsb.saturation * 0.6, 0.25), 0.45);
    const double brightness = std::max(std::min(hsb.brightness * 1.4, 0.96), 0.88);
    return fromHsb({hsb.hue, saturation, brightness}, 1.0);
}

Color hueShifted(const Color& color, double by)
{
    const Hsb hsb = toHsb(color);
    if (hsb.saturation <= kGreySaturation) {
        return Color::grey(hsb.brightness > 0.5 ? hsb.brightness - 0.18 : hsb.brightness + 0.18);
    }
    double hue = hsb.hue + by;
    if (hue > 1.0) {
        hue -= 1.0;
    }
    const double brightness = std::max(std::min(hsb.brightness * 0.92, 1.0), 0.0);
    return fromHsb({hue, hsb.saturation, brightness}, 1.0);
}

} // namespace velmora
