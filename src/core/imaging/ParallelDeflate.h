#pragma once

#include <QByteArray>

#include <cstddef>
#include <functional>
#include <optional>

namespace velmora {

// Deflate on several cores at once, producing one ordinary zlib stream.
//
// The input is split into bands that are compressed independently as raw deflate, each ended on a
// byte boundary with a full flush (the last one with the final block), then joined behind one zlib
// header; the Adler-32 trailer is combined from the bands' own checksums. Any inflater reads the
// result as a single stream. Each band starts with an empty dictionary, which costs a little size
// at the seams and nothing else.

// Hands a band's uncompressed bytes over, piece by piece, in order.
using BandWriter = std::function<void(const unsigned char* data, std::size_t size)>;
// Produces band `index` through `write`; returns false when the band cannot be produced.
using BandProducer = std::function<bool(int index, const BandWriter& write)>;

// Compresses `bandCount` bands (at least one) at zlib `level` (0…9) on the global thread pool and
// returns the joined zlib stream, or nothing when a band fails or memory runs out.
std::optional<QByteArray> deflateInBands(int bandCount, int level, const BandProducer& produce);

} // namespace velmora
