#include "imaging/PngDecoder.h"

#include "imaging/LargeImage.h"
#include "imaging/ParallelFor.h"

#include <spng.h>

#include <memory>

namespace velmora {

namespace {

// Limits for ancillary chunks (text, ICC profiles): far above what a real file carries, far below
// what a crafted one could make libspng hold.
constexpr std::size_t ChunkSizeLimit = 16u << 20;
constexpr std::size_t ChunkCacheLimit = 64u << 20;
constexpr int RowsPerBand = 64;

struct SpngContextDeleter
{
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

// Errors that mean the image data itself is broken: a decoder that carried on would make up rows.
bool isDamage(int error)
{
    switch (error) {
    case SPNG_ECHUNK_CRC:
    case SPNG_EIDAT_TOO_SHORT:
    case SPNG_EIDAT_STREAM:
    case SPNG_EZLIB:
    case SPNG_EFILTER:
    case SPNG_EOF:
        return true;
    default:
        return false;
    }
}

PngDecoding failure(int error, const char* step)
{
    PngDecoding result;
    result.outcome = isDamage(error) ? PngDecoding::Outcome::Refused : PngDecoding::Outcome::Unsupported;
    result.error = QStringLiteral("%1: %2").arg(QLatin1String(step), QLatin1String(spng_strerror(error)));
    return result;
}

// libspng's RGBA bytes to premultiplied ARGB32, in place (both are four bytes a pixel).
void premultiplyInPlace(QImage& image)
{
    const int width = image.width();
    const int bands = (image.height() + RowsPerBand - 1) / RowsPerBand;
    parallelFor(bands, [&image, width](int band) {
        const int end = std::min(image.height(), (band + 1) * RowsPerBand);
        for (int y = band * RowsPerBand; y < end; ++y) {
            uchar* bytes = image.scanLine(y);
            auto* pixels = reinterpret_cast<QRgb*>(bytes);
            for (int x = 0; x < width; ++x) {
                const uchar* p = bytes + 4 * x;
                const QRgb straight = qRgba(p[0], p[1], p[2], p[3]);
                pixels[x] = p[3] == 255 ? straight : qPremultiply(straight);
            }
        }
    });
}

} // namespace

PngDecoding decodePng(const QByteArray& data, qint64 limitBytes)
{
    // Every chunk's CRC is checked, and it covers all of the compressed bytes: the zlib stream's own
    // Adler-32 over the 60 MB it inflates to adds a tenth to the decoding time and nothing the CRCs
    // would miss.
    std::unique_ptr<spng_ctx, SpngContextDeleter> context(spng_ctx_new(SPNG_CTX_IGNORE_ADLER32));
    if (!context) {
        return failure(SPNG_EMEM, "context");
    }
    spng_ctx* ctx = context.get();
    // A bad checksum on pixel data is damage; on a text or colour chunk libpng only drops the chunk.
    int error = spng_set_crc_action(ctx, SPNG_CRC_ERROR, SPNG_CRC_DISCARD);
    if (!error) {
        error = spng_set_chunk_limits(ctx, ChunkSizeLimit, ChunkCacheLimit);
    }
    if (!error) {
        error = spng_set_png_buffer(ctx, data.constData(), std::size_t(data.size()));
    }
    if (error) {
        return failure(error, "setup");
    }

    spng_ihdr header{};
    if ((error = spng_get_ihdr(ctx, &header))) {
        return failure(error, "header");
    }
    if (qint64(header.width) * qint64(header.height) * 4 > limitBytes) {
        PngDecoding refused;
        refused.outcome = PngDecoding::Outcome::Refused;
        refused.error = QStringLiteral("%1 x %2 pixels are more than the allocation limit allows")
                            .arg(header.width)
                            .arg(header.height);
        return refused;
    }
    if (header.bit_depth > 8) {
        // Qt narrows 16-bit samples with its own rounding; its reader keeps them identical.
        PngDecoding wide;
        wide.error = QStringLiteral("16-bit samples");
        return wide;
    }

    std::size_t size = 0;
    if ((error = spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size))) {
        return failure(error, "size");
    }
    QImage image = largeImage(QSize(int(header.width), int(header.height)));
    if (image.isNull() || std::size_t(image.sizeInBytes()) != size) {
        return failure(SPNG_EMEM, "allocation");
    }
    if ((error = spng_decode_image(ctx, image.bits(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS))) {
        return failure(error, "image data");
    }
    spng_exif exif{};
    if (spng_get_exif(ctx, &exif) == 0) {
        // The Qt reader turns the picture by an EXIF orientation; leave such files to it.
        PngDecoding turned;
        turned.error = QStringLiteral("EXIF data");
        return turned;
    }
    premultiplyInPlace(image);

    PngDecoding decoded;
    decoded.outcome = PngDecoding::Outcome::Decoded;
    decoded.image = image;
    return decoded;
}

} // namespace velmora
