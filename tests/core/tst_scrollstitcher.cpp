#include "ScrollPages.h"
#include "capture/ScrollStitcher.h"

#include <QTest>

using namespace velmora;
using namespace scrollpages;

using Blanks = std::vector<std::pair<int, int>>;
Q_DECLARE_METATYPE(std::vector<int>)
Q_DECLARE_METATYPE(Blanks)

namespace {

constexpr int view = 200;
constexpr int pageHeight = 2400;

std::vector<int> steadyTops(int from, int to, int step)
{
    std::vector<int> tops;
    for (int top = from; top <= to; top += step) {
        tops.push_back(top);
    }
    return tops;
}

QImage stitch(const QImage& page, const std::vector<int>& tops, const Chrome& chrome)
{
    ScrollStitcher stitcher;
    for (int top : tops) {
        stitcher.addFrame(frameAt(page, top, view, chrome));
    }
    return stitcher.image();
}

} // namespace

class TestScrollStitcher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stitchedImageEqualsThePage_data();
    void stitchedImageEqualsThePage();
    void reportsWhatBecameOfEachFrame_data();
    void reportsWhatBecameOfEachFrame();
    void stopsAtTheHeightLimit();
    void framesOfAnotherSizeAreIgnored();
};

void TestScrollStitcher::stitchedImageEqualsThePage_data()
{
    QTest::addColumn<std::vector<int>>("tops");
    QTest::addColumn<int>("header");
    QTest::addColumn<int>("footer");
    QTest::addColumn<bool>("scrollbar");
    QTest::addColumn<Blanks>("blanks");

    const std::vector<int> steady = steadyTops(0, pageHeight - view, 40);
    const std::vector<int> uneven{0, 3, 50, 52, 130, 131, 270, 280, 420, 557, 559, 700, 850, 1000};
    const std::vector<int> pauses{0, 0, 0, 60, 60, 60, 60, 120, 120, 180, 240, 240, 300};
    // Steps under 3 rows add up against the last accepted frame.
    const std::vector<int> jitter{0, 2, 1, 3, 5, 4, 6, 8, 7, 9, 60, 61, 59, 62, 100};
    const std::vector<int> back{0, 100, 200, 150, 60, 0, 80, 190, 260, 350, 340, 420};
    // A jump beyond the frame's reach (and one of 80 % of the view) is not glued; the capture waits
    // until the page is back within reach of the last accepted frame.
    const std::vector<int> jump{0, 100, 700, 900, 150, 260, 400, 480, 520};
    // Blank stretches taller than the view, one right at the bottom of the first frame.
    const Blanks tall{{150, 120}, {600, 320}, {1100, 180}};
    // Two blank gaps that sit right above the footer in two frames 40 rows apart: in that pair the
    // footer seems 5 rows taller than it is (in the first pair, or after the true footer was seen).
    const Blanks aboveFooterFirst{{195, 5}, {235, 5}};
    const Blanks aboveFooterLast{{275, 5}, {315, 5}};
    const std::vector<int> eightyPercent{0, 100, 100 + 200 * 8 / 10 + 24, 140, 290};

    QTest::newRow("steady") << steady << 0 << 0 << false << Blanks{};
    QTest::newRow("steady, small steps") << steadyTops(0, 600, 7) << 0 << 0 << false << Blanks{};
    QTest::newRow("uneven") << uneven << 0 << 0 << false << Blanks{};
    QTest::newRow("pauses") << pauses << 0 << 0 << false << Blanks{};
    QTest::newRow("jitter") << jitter << 0 << 0 << false << Blanks{};
    QTest::newRow("scrolling back") << back << 0 << 0 << false << Blanks{};
    QTest::newRow("jump beyond reach and back") << jump << 0 << 0 << false << Blanks{};
    QTest::newRow("jump of 80 % and back") << eightyPercent << 0 << 0 << false << Blanks{};
    QTest::newRow("header") << uneven << 40 << 0 << false << Blanks{};
    QTest::newRow("footer") << uneven << 0 << 30 << false << Blanks{};
    QTest::newRow("header and footer") << steady << 40 << 30 << false << Blanks{};
    QTest::newRow("header and footer, uneven") << uneven << 40 << 30 << false << Blanks{};
    QTest::newRow("header and footer, jump") << jump << 40 << 30 << false << Blanks{};
    QTest::newRow("scrollbar") << uneven << 0 << 0 << true << Blanks{};
    QTest::newRow("everything") << back << 40 << 30 << true << Blanks{};
    QTest::newRow("blank stretches") << steady << 40 << 30 << false << tall;
    QTest::newRow("blank rows above the footer, last")
        << std::vector<int>{0, 40, 80, 120} << 0 << 30 << false << aboveFooterLast;
    QTest::newRow("blank rows above the footer, first")
        << std::vector<int>{0, 40, 80} << 0 << 30 << false << aboveFooterFirst;
    QTest::newRow("blank stretches, small steps") << steadyTops(0, 1400, 9) << 40 << 30 << true << tall;
}

