#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace velmora {

// Decoding of images that come from outside: wallpapers the user imports, files opened in the
// editor, the clipboard. The result is Format_ARGB32_Premultiplied with a pixel density of 1.
// Anything that is not a complete, reasonably sized image gives nothing: unreadable or unknown
// data, a header that claims more pixels than the allocation limit allows, and truncated or damaged
// files (which decoders would otherwise pad with grey or leave half black).
std::optional<QImage> decodeImageFile(const QString& path);
std::optional<QImage> decodeImageData(const QByteArray& data);

// Largest decoded image accepted, in bytes of 32-bit pixels.
constexpr qint64 kImageAllocationLimitBytes = qint64(512) * 1024 * 1024;

} // namespace velmora
