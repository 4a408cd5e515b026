#include "imaging/Adler32.h"
#include "imaging/ParallelDeflate.h"
#include "imaging/PngEncoder.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTest>

#include <zlib.h>

using namespace velmora;
using Encoder = PngOptions::Encoder;

Q_DECLARE_METATYPE(PngOptions::Encoder)
Q_DECLARE_METATYPE(PngOptions::RowFilter)

namespace {

QImage decode(const QByteArray& png)
{
    QBuffer buffer;
    buffer.setData(png);
    QImageReader reader(&buffer, "png");
    return reader.read();
}

// Random colours and alphas, including fully transparent and fully opaque pixels.
QImage randomImage(int width, int height, bool opaque, quint32 seed)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int alpha = opaque ? 255 : int(random.bounded(256));
            if (!opaque && (x + y) % 9 == 0)
                alpha = (x % 2) ? 0 : 255;
            const QRgb straight =
                qRgba(int(random.bounded(256)), int(random.bounded(256)), int(random.bounded(256)), alpha);
            image.setPixel(x, y, qPremultiply(straight));
        }
    return image;
}

quint32 bigEndian(const QByteArray& bytes, qsizetype at)
{
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData() + at);
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
}

struct Chunk
{
    QByteArray type;
    QByteArray data;
};

// Splits a PNG into chunks, failing the test on a bad signature, length or CRC.
QList<Chunk> chunks(const QByteArray& png)
{
    QList<Chunk> result;
    if (!png.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8))) {
        qWarning("bad signature");
        return {};
    }
    qsizetype at = 8;
    while (at + 12 <= png.size()) {
        const quint32 length = bigEndian(png, at);
        if (at + 12 + qsizetype(length) > png.size())
            return {};
        const QByteArray typeAndData = png.mid(at + 4, 4 + length);
        const quint32 crc = bigEndian(png, at + 8 + length);
        if (crc !=
            crc32(0, reinterpret_cast<const Bytef*>(typeAndData.constData()), uInt(typeAndData.size()))) {
            qWarning("bad CRC");
            return {};
        }
        result.append({typeAndData.left(4), typeAndData.mid(4)});
        at += 12 + length;
    }
    return at == png.size() ? result : QList<Chunk>{};
}

QByteArray inflateAll(const QByteArray& stream, qsizetype expectedSize)
{
    QByteArray out(expectedSize + 1, '\0'); // one spare byte: a longer stream must not fit exactly
    uLongf length = uLongf(out.size());
    const int status = uncompress(reinterpret_cast<Bytef*>(out.data()), &length,
                                  reinterpret_cast<const Bytef*>(stream.constData()), uLong(stream.size()));
    if (status != Z_OK)
        return {};
    out.resize(qsizetype(length));
    return out;
}

} // namespace

class TestPngEncoder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyEncoderRoundTrips_data();
    void everyEncoderRoundTrips();
    void opaqueImagesAreWrittenAsRgb_data();
    void opaqueImagesAreWrittenAsRgb();
    void parallelStreamIsOneValidZlibStream_data();
    void parallelStreamIsOneValidZlibStream();
    void bandedDeflateJoinsAnyBands_data();
    void bandedDeflateJoinsAnyBands();
    void failuresGiveNothing();
    void adlerChecksumMatchesZlib_data();
    void adlerChecksumMatchesZlib();
};

void TestPngEncoder::everyEncoderRoundTrips_data()
{
    QTest::addColumn<QImage>("image");
    QTest::newRow("translucent") << randomImage(97, 61, false, 1);
    QTest::newRow("opaque") << randomImage(80, 50, true, 2);
    QTest::newRow("1x1") << randomImage(1, 1, false, 3);
    QTest::newRow("odd width") << randomImage(33, 7, false, 4);
    QTest::newRow("one column") << randomImage(1, 19, true, 5);
    QTest::newRow("large enough for bands") << randomImage(600, 300, false, 6);
    QImage dense = randomImage(130, 90, false, 11);
    dense.setDevicePixelRatio(2);
    QTest::newRow("density 2") << dense;
    QTest::newRow("RGB32") << randomImage(41, 23, true, 12).convertToFormat(QImage::Format_RGB32);
    QTest::newRow("RGB888") << randomImage(15, 15, true, 13).convertToFormat(QImage::Format_RGB888);
    QTest::newRow("straight ARGB32") << randomImage(31, 9, false, 14).convertToFormat(QImage::Format_ARGB32);
    QTest::newRow("indexed") << randomImage(20, 20, true, 15).convertToFormat(QImage::Format_Indexed8);
}