void TestScrollStitcher::stitchedImageEqualsThePage()
{
    QFETCH(std::vector<int>, tops);
    QFETCH(int, header);
    QFETCH(int, footer);
    QFETCH(bool, scrollbar);
    QFETCH(Blanks, blanks);

    const QImage page = makePage(pageHeight, 1234, blanks);
    const Chrome chrome{header, footer, scrollbar};
    const QImage stitched = stitch(page, tops, chrome);
    // Every sequence ends on its lowest page position reached within reach of the frames before.
    const int bottom = tops.back() + view;
    const QImage expected = expectedImage(page, bottom, chrome);
    QCOMPARE(stitched.size(), expected.size());
    QCOMPARE(contentColumns(stitched, chrome), contentColumns(expected, chrome));
}

void TestScrollStitcher::reportsWhatBecameOfEachFrame_data()
{
    QTest::addColumn<std::vector<int>>("tops");
    QTest::addColumn<std::vector<int>>("outcomes");
    using O = StitchOutcome;
    const auto list = [](std::initializer_list<O> outcomes) {
        std::vector<int> values;
        for (O o : outcomes) {
            values.push_back(int(o));
        }
        return values;
    };
    // Two rows per tick: nothing, then one 4-row step against the same earlier frame.
    QTest::newRow("small steps") << std::vector<int>{0, 2, 4, 6, 8}
                                 << list({O::First, O::Unchanged, O::Appended, O::Unchanged, O::Appended});
    QTest::newRow("back and forth") << std::vector<int>{100, 150, 120, 150, 170}
                                    << list({O::First, O::Appended, O::Backward, O::Unchanged, O::Appended});
    QTest::newRow("out of reach") << std::vector<int>{0, 100, 500, 260, 150}
                                  << list({O::First, O::Appended, O::OutOfReach, O::OutOfReach, O::Appended});
}

void TestScrollStitcher::reportsWhatBecameOfEachFrame()
{
    QFETCH(std::vector<int>, tops);
    QFETCH(std::vector<int>, outcomes);
    const QImage page = makePage(pageHeight, 77);
    ScrollStitcher stitcher;
    std::vector<int> seen;
    for (int top : tops) {
        seen.push_back(int(stitcher.addFrame(frameAt(page, top, view, {}))));
    }
    QCOMPARE(seen, outcomes);
}

void TestScrollStitcher::stopsAtTheHeightLimit()
{
    const QImage page = makePage(pageHeight, 5);
    StitchLimits limits;
    limits.maxHeight = 500;
    ScrollStitcher stitcher(limits);
    StitchOutcome outcome = StitchOutcome::First;
    int top = 0;
    for (; top <= 1000 && outcome != StitchOutcome::LimitReached; top += 70) {
        outcome = stitcher.addFrame(frameAt(page, top, view, {}));
    }
    QCOMPARE(outcome, StitchOutcome::LimitReached);
    QVERIFY(stitcher.isFull());
    // The last step that fitted is kept whole; nothing is cut short or glued afterwards.
    QCOMPARE(stitcher.stitchedHeight(), 200 + 4 * 70);
    QCOMPARE(stitcher.addFrame(frameAt(page, top, view, {})), StitchOutcome::LimitReached);
    QCOMPARE(stitcher.image(), expectedImage(page, 200 + 4 * 70, {}));

    limits.maxHeight = 100000;
    limits.maxBytes = std::int64_t(pageWidth) * 4 * 250;
    ScrollStitcher byMemory(limits);
    QCOMPARE(byMemory.addFrame(frameAt(page, 0, view, {})), StitchOutcome::First);
    QCOMPARE(byMemory.addFrame(frameAt(page, 40, view, {})), StitchOutcome::Appended);
    QCOMPARE(byMemory.addFrame(frameAt(page, 80, view, {})), StitchOutcome::LimitReached);
    QCOMPARE(byMemory.image().height(), 240);
}

void TestScrollStitcher::framesOfAnotherSizeAreIgnored()
{
    const QImage page = makePage(pageHeight, 5);
    ScrollStitcher stitcher;
    QVERIFY(stitcher.image().isNull());
    QCOMPARE(stitcher.addFrame(QImage()), StitchOutcome::Rejected);
    QCOMPARE(stitcher.addFrame(frameAt(page, 0, view, {})), StitchOutcome::First);
    QCOMPARE(stitcher.addFrame(frameAt(page, 50, view + 10, {})), StitchOutcome::Rejected);
    QCOMPARE(stitcher.addFrame(frameAt(page, 50, view, {})), StitchOutcome::Appended);
    QCOMPARE(stitcher.image(), expectedImage(page, 250, {}));
}

QTEST_GUILESS_MAIN(TestScrollStitcher)
#include "tst_scrollstitcher.moc"
