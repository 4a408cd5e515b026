#pragma once

#include <QImage>

#include <cstdint>
#include <vector>

namespace velmora {

// One hash per pixel row of a frame, over the columns that carry page content. A narrow strip on the
// right is left out: scrollbar thumbs live there and move while the page does, so they must not make
// two otherwise equal rows look different. Computed once per frame and reused for every comparison.
class RowSignatures
{
public:
    RowSignatures() = default;
    // The frame is kept (shared, not copied) for the pixel checks; it is converted to ARGB32
    // premultiplied first when it has another format.
    explicit RowSignatures(const QImage& frame);

    const QImage& frame() const { return m_frame; }
    int height() const { return int(m_hashes.size()); }
    std::uint64_t hash(int row) const { return m_hashes[std::size_t(row)]; }
    int endColumn() const { return m_endColumn; }

    // Whether row `row` of this frame has exactly the pixels of row `otherRow` of `other` in the
    // compared columns (the hashes are checked first; the bytes decide).
    bool sameRow(int row, const RowSignatures& other, int otherRow) const;

    // Width of the right-hand strip left out of the comparison for a frame of the given width.
    static int ignoredStripWidth(int width);

private:
    QImage m_frame;
    std::vector<std::uint64_t> m_hashes;
    int m_endColumn = 0;
};

} // namespace velmora
