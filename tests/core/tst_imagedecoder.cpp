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
#include <utility>

#include <jpeglib.h>
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

class TestImageDecoder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void decodesJpegPixels_data();
    void decodesJpegPixels();
    void refusesDamagedOrOversizedData_data();
    void refusesDamagedOrOversizedData();
    void readsFilesAndRefusesWhatIsNoFile();
    void libspngDecodesLikeQt_data();
    void libspngDecodesLikeQt();
    void libspngRefusesDamageAndSize_data();
    void libspngRefusesDamageAndSize();
};

void TestImageDecoder::decodesJpegPixels_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QImage>("expected");
    const QImage picture = pattern(300, 200);
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    QTest::newRow("baseline") << jpegOf(picture) << picture;
    QTest::newRow("progressive") << jpegOf(picture, true) << picture;
    QTest::newRow("bytes after the end") << jpegOf(picture) + QByteArray(300, 'x') << picture;
    QTest::newRow("greyscale") << jpegOf(grey) << grey;
    QTest::newRow("progressive greyscale") << jpegOf(grey, true) << grey;
    QTest::newRow("rgb") << libjpegEncode(picture, JCS_RGB) << picture;
    QTest::newRow("restart markers") << libjpegEncode(picture, JCS_YCbCr, 1) << picture;
    QTest::newRow("cmyk") << libjpegEncode(picture, JCS_CMYK) << picture;
    QTest::newRow("ycck") << libjpegEncode(picture, JCS_YCCK) << picture;
    for (int orientation = 1; orientation <= 8; ++orientation) {
        QTest::addRow("exif orientation %d", orientation)
            << jpegWithOrientation(picture, orientation, true) << picture;
    }
    QTest::newRow("exif orientation 6, little-endian") << jpegWithOrientation(picture, 6, false) << picture;
}

