#include "imaging/Adler32.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmora {

namespace {

constexpr std::uint32_t Base = 65521;
// The most bytes after which the sums still fit 32 bits before they are reduced.
constexpr std::size_t MaxRun = 5552;

#if defined(__SSE2__)
std::uint64_t horizontalSum(__m128i v)
{
    alignas(16) std::uint32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
    return std::uint64_t(lanes[0]) + lanes[1] + lanes[2] + lanes[3];
}
#endif

} // namespace

std::uint32_t fastAdler32(std::uint32_t adler, const unsigned char* data, std::size_t length)
{
    std::uint64_t s1 = adler & 0xffff;
    std::uint64_t s2 = adler >> 16;
#if defined(__SSE2__)
    // Over a block of sixteen bytes b0…b15, s2 grows by 16 × s1 plus (16 − i) × bi.
    const __m128i zero = _mm_setzero_si128();
    const __m128i firstWeights = _mm_set_epi16(9, 10, 11, 12, 13, 14, 15, 16);
    const __m128i lastWeights = _mm_set_epi16(1, 2, 3, 4, 5, 6, 7, 8);
    while (length >= 16) {
        std::size_t blocks = std::min(length, MaxRun) / 16;
        length -= blocks * 16;
        s2 += s1 * 16 * blocks;
        __m128i sums = zero;     // bytes of this run so far
        __m128i prefixes = zero; // the same, added up before each block
        __m128i weighted = zero;
        for (; blocks > 0; --blocks, data += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
            prefixes = _mm_add_epi32(prefixes, sums);
            sums = _mm_add_epi32(sums, _mm_sad_epu8(bytes, zero));
            weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), firstWeights));
            weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), lastWeights));
        }
        s1 += horizontalSum(sums);
        s2 += 16 * horizontalSum(prefixes) + horizontalSum(weighted);
        s1 %= Base;
        s2 %= Base;
    }
#endif
    while (length > 0) {
        const std::size_t run = std::min(length, MaxRun);
        length -= run;
        for (std::size_t i = 0; i < run; ++i) {
            s1 += data[i];
            s2 += s1;
        }
        data += run;
        s1 %= Base;
        s2 %= Base;
    }
    return std::uint32_t(s2 << 16 | s1);
}

} // namespace velmora
