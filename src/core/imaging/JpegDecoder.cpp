#include "imaging/JpegDecoder.h"
#include "imaging/ImagingLog.h"

#include <QScopeGuard>
#include <QTransform>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>

#include <jpeglib.h>

namespace velmora {

namespace {

// Straight into the bytes of a Format_ARGB32_Premultiplied row; libjpeg sets alpha to 255.
constexpr J_COLOR_SPACE kNativeArgb = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;

// libjpeg calls error_exit on a fatal error and must not get control back; it reports damaged data
// as warnings, prints them and decodes on. Here a fatal error jumps back to the frame that called
// libjpeg, and warnings are counted so the caller can refuse the file.
struct ErrorManager
{
    jpeg_error_mgr base; // first, so that libjpeg's pointer to it points to the whole
    std::jmp_buf jump;
    int warnings;
    char message[JMSG_LENGTH_MAX]; // the fatal error, or else the first warning
};

ErrorManager* errorManager(j_common_ptr info)
{
    return reinterpret_cast<ErrorManager*>(info->err);
}

void exitOnError(j_common_ptr info)
{
    info->err->format_message(info, errorManager(info)->message);
    std::longjmp(errorManager(info)->jump, 1);
}

void countWarning(j_common_ptr info, int level)
{
    if (level >= 0) { // trace messages
        return;
    }
    if (errorManager(info)->warnings++ == 0) {
        info->err->format_message(info, errorManager(info)->message);
    }
}

// Adobe's programs write CMYK inverted (255 is no ink), nearly everyone follows them, and libjpeg
// passes the samples through. Converted as Qt's reader did, so such files look the same as before.
// In place: a CMYK sample and an ARGB pixel are both 4 bytes.
void cmykToArgb(uchar* row, int width)
{
    auto* pixels = reinterpret_cast<QRgb*>(row);
    for (int x = 0; x < width; ++x) {
        const uchar* cmyk = row + 4 * qsizetype(x);
        const int k = cmyk[3];
        pixels[x] = qRgb(k * cmyk[0] / 255, k * cmyk[1] / 255, k * cmyk[2] / 255);
    }
}

// The two frames that call libjpeg and may be jumped back to: plain C, nothing in them with a
// destructor that a longjmp would skip.

bool readHeader(jpeg_decompress_struct* info, ErrorManager* errors, const QByteArray& data, long memoryLimit)
{
    if (setjmp(errors->jump) != 0) {
        return false;
    }
    jpeg_create_decompress(info);
    // Progressive files keep every coefficient of the image until the last scan: bounded too.
    info->mem->max_memory_to_use = memoryLimit;
    jpeg_mem_src(info, reinterpret_cast<const uchar*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_save_markers(info, JPEG_APP0 + 1, 0xFFFF); // EXIF
    jpeg_read_header(info, TRUE);
    const bool cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
    info->out_color_space = cmyk ? JCS_CMYK : kNativeArgb;
    jpeg_calc_output_dimensions(info);
    return true;
}

bool readPixels(jpeg_decompress_struct* info, ErrorManager* errors, uchar* bits, qsizetype bytesPerLine)
{
    if (setjmp(errors->jump) != 0) {
        return false;
    }
    jpeg_start_decompress(info);
    // Stops at the first warning: the file is refused anyway.
    while (info->output_scanline < info->output_height && errors->warnings == 0) {
        uchar* row = bits + qsizetype(info->output_scanline) * bytesPerLine;
        if (jpeg_read_scanlines(info, &row, 1) != 1) {
            std::snprintf(errors->message, sizeof errors->message, "no data for row %u",
                          info->output_scanline);
            return false;
        }
        if (info->out_color_space == JCS_CMYK) {
            cmykToArgb(row, int(info->output_width));
        }
    }
    if (errors->warnings == 0) {
        jpeg_finish_decompress(info); // reads on to the end marker: damage after the last row shows here
    }
    return errors->warnings == 0;
}

// The orientation (1–8, as EXIF numbers them) in an APP1 segment; 1, upright, when it says none.
int exifOrientation(const uchar* segment, qsizetype size)
{
    if (size < 6 + 8 || std::memcmp(segment, "Exif\0\0", 6) != 0) {
        return 1;
    }
    const uchar* tiff = segment + 6;
    size -= 6;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) {
        return 1;
    }
    const auto read16 = [&](qsizetype at) {
        return little ? quint32(tiff[at]) | quint32(tiff[at + 1]) << 8
                      : quint32(tiff[at]) << 8 | quint32(tiff[at + 1]);
    };
    const auto read32 = [&](qsizetype at) {
        return little ? read16(at) | read16(at + 2) << 16 : read16(at) << 16 | read16(at + 2);
    };
    if (read16(2) != 42) {
        return 1;
    }
    const qsizetype ifd = read32(4);
    if (ifd + 2 > size) {
        return 1;
    }
    const quint32 count = read16(ifd);
    for (quint32 i = 0; i < count && ifd + 2 + 12 * qsizetype(i + 1) <= size; ++i) {
        const qsizetype entry = ifd + 2 + 12 * qsizetype(i);
        if (read16(entry) != 0x0112) {
            continue;
        }
        // One SHORT, held in the first two bytes of the value field.
        const quint32 orientation = read16(entry + 8);
        const bool valid = read16(entry + 2) == 3 && read32(entry + 4) == 1;
        return valid && orientation >= 1 && orientation <= 8 ? int(orientation) : 1;
    }
    return 1;
}

int orientation(const jpeg_decompress_struct& info)
{
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= 6 &&
            std::memcmp(marker->data, "Exif\0\0", 6) == 0) {
            return exifOrientation(marker->data, marker->data_length);
        }
    }
    return 1;
}