void TestImageDecoder::decodesJpegPixels()
{
    QFETCH(QByteArray, data);
    QFETCH(QImage, expected);
    const std::optional<QImage> image = decodeImageData(data);
    QVERIFY(image);
    QCOMPARE(image->format(), QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(image->devicePixelRatio(), 1.0);
    QCOMPARE(image->size(), expected.size());
    test::dump(*image, QTest::currentDataTag());
    const double difference = meanDifference(*image, expected);
    QVERIFY2(difference < 3.0, qPrintable(QString::number(difference)));
}

void TestImageDecoder::refusesDamagedOrOversizedData_data()
{
    QTest::addColumn<QByteArray>("data");
    const QImage picture = noise(97, 61);
    const QByteArray png = encode(picture, "PNG");
    const QByteArray jpeg = encode(picture, "JPEG");
    const QByteArray progressive = encode(picture, "JPEG", true);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("just some text, no picture");
    QTest::newRow("png signature only") << png.left(8);
    QTest::newRow("png cut in half") << png.left(png.size() / 2);
    QTest::newRow("png without IEND") << png.left(png.size() - 12);
    QTest::newRow("jpeg cut in half") << jpeg.left(jpeg.size() / 2);
    QTest::newRow("jpeg without end marker") << jpeg.left(jpeg.size() - 2);
    QTest::newRow("progressive jpeg cut") << progressive.left(progressive.size() * 2 / 3);
    QTest::newRow("png claiming 100000 x 100000") << pngClaiming(100000, 100000);
    QTest::newRow("png claiming zero width") << pngClaiming(0, 10);
    QTest::newRow("png without pixel data") << png.left(png.indexOf("IDAT") - 4) + pngChunk("IEND", {});
    QTest::newRow("jpeg claiming 60000 x 60000") << jpegClaiming(60000, 60000);

    // Damage that libjpeg reports only as a warning, and Qt's reader fills in grey: the data cut short
    // where an end marker happens to follow, and garbage in the middle of the scan.
    const QImage scene = pattern(300, 200);
    const QByteArray end("\xFF\xD9", 2);
    for (const auto& [name, bytes] :
         {std::pair{"jpeg", jpegOf(scene)}, std::pair{"progressive jpeg", jpegOf(scene, true)},
          std::pair{"greyscale jpeg", jpegOf(scene.convertToFormat(QImage::Format_Grayscale8))}}) {
        QTest::addRow("%s cut at 2/3, end marker after", name) << bytes.left(bytes.size() * 2 / 3) + end;
        QTest::addRow("%s with garbage in the scan", name) << withGarbage(bytes);
    }
}

void TestImageDecoder::refusesDamagedOrOversizedData()
{
    QFETCH(QByteArray, data);
    QCOMPARE(decodeImageData(data), std::nullopt);
}

void TestImageDecoder::readsFilesAndRefusesWhatIsNoFile()
{
    QTemporaryDir dir;
    const QString good = dir.filePath("good.png");
    QVERIFY(test::solidImage(5, 3, QColor(10, 200, 30)).save(good));
    const auto image = decodeImageFile(good);
    QVERIFY(image);
    QCOMPARE(image->pixel(4, 2), qRgb(10, 200, 30));

    const QByteArray png = encode(noise(40, 40), "PNG");
    QFile truncated(dir.filePath("truncated.png"));
    QVERIFY(truncated.open(QIODevice::WriteOnly));
    truncated.write(png.left(png.size() - 30));
    truncated.close();
    QCOMPARE(decodeImageFile(truncated.fileName()), std::nullopt);
    QCOMPARE(decodeImageFile(dir.filePath("missing.png")), std::nullopt);
    QCOMPARE(decodeImageFile(dir.path()), std::nullopt);
}

void TestImageDecoder::libspngDecodesLikeQt_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("byLibspng");
    const auto raw = [](int colourType, int bitDepth, int width, int height, bool interlaced = false) {
        RawPng png;
        png.colourType = colourType;
        png.bitDepth = bitDepth;
        png.width = width;
        png.height = height;
        png.interlaced = interlaced;
        png.sample = [bitDepth](int x, int y, int c) { return noiseSample(x, y, c, bitDepth); };
        return png;
    };
    QTest::newRow("RGB") << raw(2, 8, 37, 23).bytes() << true;
    QTest::newRow("RGBA, every alpha") << raw(6, 8, 64, 64).bytes() << true;
    QTest::newRow("RGBA, bands on the pool") << raw(6, 8, 301, 257).bytes() << true;
    QTest::newRow("grey") << raw(0, 8, 19, 7).bytes() << true;
    QTest::newRow("grey, 1 bit") << raw(0, 1, 21, 5).bytes() << true;
    QTest::newRow("grey, 2 bits") << raw(0, 2, 13, 6).bytes() << true;
    QTest::newRow("grey, 4 bits") << raw(0, 4, 9, 9).bytes() << true;
    QTest::newRow("grey and alpha") << raw(4, 8, 17, 11).bytes() << true;
    QTest::newRow("RGBA, interlaced") << raw(6, 8, 13, 11, true).bytes() << true;
    QTest::newRow("grey, 2 bits, interlaced, smaller than a pass") << raw(0, 2, 3, 2, true).bytes() << true;

    RawPng palette = raw(3, 8, 23, 17);
    for (int i = 0; i < 200; ++i) {
        palette.palette += byteList({i, 255 - i, i * 7});
    }
    palette.transparency = byteList({0, 128, 255, 77}); // the first four
    palette.sample = [](int x, int y, int) { return quint16((x * 31 + y * 17) % 200); };
    QTest::newRow("palette with transparency") << palette.bytes() << true;
    palette.bitDepth = 4;
    palette.palette.truncate(16 * 3);
    palette.interlaced = true;
    palette.sample = [](int x, int y, int) { return quint16((x + 3 * y) % 16); };
    QTest::newRow("palette, 4 bits, interlaced") << palette.bytes() << true;

    RawPng key = raw(2, 8, 16, 16);
    key.sample = [](int x, int y, int c) { return quint16((x + y) % 3 == 0 ? 10 * (c + 1) : (x * 16 + c)); };
    key.transparency = byteList({0, 10, 0, 20, 0, 30}); // RGB 10, 20, 30 is see-through
    QTest::newRow("RGB colour key") << key.bytes() << true;
    RawPng greyKey = raw(0, 8, 16, 8);
    greyKey.transparency = byteList({0, noiseSample(3, 4, 0, 8)});
    QTest::newRow("grey colour key") << greyKey.bytes() << true;

    // Qt's reader narrows 16-bit samples with its own rounding, so they stay with it.
    QTest::newRow("RGBA, 16 bits") << raw(6, 16, 21, 13).bytes() << false;
    QTest::newRow("grey, 16 bits, interlaced") << raw(0, 16, 11, 9, true).bytes() << false;
    QTest::newRow("written by Qt") << encode(noise(97, 61), "PNG") << true;
    QTest::newRow("indexed, written by Qt")
        << encode(noise(97, 61).convertToFormat(QImage::Format_Indexed8), "PNG") << true;
}

