#include "RowSignatures.h"

#include <algorithm>
#include <cstring>

namespace velmora {

namespace {

// A multiply-rotate hash over 64-bit words: fast enough to hash every row of a 1280-wide frame in
// well under a millisecond, and mixing enough that distinct text rows practically never collide.
std::uint64_t hashRow(const uchar* bytes, int length)
{
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ std::uint64_t(length);
    int i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        h = (h ^ word) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 29;
    }
    for (; i < length; ++i) {
        h = (h ^ bytes[i]) * 0x100000001B3ull;
    }
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 33);
}

} // namespace

int RowSignatures::ignoredStripWidth(int width)
{
    // Scrollbars are 8–20 pixels wide at scale 1 and twice that on a doubled display; a narrow
    // frame keeps at least three quarters of its width for the comparison.
    return std::min(width / 4, std::max(16, width / 32));
}

RowSignatures::RowSignatures(const QImage& frame)
    : m_frame(frame.format() == QImage::Format_ARGB32_Premultiplied
                  ? frame
                  : frame.convertToFormat(QImage::Format_ARGB32_Premultiplied))
{
    m_endColumn = m_frame.width() - ignoredStripWidth(m_frame.width());
    const int length = m_endColumn * 4;
    m_hashes.resize(std::size_t(std::max(0, m_frame.height())));
    for (int y = 0; y < m_frame.height(); ++y) {
        m_hashes[std::size_t(y)] = hashRow(m_frame.constScanLine(y), length);
    }
}

bool RowSignatures::sameRow(int row, const RowSignatures& other, int otherRow) const
{
    if (hash(row) != other.hash(otherRow) || m_endColumn != other.m_endColumn) {
        return false;
    }
    return std::memcmp(m_frame.constScanLine(row), other.m_frame.constScanLine(otherRow),
                       std::size_t(m_endColumn) * 4) == 0;
}

} // namespace velmora
