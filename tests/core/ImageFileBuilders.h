#pragma once

// Image files built byte by byte for the decoder tests: PNG and JPEG variants that ordinary writers
// do not make (CMYK, interlaced, damaged, huge declared sizes).

#include "imaging/ImageDecoder.h"
#include "imaging/PngDecoder.h"
#include "support/TestSupport.h"
#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <jpeglib.h>
#include <utility>
#include <zlib.h>

using namespace velmora;

namespace {

// Noise, so that compressed data is long enough to cut in meaningful places.
QImage noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(42);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, 0xFF000000u | (random.generate() & 0xFFFFFFu));
        }
    }
    return image;
}

// Gradients across and down with a checkerboard of blue: smooth enough for JPEG to keep close, and
// no two corners alike, so a turned or mirrored result cannot pass for the original.
QImage pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int blue = (x / 50 + y / 40) % 2 ? 220 : 30;
            image.setPixel(x, y, qRgb(255 * x / (width - 1), 255 * y / (height - 1), blue));
        }
    }
    return image;
}

QByteArray encode(const QImage& image, const char* format, bool progressive = false, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

QByteArray jpegOf(const QImage& image, bool progressive = false)
{
    return encode(image, "JPEG", progressive, 90);
}

// A JPEG written by libjpeg itself, for what Qt's writer cannot make: CMYK and YCCK (stored inverted,
// as Adobe's programs do, 255 meaning no ink) and restart markers.
QByteArray libjpegEncode(const QImage& rgb, J_COLOR_SPACE stored, int restartRows = 0)
{
    const bool cmyk = stored == JCS_CMYK || stored == JCS_YCCK;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(rgb.width());
    info.image_height = JDIMENSION(rgb.height());
    info.input_components = cmyk ? 4 : 3;
    info.in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, stored);
    jpeg_set_quality(&info, 90, TRUE);
    info.restart_in_rows = restartRows;
    jpeg_start_compress(&info, TRUE);
    QByteArray row(rgb.width() * info.input_components, Qt::Uninitialized);
    while (info.next_scanline < info.image_height) {
        auto* samples = reinterpret_cast<uchar*>(row.data());
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb pixel = rgb.pixel(x, int(info.next_scanline));
            const int rgbSamples[3] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
            const int inkless = qMax(qMax(rgbSamples[0], rgbSamples[1]), rgbSamples[2]); // 255 - K
            for (int c = 0; c < 3; ++c) {
                *samples++ = uchar(!cmyk ? rgbSamples[c] : inkless ? 255 * rgbSamples[c] / inkless : 0);
            }
            if (cmyk) {
                *samples++ = uchar(inkless);
            }
        }
        JSAMPROW rows[1] = {reinterpret_cast<uchar*>(row.data())};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

// What a camera writes for a picture taken turned: the pixels as the sensor had them, `display`
// turned or mirrored as EXIF orientation `orientation` describes (where the stored first row and
// first column belong on screen), and the tag.
QByteArray jpegWithOrientation(const QImage& display, int orientation, bool bigEndian)
{
    const bool transposed = orientation >= 5;
    const int w = display.width();
    const int h = display.height();
    QImage stored(transposed ? h : w, transposed ? w : h, QImage::Format_RGB32);
    for (int y = 0; y < stored.height(); ++y) {
        for (int x = 0; x < stored.width(); ++x) {
            const QPoint shown[9] = {
                {},     {x, y},         {w - 1 - x, y},         {w - 1 - x, h - 1 - y}, {x, h - 1 - y},
                {y, x}, {w - 1 - y, x}, {w - 1 - y, h - 1 - x}, {y, h - 1 - x}};
            stored.setPixel(x, y, display.pixel(shown[orientation]));
        }
    }
    const auto u16 = [bigEndian](int v) {
        return bigEndian ? QByteArray(1, char(v >> 8)) + char(v) : QByteArray(1, char(v)) + char(v >> 8);
    };
    const auto u32 = [&](int v) { return bigEndian ? u16(v >> 16) + u16(v) : u16(v) + u16(v >> 16); };
    const QByteArray tiff = QByteArray(bigEndian ? "MM" : "II") + u16(42) + u32(8) + u16(1) + u16(0x0112) +
                            u16(3) + u32(1) + u16(orientation) + u16(0) + u32(0);
    const QByteArray exif = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(exif.size()) + 2;
    const QByteArray segment = QByteArray("\xFF\xE1", 2) + char(length >> 8) + char(length) + exif;
    const QByteArray bytes = jpegOf(stored);
    return bytes.left(2) + segment + bytes.mid(2);
}

// Mean difference of all colour channels, 0–255.
double meanDifference(const QImage& a, const QImage& b)
{
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    }
    return double(sum) / (3.0 * a.width() * a.height());
}

