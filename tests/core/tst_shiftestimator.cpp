#include "ScrollPages.h"
#include "capture/ShiftEstimator.h"

#include <QTest>

using namespace velmora;
using namespace scrollpages;

Q_DECLARE_METATYPE(std::optional<int>)

namespace {

constexpr int view = 200;
// Rows 600–999 of the page are blank: taller than the view, so whole frames can be blank.
const std::vector<std::pair<int, int>> blankStretch{{600, 400}};

std::optional<int> measured(const QImage& page, int fromTop, int toTop, const Chrome& chrome,
                            const ShiftHints& hints)
{
    const RowSignatures previous(frameAt(page, fromTop, view, chrome));
    const RowSignatures current(frameAt(page, toTop, view, chrome));
    const std::optional<ShiftEstimate> estimate = estimateShift(previous, current, hints);
    return estimate ? std::optional<int>(estimate->shift) : std::nullopt;
}

} // namespace

class TestShiftEstimator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void measuresTheContentShift_data();
    void measuresTheContentShift();
    void reportsTheStaticBands();
    void differentSizesNeverMatch();
};

void TestShiftEstimator::measuresTheContentShift_data()
{
    QTest::addColumn<int>("fromTop");
    QTest::addColumn<int>("toTop");
    QTest::addColumn<int>("header");
    QTest::addColumn<int>("footer");
    QTest::addColumn<bool>("scrollbar");
    QTest::addColumn<bool>("blanks");
    QTest::addColumn<std::optional<int>>("predicted");
    QTest::addColumn<std::optional<int>>("expected");
    const std::optional<int> none;

    QTest::newRow("down") << 100 << 137 << 0 << 0 << false << false << none << std::optional(37);
    QTest::newRow("back up") << 137 << 100 << 0 << 0 << false << false << none << std::optional(-37);
    QTest::newRow("pause") << 100 << 100 << 0 << 0 << false << false << none << std::optional(0);
    QTest::newRow("jitter down") << 100 << 101 << 0 << 0 << false << false << none << std::optional(1);
    QTest::newRow("jitter up") << 100 << 98 << 0 << 0 << false << false << none << std::optional(-2);
    QTest::newRow("almost a whole view")
        << 100 << 290 << 0 << 0 << false << false << none << std::optional(190);
    // The header and footer stay put; they must not vote for 0.
    QTest::newRow("header") << 100 << 150 << 40 << 0 << false << false << none << std::optional(50);
    QTest::newRow("footer") << 100 << 150 << 0 << 30 << false << false << none << std::optional(50);
    QTest::newRow("header and footer")
        << 300 << 260 << 40 << 30 << false << false << none << std::optional(-40);
    QTest::newRow("header and footer, pause")
        << 300 << 300 << 40 << 30 << false << false << none << std::optional(0);
    QTest::newRow("scrollbar") << 100 << 180 << 40 << 30 << true << false << none << std::optional(80);
    QTest::newRow("scrollbar, jitter") << 400 << 403 << 0 << 0 << true << false << none << std::optional(3);
    // No row of the new frame was in the old one: nothing to glue.
    QTest::newRow("beyond reach") << 100 << 350 << 40 << 30 << false << false << none << none;
    QTest::newRow("beyond reach, prediction fails")
        << 100 << 350 << 0 << 0 << false << false << std::optional(20) << none;
    // The prediction never overrides what distinctive rows say.
    QTest::newRow("content beats prediction")
        << 100 << 130 << 0 << 0 << false << false << std::optional(20) << std::optional(30);
    // Both frames wholly blank: identical, any step fits; only the recent steps can tell.
    QTest::newRow("blank, predicted")
        << 700 << 720 << 40 << 30 << false << true << std::optional(20) << std::optional(20);
    QTest::newRow("blank, nothing predicted")
        << 700 << 720 << 40 << 30 << false << true << none << std::optional(0);
    // Content enters at the bottom of a blank view: it is not in the old frame, so it cannot vote.
    QTest::newRow("blank overlap, predicted")
        << 720 << 850 << 40 << 30 << false << true << std::optional(130) << std::optional(130);
    QTest::newRow("blank overlap, nothing predicted")
        << 720 << 850 << 40 << 30 << false << true << none << none;
    // Content leaves at the top: its rows are still in the old frame and decide.
    QTest::newRow("content leaving a blank view")
        << 500 << 560 << 40 << 30 << false << true << std::optional(7) << std::optional(60);
}

void TestShiftEstimator::measuresTheContentShift()
{
    QFETCH(int, fromTop);
    QFETCH(int, toTop);
    QFETCH(int, header);
    QFETCH(int, footer);
    QFETCH(bool, scrollbar);
    QFETCH(bool, blanks);
    QFETCH(std::optional<int>, predicted);
    QFETCH(std::optional<int>, expected);

    const QImage page = makePage(1600, 7, blanks ? blankStretch : std::vector<std::pair<int, int>>{});
    ShiftHints hints;
    hints.predicted = predicted;
    if (blanks) {
        // As a capture knows them after its first moves.
        hints.knownTop = header;
        hints.knownBottom = footer;
    }
    QCOMPARE(measured(page, fromTop, toTop, Chrome{header, footer, scrollbar}, hints), expected);
}

void TestShiftEstimator::reportsTheStaticBands()
{
    const QImage page = makePage(1600, 9);
    const Chrome chrome{40, 30, true};
    const RowSignatures previous(frameAt(page, 100, view, chrome));
    const RowSignatures current(frameAt(page, 160, view, chrome));
    const auto estimate = estimateShift(previous, current);
    QVERIFY(estimate);
    QCOMPARE(estimate->shift, 60);
    QVERIFY(estimate->support > 50);
    // Blank content rows next to the bands may stay put too, but never fewer rows than the chrome.
    QVERIFY(estimate->staticTop >= 40 && estimate->staticTop < 40 + 20);
    QVERIFY(estimate->staticBottom >= 30 && estimate->staticBottom < 30 + 20);
}

void TestShiftEstimator::differentSizesNeverMatch()
{
    const QImage page = makePage(1600, 9);
    const RowSignatures previous(frameAt(page, 100, view, {}));
    const RowSignatures current(frameAt(page, 100, view + 1, {}));
    QVERIFY(!estimateShift(previous, current));
    QVERIFY(!estimateShift(RowSignatures(), RowSignatures()));
}

QTEST_GUILESS_MAIN(TestShiftEstimator)
#include "tst_shiftestimator.moc"
