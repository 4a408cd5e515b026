#include "imaging/PngEncoder.h"

#include "imaging/ImagingLog.h"
#include "imaging/ParallelDeflate.h"

#include "imaging/ParallelFor.h"

#include <QThreadPool>

#include <spng.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace velmora {

namespace {

// Below this many pixels one thread finishes before a second would have started.
constexpr qint64 ParallelPixels = 256 * 256;
// Rows converted and handed to deflate at a time: big enough to keep zlib busy, small enough to stay
// in the cache.
constexpr int RowsPerPiece = 16;
// IDAT chunks are split at this size; decoders read them as one stream either way.
constexpr qsizetype IdatChunkSize = 1 << 20;

// What the file will hold and where its rows come from.
struct Layout
{
    QImage source; // a format whose rows Qt converts without a colour table
    QImage::Format rowFormat = QImage::Format_RGB888; // RGB888 or RGBA8888: PNG's byte order
    int channels = 3;

    bool hasAlpha() const { return channels == 4; }
    qsizetype rowBytes() const { return qsizetype(source.width()) * channels; }
};

bool everyPixelOpaque(const QImage& image)
{
    const bool argb =
        image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_ARGB32_Premultiplied;
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        if (argb) {
            const auto* pixels = reinterpret_cast<const quint32*>(line);
            quint32 all = 0xff000000;
            for (int x = 0; x < width; ++x)
                all &= pixels[x];
            if ((all >> 24) != 0xff)
                return false;
        } else {
            uchar all = 0xff;
            for (int x = 0; x < width; ++x)
                all &= line[4 * x + 3];
            if (all != 0xff)
                return false;
        }
    }
    return true;
}

Layout layoutFor(const QImage& image, const PngOptions& options)
{
    Layout layout;
    switch (image.format()) {
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_ARGB32:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
    case QImage::Format_RGB32:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGB888:
        layout.source = image;
        break;
    default:
        // Indexed, packed and wide formats: one conversion up front keeps the row code simple.
        // Straight alpha keeps the colour of translucent pixels at full precision.
        layout.source =
            image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        break;
    }
    const bool alpha =
        layout.source.hasAlphaChannel() && !(options.rgbWhenOpaque && everyPixelOpaque(layout.source));
    layout.rowFormat = alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888;
    layout.channels = alpha ? 4 : 3;
    return layout;
}

// Rows [first, first + count) of the source in PNG byte order (rows padded to four bytes).
QImage convertedRows(const Layout& layout, int first, int count)
{
    const QImage& source = layout.source;
    const QImage view(source.constScanLine(first), source.width(), count, source.bytesPerLine(),
                      source.format());
    return view.convertToFormat(layout.rowFormat);
}

// Byte-wise difference from the row above (PNG filter type 2).
void subtractRow(uchar* __restrict out, const uchar* __restrict row, const uchar* __restrict above,
                 std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
        out[i] = uchar(row[i] - above[i]);
}

// Opaque 0xAARRGGBB words go to RGB bytes by a plain shuffle. Screenshots are nearly always such
// rows; packing them here saves Qt's conversion into an image of its own for every piece.
bool packsRgbDirectly(const Layout& layout)
{
    const QImage::Format format = layout.source.format();
    return !layout.hasAlpha() && (format == QImage::Format_ARGB32_Premultiplied ||
                                  format == QImage::Format_ARGB32 || format == QImage::Format_RGB32);
}

void packRgbRow(const uchar* line, int width, uchar* __restrict out)
{
    const auto* pixels = reinterpret_cast<const QRgb*>(line);
    for (int x = 0; x < width; ++x, out += 3) {
        const QRgb pixel = pixels[x];
        out[0] = uchar(pixel >> 16);
        out[1] = uchar(pixel >> 8);
        out[2] = uchar(pixel);
    }
}