// Bytes overwritten in the middle of the entropy-coded data; none is 0xFF, so no marker appears.
QByteArray withGarbage(QByteArray bytes)
{
    const qsizetype middle = (bytes.indexOf(QByteArray("\xFF\xDA", 2)) + bytes.size()) / 2;
    for (int i = 0; i < 40; ++i) {
        bytes[middle + i] = char((i * 73 + 11) % 251);
    }
    return bytes;
}

quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

QByteArray be32(quint32 v)
{
    const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(bytes, 4);
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data)
{
    return be32(quint32(data.size())) + type + data + be32(crc32(type + data));
}

// A well-formed PNG whose header claims width × height RGBA pixels.
QByteArray pngClaiming(quint32 width, quint32 height)
{
    QByteArray header = be32(width) + be32(height);
    header += QByteArray("\x08\x06\x00\x00\x00", 5); // 8 bits, RGBA, deflate, no filter, no interlace
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) +
           pngChunk("IDAT", QByteArray("\x78\x9c\x03\x00\x00\x00\x00\x01", 8)) + pngChunk("IEND", {});
}

// A PNG written sample by sample, for the colour types, bit depths and interlacing that Qt's writer
// never produces. `sample(x, y, channel)` gives each sample at the file's bit depth.
struct RawPng
{
    int colourType = 6;
    int bitDepth = 8;
    int width = 1;
    int height = 1;
    bool interlaced = false;
    QByteArray palette;      // PLTE: three bytes an entry
    QByteArray transparency; // tRNS
    std::function<quint16(int x, int y, int channel)> sample;

    int channels() const
    {
        static constexpr std::array<int, 7> perType = {1, 0, 3, 1, 2, 0, 4};
        return perType[std::size_t(colourType)];
    }

    // Rows of the sub-image from (x0, y0) every (dx, dy) pixels, each behind filter byte 0.
    QByteArray scanlines(int x0, int y0, int dx, int dy) const
    {
        QByteArray out;
        for (int y = y0; y < height; y += dy) {
            out.append('\0');
            quint32 bits = 0;
            int count = 0;
            for (int x = x0; x < width; x += dx) {
                for (int c = 0; c < channels(); ++c) {
                    const quint16 value = sample(x, y, c);
                    if (bitDepth == 16) {
                        out.append(char(value >> 8)).append(char(value));
                        continue;
                    }
                    bits = (bits << bitDepth) | value;
                    count += bitDepth;
                    if (count == 8) {
                        out.append(char(bits));
                        bits = 0;
                        count = 0;
                    }
                }
            }
            if (count > 0) {
                out.append(char(bits << (8 - count)));
            }
        }
        return out;
    }

    QByteArray bytes() const
    {
        QByteArray raw;
        if (!interlaced) {
            raw = scanlines(0, 0, 1, 1);
        } else {
            // Adam7: seven passes, each a sub-image of its own (empty ones have no rows at all).
            static constexpr int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                                 {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
            for (const auto& p : passes) {
                if (p[0] < width && p[1] < height) {
                    raw += scanlines(p[0], p[1], p[2], p[3]);
                }
            }
        }
        QByteArray compressed(int(compressBound(uLong(raw.size()))), '\0');
        uLongf length = uLongf(compressed.size());
        compress2(reinterpret_cast<Bytef*>(compressed.data()), &length,
                  reinterpret_cast<const Bytef*>(raw.constData()), uLong(raw.size()), 6);
        compressed.resize(qsizetype(length));

        QByteArray header = be32(quint32(width)) + be32(quint32(height));
        header += char(bitDepth);
        header += char(colourType);
        header += QByteArray(2, '\0');
        header += char(interlaced ? 1 : 0);
        QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header);
        if (!palette.isEmpty()) {
            png += pngChunk("PLTE", palette);
        }
        if (!transparency.isEmpty()) {
            png += pngChunk("tRNS", transparency);
        }
        return png + pngChunk("IDAT", compressed) + pngChunk("IEND", {});
    }
};

QByteArray byteList(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int value : values) {
        out.append(char(value));
    }
    return out;
}

quint16 noiseSample(int x, int y, int channel, int bitDepth)
{
    const quint32 hash = quint32(x) * 73856093u ^ quint32(y) * 19349663u ^ quint32(channel + 1) * 83492791u;
    return quint16(hash % (1u << bitDepth));
}

// What Qt's own reader makes of the data, in the decoder's format.
QImage readWithQt(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer, "png");
    return reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A real JPEG whose frame header is patched to claim width × height.
QByteArray jpegClaiming(quint16 width, quint16 height)
{
    QByteArray bytes = encode(noise(16, 16), "JPEG");
    const qsizetype sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    Q_ASSERT(sof > 0);
    bytes[sof + 5] = char(height >> 8);
    bytes[sof + 6] = char(height);
    bytes[sof + 7] = char(width >> 8);
    bytes[sof + 8] = char(width);
    return bytes;
}

} // namespace
