#pragma once

// Synthetic pages for the scroll stitcher's tests: a tall page of text-like lines, rules and blank
// stretches, and the frames a screen would show of it at a given scroll position, with a fixed header,
// footer and scrollbar pasted on.

#include <QImage>
#include <QRandomGenerator>

#include <algorithm>
#include <utility>
#include <vector>

namespace scrollpages {

constexpr int pageWidth = 320;
constexpr int scrollbarWidth = 12;

struct Chrome
{
    int header = 0;
    int footer = 0;
    bool scrollbar = false;
};

inline void fillRow(QImage& image, int y, QRgb colour, int from = 0, int to = -1)
{
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    std::fill(line + from, line + (to < 0 ? image.width() : to), colour);
}

// Copies `count` whole rows of `source` from row `from` into `target` from row `to`.
inline void copyRows(const QImage& source, int from, QImage& target, int to, int count)
{
    for (int y = 0; y < count; ++y) {
        std::copy_n(source.constScanLine(from + y), pageWidth * 4, target.scanLine(to + y));
    }
}

// Lines of "words" whose every pixel row differs (like glyphs), blank gaps between them, an
// occasional rule, and the blank stretches listed as (first row, height).
inline QImage makePage(int height, quint32 seed, const std::vector<std::pair<int, int>>& blanks = {})
{
    QImage page(pageWidth, height, QImage::Format_ARGB32_Premultiplied);
    page.fill(qRgb(255, 255, 255));
    QRandomGenerator random(seed);
    const auto inBlank = [&](int y) {
        return std::any_of(blanks.begin(), blanks.end(),
                           [y](const auto& b) { return y >= b.first && y < b.first + b.second; });
    };
    int y = 0;
    while (y < height) {
        const int kind = random.bounded(10);
        if (kind == 0) {
            for (int i = 0; i < 2 && y < height; ++i, ++y) {
                if (!inBlank(y)) {
                    fillRow(page, y, qRgb(200, 200, 210), 8, pageWidth - 8);
                }
            }
        } else if (kind < 3) {
            y += 3 + random.bounded(6);
        } else {
            const int lineHeight = 10 + random.bounded(5);
            std::vector<std::pair<int, int>> words;
            for (int x = 8 + random.bounded(20); x < pageWidth - 40;) {
                const int w = 12 + random.bounded(40);
                words.emplace_back(x, w);
                x += w + 5 + random.bounded(6);
            }
            for (int i = 0; i < lineHeight && y < height; ++i, ++y) {
                if (inBlank(y)) {
                    continue;
                }
                auto* line = reinterpret_cast<QRgb*>(page.scanLine(y));
                for (const auto& [x0, w] : words) {
                    for (int x = x0; x < x0 + w; ++x) {
                        if (random.bounded(3) == 0) {
                            const int shade = random.bounded(120);
                            line[x] = qRgb(shade, shade, shade + 30);
                        }
                    }
                }
            }
        }
    }
    return page;
}

inline QImage band(int height, quint32 seed)
{
    QImage image(pageWidth, height, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < pageWidth; ++x) {
            line[x] = qRgb(40 + random.bounded(40), 90, 160 + random.bounded(40));
        }
    }
    return image;
}

// What the screen shows with page row `top` at the top of a view `view` rows tall.
inline QImage frameAt(const QImage& page, int top, int view, const Chrome& chrome)
{
    QImage frame(pageWidth, chrome.header + view + chrome.footer, QImage::Format_ARGB32_Premultiplied);
    const QImage header = band(chrome.header, 11);
    const QImage footer = band(chrome.footer, 22);
    copyRows(header, 0, frame, 0, chrome.header);
    copyRows(page, top, frame, chrome.header, view);
    copyRows(footer, 0, frame, chrome.header + view, chrome.footer);
    if (chrome.scrollbar) {
        const int thumb = std::max(8, view * view / page.height());
        const int thumbTop = chrome.header + (view - thumb) * top / std::max(1, page.height() - view);
        for (int y = chrome.header; y < chrome.header + view; ++y) {
            const bool onThumb = y >= thumbTop && y < thumbTop + thumb;
            fillRow(frame, y, onThumb ? qRgb(120, 120, 120) : qRgb(235, 235, 235),
                    pageWidth - scrollbarWidth);
        }
    }
    return frame;
}

// The whole page as the stitched image should show it down to page row `bottom`: header once at the
// top, footer once at the bottom.
inline QImage expectedImage(const QImage& page, int bottom, const Chrome& chrome)
{
    QImage expected(pageWidth, chrome.header + bottom + chrome.footer, QImage::Format_ARGB32_Premultiplied);
    const QImage top = frameAt(page, 0, 1, Chrome{chrome.header, chrome.footer, false});
    copyRows(top, 0, expected, 0, chrome.header);
    copyRows(page, 0, expected, chrome.header, bottom);
    copyRows(top, chrome.header + 1, expected, chrome.header + bottom, chrome.footer);
    return expected;
}

// The columns the scrollbar covers differ from the page by design; everything left of them counts.
inline QImage contentColumns(const QImage& image, const Chrome& chrome)
{
    return chrome.scrollbar ? image.copy(0, 0, pageWidth - scrollbarWidth, image.height()) : image;
}

} // namespace scrollpages