void appendPackedRgbRows(const Layout& layout, int first, int count, bool up, std::vector<uchar>& out)
{
    const QImage& source = layout.source;
    const auto rowBytes = std::size_t(layout.rowBytes());
    out.resize(std::size_t(count) * (rowBytes + 1));
    const auto row = [&](int i) { return out.data() + std::size_t(i) * (rowBytes + 1); };
    for (int i = 0; i < count; ++i) {
        // The first row of the image has nothing above it: Up would equal None there.
        row(i)[0] = up && first + i > 0 ? 2 : 0;
        packRgbRow(source.constScanLine(first + i), source.width(), row(i) + 1);
    }
    if (!up) {
        return;
    }
    std::vector<uchar> above(first > 0 ? rowBytes : 0);
    if (first > 0) {
        packRgbRow(source.constScanLine(first - 1), source.width(), above.data());
    }
    // Bottom up, so that the row above is still unfiltered when it is subtracted.
    for (int i = count - 1; i >= 0 && first + i > 0; --i) {
        uchar* bytes = row(i) + 1;
        const uchar* previous = i > 0 ? row(i - 1) + 1 : above.data();
        for (std::size_t b = 0; b < rowBytes; ++b) {
            bytes[b] = uchar(bytes[b] - previous[b]);
        }
    }
}

// The same rows as the PNG's scanlines, packed, each behind its filter byte. The Up filter needs the
// row above the piece too, so that one is converted along with it.
bool appendFilteredRows(const Layout& layout, int first, int count, PngOptions::RowFilter filter,
                        std::vector<uchar>& out)
{
    const bool up = filter == PngOptions::RowFilter::Up;
    if (packsRgbDirectly(layout)) {
        appendPackedRgbRows(layout, first, count, up, out);
        return true;
    }
    const int above = up && first > 0 ? 1 : 0;
    const QImage converted = convertedRows(layout, first - above, count + above);
    if (converted.isNull())
        return false;
    const auto rowBytes = std::size_t(layout.rowBytes());
    out.resize(std::size_t(count) * (rowBytes + 1));
    uchar* cursor = out.data();
    for (int y = above; y < count + above; ++y) {
        const uchar* row = converted.constScanLine(y);
        // The first row of the image has nothing above it: Up would equal None there.
        if (up && y > 0) {
            *cursor++ = 2;
            subtractRow(cursor, row, converted.constScanLine(y - 1), rowBytes);
        } else {
            *cursor++ = 0;
            std::copy_n(row, rowBytes, cursor);
        }
        cursor += rowBytes;
    }
    return true;
}

void appendBigEndian(QByteArray& out, quint32 value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xff));
}

void appendChunk(QByteArray& out, const char* type, const char* data, qsizetype size)
{
    appendBigEndian(out, quint32(size));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data, size);
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(out.constData() + start), uInt(size + 4));
    appendBigEndian(out, quint32(crc));
}

