#include "imaging/ImageDecoder.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

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

QByteArray encode(const QImage& image, const char* format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
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
    void decodesCompleteImages_data();
    void decodesCompleteImages();
    void refusesDamagedOrOversizedData_data();
    void refusesDamagedOrOversizedData();
    void readsFilesAndRefusesWhatIsNoFile();
};

void TestImageDecoder::decodesCompleteImages_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QSize>("size");
    const QImage picture = noise(97, 61);
    QTest::newRow("png") << encode(picture, "PNG") << picture.size();
    QTest::newRow("jpeg") << encode(picture, "JPEG") << picture.size();
    QTest::newRow("progressive jpeg") << encode(picture, "JPEG", true) << picture.size();
    QTest::newRow("jpeg with bytes after the end")
        << encode(picture, "JPEG") + QByteArray(300, 'x') << picture.size();
    QTest::newRow("indexed png") << encode(picture.convertToFormat(QImage::Format_Indexed8), "PNG")
                                 << picture.size();
}

void TestImageDecoder::decodesCompleteImages()
{
    QFETCH(QByteArray, data);
    QFETCH(QSize, size);
    const std::optional<QImage> image = decodeImageData(data);
    QVERIFY(image);
    QCOMPARE(image->size(), size);
    QCOMPARE(image->format(), QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(image->devicePixelRatio(), 1.0);
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
    QTest::newRow("jpeg claiming 60000 x 60000") << jpegClaiming(60000, 60000);
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

QTEST_GUILESS_MAIN(TestImageDecoder)
#include "tst_imagedecoder.moc"
