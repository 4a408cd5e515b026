#include "imaging/ParallelDeflate.h"

#include "imaging/Adler32.h"
#include "imaging/ImagingLog.h"

#include "imaging/ParallelFor.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace velmora {

namespace {

struct Band
{
    int index = 0;
    bool last = false;
    bool ok = false;
    QByteArray compressed;
    uLong adler = 0;
    z_off_t length = 0;
};

class RawDeflater
{
public:
    explicit RawDeflater(int level)
    {
        // Negative window bits: raw deflate, no header or trailer of its own.
        m_ok = deflateInit2(&m_stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~RawDeflater()
    {
        if (m_ok)
            deflateEnd(&m_stream);
    }
    RawDeflater(const RawDeflater&) = delete;
    RawDeflater& operator=(const RawDeflater&) = delete;

    bool ok() const { return m_ok; }

    bool feed(const unsigned char* data, std::size_t size, int flush, QByteArray& out)
    {
        if (!m_ok)
            return false;
        // zlib counts in uInt; very large pieces go in slices.
        constexpr std::size_t Slice = 1u << 30;
        do {
            const std::size_t take = std::min(size, Slice);
            m_stream.next_in = const_cast<Bytef*>(data);
            m_stream.avail_in = uInt(take);
            data += take;
            size -= take;
            const int mode = size == 0 ? flush : Z_NO_FLUSH;
            int status = Z_OK;
            do {
                if (out.size() - m_written < 64 * 1024)
                    out.resize(std::max<qsizetype>(out.size() * 3 / 2, m_written + 256 * 1024));
                m_stream.next_out = reinterpret_cast<Bytef*>(out.data() + m_written);
                m_stream.avail_out = uInt(std::min<qsizetype>(out.size() - m_written, Slice));
                const uInt before = m_stream.avail_out;
                status = deflate(&m_stream, mode);
                m_written += before - m_stream.avail_out;
                if (status == Z_STREAM_ERROR)
                    return false;
                // A flush is complete only when deflate leaves output space unused.
            } while (m_stream.avail_in > 0 || (mode != Z_NO_FLUSH && m_stream.avail_out == 0) ||
                     (mode == Z_FINISH && status != Z_STREAM_END));
        } while (size > 0);
        return true;
    }

    qsizetype written() const { return m_written; }

private:
    z_stream m_stream{};
    bool m_ok = false;
    qsizetype m_written = 0;
};

void compressBand(Band& band, int level, const BandProducer& produce)
{
    RawDeflater deflater(level);
    if (!deflater.ok())
        return;
    bool fed = true;
    uLong adler = adler32(0L, Z_NULL, 0);
    z_off_t length = 0;
    const BandWriter write = [&](const unsigned char* data, std::size_t size) {
        if (!fed || size == 0)
            return;
        adler = fastAdler32(std::uint32_t(adler), data, size);
        length += z_off_t(size);
        fed = deflater.feed(data, size, Z_NO_FLUSH, band.compressed);
    };
    if (!produce(band.index, write) || !fed)
        return;
    // The full flush ends the band on a byte boundary with no block left open, so the next band's
    // raw deflate can follow it directly; only the last band closes the stream.
    if (!deflater.feed(nullptr, 0, band.last ? Z_FINISH : Z_FULL_FLUSH, band.compressed))
        return;
    band.compressed.resize(deflater.written());
    band.adler = adler;
    band.length = length;
    band.ok = true;
}

} // namespace

std::optional<QByteArray> deflateInBands(int bandCount, int level, const BandProducer& produce)
{
    if (bandCount < 1 || level < 0 || level > 9)
        return std::nullopt;
    std::vector<Band> bands(std::size_t(bandCount), Band{});
    for (int i = 0; i < bandCount; ++i) {
        bands[std::size_t(i)].index = i;
        bands[std::size_t(i)].last = i == bandCount - 1;
    }
    try {
        if (bandCount == 1)
            compressBand(bands.front(), level, produce);
        else
            parallelFor(bandCount, [&](int i) { compressBand(bands[std::size_t(i)], level, produce); });
    } catch (...) {
        // Allocation failures inside the pool come back wrapped; any of them means no stream.
        qCWarning(lcImaging) << "Parallel deflate ran out of memory";
        return std::nullopt;
    }

    qsizetype total = 2 + 4;
    uLong adler = adler32(0L, Z_NULL, 0);
    for (const Band& band : bands) {
        if (!band.ok) {
            qCWarning(lcImaging) << "Parallel deflate failed in band" << band.index;
            return std::nullopt;
        }
        total += band.compressed.size();
        adler = adler32_combine(adler, band.adler, band.length);
    }

    QByteArray stream;
    stream.reserve(total);
    // CMF 0x78: deflate with a 32 KiB window. FLG: the level hint, and check bits making the pair a
    // multiple of 31.
    const int levelHint = level <= 1 ? 0 : level <= 5 ? 1 : level == 6 ? 2 : 3;
    const int cmf = 0x78;
    int flg = levelHint << 6;
    flg += (31 - (cmf * 256 + flg) % 31) % 31;
    stream.append(char(cmf));
    stream.append(char(flg));
    for (const Band& band : bands)
        stream.append(band.compressed);
    for (int shift = 24; shift >= 0; shift -= 8)
        stream.append(char((adler >> shift) & 0xff));
    return stream;
}

} // namespace velmora