void TestPngEncoder::everyEncoderRoundTrips()
{
    QFETCH(QImage, image);
    // Straight colour as Qt unpremultiplies it; fully transparent pixels come back as 0x00000000.
    QImage expected = image.convertToFormat(QImage::Format_ARGB32);
    expected.setDevicePixelRatio(1); // the file holds pixels only
    for (const Encoder encoder : {Encoder::Libspng, Encoder::ParallelDeflate, Encoder::Automatic})
        for (const auto filter : {PngOptions::RowFilter::None, PngOptions::RowFilter::Up}) {
            PngOptions options;
            options.encoder = encoder;
            options.filter = filter;
            options.bands = 3;
            const auto png = encodePng(image, options);
            QVERIFY(png);
            const QImage decoded = decode(*png);
            QCOMPARE(decoded.size(), image.size()); // pixels, whatever the density
            QCOMPARE(decoded.convertToFormat(QImage::Format_ARGB32), expected);
        }
}

void TestPngEncoder::opaqueImagesAreWrittenAsRgb_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<bool>("rgbWhenOpaque");
    QTest::addColumn<int>("colourType");
    QTest::newRow("opaque premultiplied") << randomImage(20, 10, true, 21) << true << 2;
    QTest::newRow("opaque, alpha asked for") << randomImage(20, 10, true, 21) << false << 6;
    QTest::newRow("one translucent pixel") << [] {
        QImage image = randomImage(20, 10, true, 22);
        image.setPixel(19, 9, qPremultiply(qRgba(10, 20, 30, 254)));
        return image;
    }() << true << 6;
    QTest::newRow("no alpha channel")
        << test::solidImage(8, 8, Qt::red).convertToFormat(QImage::Format_RGB32) << false << 2;
}

void TestPngEncoder::opaqueImagesAreWrittenAsRgb()
{
    QFETCH(QImage, image);
    QFETCH(bool, rgbWhenOpaque);
    QFETCH(int, colourType);
    for (const Encoder encoder : {Encoder::Libspng, Encoder::ParallelDeflate}) {
        PngOptions options;
        options.encoder = encoder;
        options.rgbWhenOpaque = rgbWhenOpaque;
        const auto png = encodePng(image, options);
        QVERIFY(png);
        const QList<Chunk> parts = chunks(*png);
        QVERIFY(!parts.isEmpty());
        QCOMPARE(parts.front().type, QByteArray("IHDR"));
        QCOMPARE(int(uchar(parts.front().data.at(9))), colourType);
        QCOMPARE(decode(*png).convertToFormat(QImage::Format_ARGB32),
                 image.convertToFormat(QImage::Format_ARGB32));
    }
}

void TestPngEncoder::parallelStreamIsOneValidZlibStream_data()
{
    QTest::addColumn<PngOptions::RowFilter>("filter");
    QTest::newRow("rows as they are") << PngOptions::RowFilter::None;
    QTest::newRow("rows minus the row above") << PngOptions::RowFilter::Up;
}

void TestPngEncoder::parallelStreamIsOneValidZlibStream()
{
    QFETCH(PngOptions::RowFilter, filter);
    const QImage image = randomImage(203, 157, false, 31);
    PngOptions options;
    options.encoder = Encoder::ParallelDeflate;
    options.bands = 5;
    options.filter = filter;
    const auto png = encodePng(image, options);
    QVERIFY(png);

    const QList<Chunk> parts = chunks(*png);
    QVERIFY(parts.size() >= 3);
    QCOMPARE(parts.front().type, QByteArray("IHDR"));
    QCOMPARE(bigEndian(parts.front().data, 0), quint32(203));
    QCOMPARE(bigEndian(parts.front().data, 4), quint32(157));
    QCOMPARE(parts.back().type, QByteArray("IEND"));
    QByteArray stream;
    for (const Chunk& chunk : parts)
        if (chunk.type == "IDAT")
            stream += chunk.data;

    // Every row: its filter byte, then straight RGBA, as it is or minus the row above (the first
    // row has none above it and goes as it is).
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    QByteArray expected;
    for (int y = 0; y < rgba.height(); ++y) {
        const bool up = filter == PngOptions::RowFilter::Up && y > 0;
        expected.append(char(up ? 2 : 0));
        for (int i = 0; i < rgba.width() * 4; ++i)
            expected.append(char(rgba.constScanLine(y)[i] - (up ? rgba.constScanLine(y - 1)[i] : 0)));
    }
    // uncompress checks the zlib header and the combined Adler-32 as well.
    QCOMPARE(inflateAll(stream, expected.size()), expected);
}

