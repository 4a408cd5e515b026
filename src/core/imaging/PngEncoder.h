#pragma once

#include <QByteArray>
#include <QImage>

#include <optional>

namespace velmora {

// Fast PNG encoding for saved, copied and dragged screenshots.
//
// Speed matters more than the last few percent of size here: a 5K screenshot must be on the
// clipboard at once. Both encoders use a low zlib level and one fixed, cheap row filter instead of
// trying every filter on every row.
//
// Output is 8-bit RGBA with straight (unpremultiplied) colour, or 8-bit RGB when the image has no
// alpha channel or every pixel is opaque. The pixel density is not written: the file holds pixels.
// Fully transparent pixels come out as transparent black.
struct PngOptions
{
    enum class Encoder {
        // The parallel encoder for images big enough to gain from it when the pool has more than
        // one thread; libspng otherwise, and as the fallback when the parallel one fails.
        Automatic,
        // Row bands deflated independently on the global pool, joined into one zlib stream.
        ParallelDeflate,
        // libspng on the calling thread.
        Libspng,
    };

    enum class RowFilter {
        // Rows as they are. Best for windows and text: deflate finds the repeated glyphs and the
        // flat runs directly, and does so faster than on filtered rows.
        None,
        // Each row minus the row above. Best for gradients and photographs (a gradient or wallpaper
        // background around the screenshot): about a quarter smaller there, and faster too, since
        // deflate has less to write.
        Up,
    };

    Encoder encoder = Encoder::Automatic;
    RowFilter filter = RowFilter::None;
    // zlib level, 0…9 (values outside are clamped).
    int compressionLevel = 1;
    // Drop the alpha channel when every pixel is opaque: a quarter less data to deflate, smaller
    // files, and the same pixels when read back.
    bool rgbWhenOpaque = true;
    // Bands for the parallel encoder; 0 picks one per thread of the global pool.
    int bands = 0;
};

// The PNG file bytes of the image, or nothing for a null image or when encoding fails (the reason
// goes to the log).
std::optional<QByteArray> encodePng(const QImage& image, PngOptions options = {});

} // namespace velmora