std::optional<QByteArray> encodeParallel(const Layout& layout, const PngOptions& options)
{
    const QImage& source = layout.source;
    const int threads = std::max(1, computePool().maxThreadCount());
    const int bandCount = std::clamp(options.bands > 0 ? options.bands : threads, 1, source.height());
    const auto firstRow = [&](int band) { return int(qint64(source.height()) * band / bandCount); };

    const auto zlibStream =
        deflateInBands(bandCount, options.compressionLevel, [&](int band, const BandWriter& write) {
            std::vector<uchar> piece;
            const int end = firstRow(band + 1);
            for (int y = firstRow(band); y < end; y += RowsPerPiece) {
                if (!appendFilteredRows(layout, y, std::min(RowsPerPiece, end - y), options.filter, piece))
                    return false;
                write(piece.data(), piece.size());
            }
            return true;
        });
    if (!zlibStream)
        return std::nullopt;

    QByteArray png;
    png.reserve(zlibStream->size() + zlibStream->size() / IdatChunkSize * 12 + 64);
    png.append("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    appendBigEndian(header, quint32(source.width()));
    appendBigEndian(header, quint32(source.height()));
    header.append(char(8));                                 // bits per channel
    header.append(char(layout.hasAlpha() ? 6 : 2));         // truecolour with or without alpha
    header.append(char(0)).append(char(0)).append(char(0)); // deflate, adaptive filters, no interlace
    appendChunk(png, "IHDR", header.constData(), header.size());
    for (qsizetype offset = 0; offset < zlibStream->size(); offset += IdatChunkSize)
        appendChunk(png, "IDAT", zlibStream->constData() + offset,
                    std::min(IdatChunkSize, zlibStream->size() - offset));
    appendChunk(png, "IEND", nullptr, 0);
    return png;
}

struct SpngContextDeleter
{
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

std::optional<QByteArray> encodeWithLibspng(const Layout& layout, const PngOptions& options)
{
    const auto fail = [](const char* step, int error) -> std::optional<QByteArray> {
        qCWarning(lcImaging) << "PNG encoding failed at" << step << ":" << spng_strerror(error);
        return std::nullopt;
    };
    std::unique_ptr<spng_ctx, SpngContextDeleter> context(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!context)
        return fail("context", SPNG_EMEM);
    spng_ctx* ctx = context.get();
    int error = spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
    if (!error)
        error = spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, options.compressionLevel);
    if (!error)
        error = spng_set_option(ctx, SPNG_FILTER_CHOICE,
                                options.filter == PngOptions::RowFilter::Up ? SPNG_FILTER_CHOICE_UP
                                                                            : SPNG_FILTER_CHOICE_NONE);
    if (error)
        return fail("options", error);

    spng_ihdr header{};
    header.width = quint32(layout.source.width());
    header.height = quint32(layout.source.height());
    header.bit_depth = 8;
    header.color_type = layout.hasAlpha() ? SPNG_COLOR_TYPE_TRUECOLOR_ALPHA : SPNG_COLOR_TYPE_TRUECOLOR;
    if ((error = spng_set_ihdr(ctx, &header)))
        return fail("header", error);

    // Progressive rows, converted a few at a time: no second copy of a large image, and QImage's
    // four-byte row padding never reaches libspng, which wants packed rows.
    if ((error = spng_encode_image(ctx, nullptr, 0, SPNG_FMT_PNG,
                                   SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE)))
        return fail("start", error);
    const int height = layout.source.height();
    for (int first = 0; first < height; first += RowsPerPiece) {
        const QImage rows = convertedRows(layout, first, std::min(RowsPerPiece, height - first));
        if (rows.isNull())
            return fail("conversion", SPNG_EMEM);
        for (int y = 0; y < rows.height(); ++y) {
            error = spng_encode_row(ctx, rows.constScanLine(y), std::size_t(layout.rowBytes()));
            if (error && error != SPNG_EOI)
                return fail("row", error);
        }
    }
    if (error != SPNG_EOI)
        return fail("end", error ? error : SPNG_EINTERNAL);

    std::size_t length = 0;
    void* buffer = spng_get_png_buffer(ctx, &length, &error);
    if (!buffer)
        return fail("buffer", error ? error : SPNG_EINTERNAL);
    QByteArray png(static_cast<const char*>(buffer), qsizetype(length));
    std::free(buffer);
    return png;
}

} // namespace

std::optional<QByteArray> encodePng(const QImage& image, PngOptions options)
{
    if (image.isNull())
        return std::nullopt;
    options.compressionLevel = std::clamp(options.compressionLevel, 0, 9);
    // A huge image can fail to find memory for its conversion or its file bytes; that is a failed
    // save to report, not a crash.
    try {
        const Layout layout = layoutFor(image, options);
        if (layout.source.isNull()) {
            qCWarning(lcImaging) << "PNG encoding failed: cannot convert an image of format"
                                 << image.format();
            return std::nullopt;
        }

        bool parallel = options.encoder == PngOptions::Encoder::ParallelDeflate;
        if (options.encoder == PngOptions::Encoder::Automatic)
            parallel = computePool().maxThreadCount() > 1 &&
                       qint64(image.width()) * image.height() >= ParallelPixels && image.height() > 1;
        if (parallel) {
            if (auto png = encodeParallel(layout, options))
                return png;
            if (options.encoder == PngOptions::Encoder::ParallelDeflate)
                return std::nullopt;
        }
        return encodeWithLibspng(layout, options);
    } catch (const std::bad_alloc&) {
        qCWarning(lcImaging) << "PNG encoding failed: out of memory for a" << image.size() << "image";
        return std::nullopt;
    }
}

} // namespace velmora
