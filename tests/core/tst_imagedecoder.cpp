#include "ImageFileBuilders.h"
#include "imaging/ImageDecoder.h"
#include "imaging/PngDecoder.h"
#include "support/TestSupport.h"
#include <QTemporaryDir>
#include <QTest>

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