void TestPngEncoder::bandedDeflateJoinsAnyBands_data()
{
    QTest::addColumn<int>("bands");
    QTest::addColumn<int>("level");
    QTest::newRow("one band") << 1 << 1;
    QTest::newRow("two bands") << 2 << 1;
    QTest::newRow("seven bands, stored") << 7 << 0;
    QTest::newRow("three bands, best") << 3 << 9;
}

void TestPngEncoder::bandedDeflateJoinsAnyBands()
{
    QFETCH(int, bands);
    QFETCH(int, level);
    // Bands of different lengths, one of them empty, fed in uneven pieces; compressible and not.
    QList<QByteArray> content;
    QRandomGenerator random(41);
    for (int i = 0; i < bands; ++i) {
        QByteArray band;
        const int length = i == 1 ? 0 : 1000 + 37000 * i;
        for (int j = 0; j < length; ++j)
            band.append(char(i % 2 ? random.bounded(256) : (j / 100) % 7));
        content.append(band);
    }
    const auto stream = deflateInBands(bands, level, [&](int index, const BandWriter& write) {
        const QByteArray& band = content.at(index);
        for (qsizetype at = 0; at < band.size(); at += 4099)
            write(reinterpret_cast<const uchar*>(band.constData()) + at,
                  std::size_t(std::min<qsizetype>(4099, band.size() - at)));
        return true;
    });
    QVERIFY(stream);
    const QByteArray joined = content.join();
    QCOMPARE(inflateAll(*stream, joined.size()), joined);
}

void TestPngEncoder::failuresGiveNothing()
{
    QVERIFY(!encodePng(QImage()));
    QVERIFY(!deflateInBands(0, 1, [](int, const BandWriter&) { return true; }));
    QTest::ignoreMessage(QtWarningMsg, "Parallel deflate failed in band 2");
    QVERIFY(!deflateInBands(3, 1, [](int index, const BandWriter&) { return index != 2; }));
}

void TestPngEncoder::adlerChecksumMatchesZlib_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("saturated"); // every byte 255: the sums grow fastest
    QTest::newRow("empty") << 0 << 0 << false;
    QTest::newRow("shorter than a block") << 3 << 15 << false;
    QTest::newRow("one block, unaligned") << 1 << 16 << false;
    QTest::newRow("a block and a byte") << 0 << 17 << true;
    QTest::newRow("one run") << 0 << 5552 << true;
    QTest::newRow("a run and a block") << 7 << 5552 + 16 << true;
    QTest::newRow("many runs") << 5 << 300007 << false;
    QTest::newRow("many runs, saturated") << 2 << 300007 << true;
}

void TestPngEncoder::adlerChecksumMatchesZlib()
{
    QFETCH(int, offset);
    QFETCH(int, length);
    QFETCH(bool, saturated);
    QByteArray bytes(offset + length, char(0xff));
    QRandomGenerator random(51);
    for (qsizetype i = 0; !saturated && i < bytes.size(); ++i)
        bytes[i] = char(random.bounded(256));
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData()) + offset;
    const uLong expected = adler32(1L, data, uInt(length));
    QCOMPARE(uLong(fastAdler32(1, data, std::size_t(length))), expected);
    // Continued from a checksum so far, in two uneven pieces, as the bands feed it.
    const int split = length / 3;
    const std::uint32_t first = fastAdler32(1, data, std::size_t(split));
    QCOMPARE(uLong(fastAdler32(first, data + split, std::size_t(length - split))), expected);
}

QTEST_GUILESS_MAIN(TestPngEncoder)
#include "tst_pngencoder.moc"
