#include "imaging/ImageDecoder.h"
#include "imaging/JpegDecoder.h"

#include "imaging/ImagingLog.h"
#include "imaging/PngDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace velmora {

namespace {

constexpr int kAllocationLimitMiB = int(kImageAllocationLimitBytes / (1024 * 1024));

quint32 bigEndian32(const QByteArray& data, qsizetype at)
{
    const auto* p = reinterpret_cast<const uchar*>(data.constData()) + at;
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

bool isPng(const QByteArray& data)
{
    return data.startsWith(QByteArrayLiteral("\x89PNG\r\n\x1a\n"));
}

bool isJpeg(const QByteArray& data)
{
    return data.startsWith(QByteArrayLiteral("\xFF\xD8\xFF"));
}

// Walks the chunk list up to IEND. libpng reports a cut-off stream only as a warning in some
// cases and the rows it never received stay black, so the structure is checked up front.
bool pngIsComplete(const QByteArray& data)
{
    qsizetype at = 8;
    while (at + 12 <= data.size()) {
        const quint32 length = bigEndian32(data, at);
        if (data.mid(at + 4, 4) == "IEND") {
            return true;
        }
        const qint64 next = qint64(at) + 12 + qint64(length);
        if (next > data.size()) {
            return false;
        }
        at = qsizetype(next);
    }
    return false;
}

// Walks the markers and entropy-coded scans up to EOI, so that a JPEG cut short is refused before
// any pixels are allocated for it.
bool jpegIsComplete(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype size = data.size();
    qsizetype at = 2; // after SOI
    while (at < size) {
        if (bytes[at] != 0xFF) {
            return false;
        }
        while (at < size && bytes[at] == 0xFF) { // fill bytes before a marker
            ++at;
        }
        if (at >= size) {
            return false;
        }
        const uchar marker = bytes[at++];
        if (marker == 0xD9) { // EOI
            return true;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length field
            continue;
        }
        if (at + 2 > size) {
            return false;
        }
        const int length = (int(bytes[at]) << 8) | int(bytes[at + 1]);
        if (length < 2) {
            return false;
        }
        at += length;
        if (marker != 0xDA) {
            continue;
        }
        // Entropy-coded data of a scan ends at the first marker that is neither a stuffed zero
        // nor a restart marker.
        while (at + 1 < size) {
            if (bytes[at] == 0xFF && bytes[at + 1] != 0x00 &&
                !(bytes[at + 1] >= 0xD0 && bytes[at + 1] <= 0xD7) && bytes[at + 1] != 0xFF) {
                break;
            }
            ++at;
        }
        if (at + 1 >= size) {
            return false;
        }
    }
    return false;
}

std::optional<QImage> decode(const QByteArray& data)
{
    if (data.isEmpty() || data.size() > kImageAllocationLimitBytes) {
        return std::nullopt;
    }
    if ((isPng(data) && !pngIsComplete(data)) || (isJpeg(data) && !jpegIsComplete(data))) {
        return std::nullopt;
    }
    if (isPng(data)) {
        // Most of what comes in is PNG, screenshots above all, and libspng reads them several times
        // faster. What it leaves alone (16-bit samples, EXIF, chunks it is stricter about) goes on
        // to the Qt reader below, as everything did before.
        PngDecoding png = decodePng(data, kImageAllocationLimitBytes);
        switch (png.outcome) {
        case PngDecoding::Outcome::Decoded:
            return std::move(png.image);
        case PngDecoding::Outcome::Refused:
            qCInfo(lcImaging).noquote() << "PNG refused:" << png.error;
            return std::nullopt;
        case PngDecoding::Outcome::Unsupported:
            qCDebug(lcImaging).noquote() << "PNG left to the Qt reader:" << png.error;
            break;
        }
    }

    if (isJpeg(data)) { // libjpeg directly: it tells damaged data, which Qt's reader fills in grey
        return decodeJpeg(data, kImageAllocationLimitBytes);
    }

    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QImageReader reader(&buffer);
    reader.setAllocationLimit(kAllocationLimitMiB);
    reader.setAutoTransform(true);

    // Refuse before decoding: a tiny file can claim gigapixels, and not every plugin checks the
    // allocation limit itself.
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() ||
        qint64(size.width()) * qint64(size.height()) * 4 > kImageAllocationLimitBytes) {
        return std::nullopt;
    }

    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return std::nullopt;
    }
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return std::nullopt;
    }
    image.setDevicePixelRatio(1.0);
    return image;
}

} // namespace

std::optional<QImage> decodeImageFile(const QString& path)
{
    // Only regular files: reading a FIFO or a device named like an image would block or never end.
    if (!QFileInfo(path).isFile()) {
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kImageAllocationLimitBytes) {
        return std::nullopt;
    }
    return decode(file.read(kImageAllocationLimitBytes + 1));
}

std::optional<QImage> decodeImageData(const QByteArray& data)
{
    return decode(data);
}

} // namespace velmora
