#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace velmora {

// What decodePng made of the data.
struct PngDecoding
{
    enum class Outcome {
        Decoded,
        // Larger than the allocation limit, or the pixel data is damaged: nothing should read it.
        Refused,
        // Not handled here (16-bit samples, an EXIF orientation, chunks libspng is stricter about
        // than libpng): another decoder may still read it.
        Unsupported,
    };
    Outcome outcome = Outcome::Unsupported;
    QImage image;  // Format_ARGB32_Premultiplied at density 1, when decoded
    QString error; // why not, in words for the log
};

// PNG decoding with libspng, straight into one huge-page buffer that becomes the image: no second
// copy of a large screenshot, and no page fault every 4 KiB as with the Qt reader's own buffer.
// Pixels are exactly what QImageReader gives converted to Format_ARGB32_Premultiplied: colour keys
// and palettes apply their transparency, low bit depths scale by replication, no gamma is applied.
// The header is checked against `limitBytes` (4 bytes a pixel) before anything is allocated.
PngDecoding decodePng(const QByteArray& data, qint64 limitBytes);

} // namespace velmora