// The stored image turned upright: 2 is mirrored, 3 turned half round, 4 flipped, 5 transposed,
// 6 and 8 turned a quarter (clockwise, anticlockwise), 7 transposed across the other diagonal.
QImage upright(const QImage& image, int orientation)
{
    switch (orientation) {
    case 2:
        return image.mirrored(true, false);
    case 3:
        return image.mirrored(true, true);
    case 4:
        return image.mirrored(false, true);
    case 5:
        return image.mirrored(false, true).transformed(QTransform().rotate(90));
    case 6:
        return image.transformed(QTransform().rotate(90));
    case 7:
        return image.mirrored(true, false).transformed(QTransform().rotate(90));
    case 8:
        return image.transformed(QTransform().rotate(270));
    default:
        return image;
    }
}

std::nullopt_t refused(const QString& reason)
{
    qCInfo(lcImaging).noquote() << "JPEG refused:" << reason;
    return std::nullopt;
}

} // namespace

std::optional<QImage> decodeJpeg(const QByteArray& data, qint64 limitBytes)
{
    ErrorManager errors{};
    jpeg_decompress_struct info{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = exitOnError;
    errors.base.emit_message = countWarning;
    // Whatever libjpeg allocated, however far it got.
    const auto destroy = qScopeGuard([&info] { jpeg_destroy_decompress(&info); });

    const long memoryLimit = long(qMin<qint64>(limitBytes, std::numeric_limits<long>::max()));
    if (!readHeader(&info, &errors, data, memoryLimit) || errors.warnings > 0) {
        return refused(QString::fromLatin1(errors.message));
    }
    const qint64 width = info.output_width;
    const qint64 height = info.output_height;
    if (width * height * 4 > limitBytes) {
        return refused(
            QStringLiteral("%1 × %2 pixels is more than the decoder allows").arg(width).arg(height));
    }
    // Saved markers go with the rest of the image's memory when decompression finishes.
    const int storedOrientation = orientation(info);
    QImage image(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return refused(QStringLiteral("no memory for %1 × %2 pixels").arg(width).arg(height));
    }
    if (!readPixels(&info, &errors, image.bits(), image.bytesPerLine())) {
        return refused(QString::fromLatin1(errors.message));
    }

    image = upright(image, storedOrientation);
    if (image.isNull()) {
        return refused(QStringLiteral("no memory to turn the image upright"));
    }
    image.setDevicePixelRatio(1.0);
    return image;
}

} // namespace velmora
