#pragma once

#include <QByteArray>
#include <QImage>

#include <optional>

namespace velmora {

// JPEG decoding with libjpeg itself rather than through QImageReader, which hides libjpeg's
// warnings and hands back an image with the damaged or missing part filled in grey. Here any
// warning ("premature end of data segment", "extraneous bytes before marker", a bad Huffman code…)
// refuses the file, and the reason goes to the imaging log. The header is checked against
// `limitBytes` (4 bytes a pixel, and as much again for libjpeg's own buffers) before anything is
// decoded. Greyscale, YCbCr, RGB, CMYK and YCCK data, baseline or progressive, are read; the image
// comes out upright (EXIF orientation applied), Format_ARGB32_Premultiplied at density 1.
std::optional<QImage> decodeJpeg(const QByteArray& data, qint64 limitBytes);

} // namespace velmora