void TestImageDecoder::libspngDecodesLikeQt()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, byLibspng);
    const QImage expected = readWithQt(data);
    QVERIFY(!expected.isNull());

    const PngDecoding png = decodePng(data, kImageAllocationLimitBytes);
    QCOMPARE(png.outcome, byLibspng ? PngDecoding::Outcome::Decoded : PngDecoding::Outcome::Unsupported);
    if (byLibspng) {
        QCOMPARE(png.image.format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(png.image, expected);
    }
    // Whichever decoder reads it, the public entry gives the same pixels.
    const auto decoded = decodeImageData(data);
    QVERIFY(decoded);
    QCOMPARE(*decoded, expected);
    QCOMPARE(decoded->devicePixelRatio(), 1.0);
}

void TestImageDecoder::libspngRefusesDamageAndSize_data()
{
    QTest::addColumn<QByteArray>("data");
    RawPng picture;
    picture.width = 64;
    picture.height = 48;
    picture.sample = [](int x, int y, int c) { return noiseSample(x, y, c, 8); };
    const QByteArray good = picture.bytes();
    const qsizetype idat = good.indexOf("IDAT") - 4;
    const quint32 idatLength = (quint32(uchar(good[idat])) << 24) | (quint32(uchar(good[idat + 1])) << 16) |
                               (quint32(uchar(good[idat + 2])) << 8) | quint32(uchar(good[idat + 3]));
    const QByteArray compressed = good.mid(idat + 8, idatLength);
    const QByteArray before = good.left(idat);
    const QByteArray iend = pngChunk("IEND", {});

    QTest::newRow("claims more pixels than the limit") << pngClaiming(20000, 10000);
    // Every chunk complete, but the compressed rows stop halfway: no decoder may pad them out.
    QTest::newRow("pixel data cut short")
        << before + pngChunk("IDAT", compressed.left(compressed.size() / 2)) + iend;
    QByteArray badCrc = good;
    badCrc[idat + 8 + 10] = char(badCrc[idat + 8 + 10] ^ 0x40);
    QTest::newRow("pixel data fails its checksum") << badCrc;
}

void TestImageDecoder::libspngRefusesDamageAndSize()
{
    QFETCH(QByteArray, data);
    const PngDecoding png = decodePng(data, qint64(64) * 1024 * 1024);
    QVERIFY2(png.outcome == PngDecoding::Outcome::Refused, qPrintable(png.error));
    QVERIFY(png.image.isNull());
    QVERIFY(!png.error.isEmpty());
    QCOMPARE(decodeImageData(data), std::nullopt);
}

QTEST_GUILESS_MAIN(TestImageDecoder)
#include "tst_imagedecoder.moc"
