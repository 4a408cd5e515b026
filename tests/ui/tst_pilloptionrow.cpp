#include "support/TestSupport.h"
#include "toolbar/PillOptionRow.h"

#include <QPainter>
#include <QTest>

using namespace velmora;

namespace {

const QColor sampleColor(255, 0, 0);

// The columns (and the rows they span) where the row's drawing differs from its empty background.
struct Ink
{
    int left = -1, right = -1, top = -1, bottom = -1;
};

Ink inkIn(const QImage& image, int fromX, int toX, const QColor& background)
{
    Ink ink;
    for (int x = fromX; x < toX; ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixelColor(x, y) == background)
                continue;
            ink.left = ink.left < 0 ? x : ink.left;
            ink.right = x;
            ink.top = ink.top < 0 ? y : std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    }
    return ink;
}

} // namespace

class TestPillOptionRow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawsTheSampleThenTheLabel_data();
    void drawsTheSampleThenTheLabel();
};

void TestPillOptionRow::drawsTheSampleThenTheLabel_data()
{
    QTest::addColumn<qreal>("sampleWidth");
    QTest::addColumn<qreal>("gap");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("selected");
    QTest::newRow("no sample") << 0.0 << 0.0 << 0 << false;
    QTest::newRow("sample, gap") << 40.0 << 12.0 << 0 << true;
    QTest::newRow("wide sample, small gap") << 58.0 << 8.0 << 0 << false;
    QTest::newRow("label size of its own") << 11.0 << 8.0 << 22 << false;
}

void TestPillOptionRow::drawsTheSampleThenTheLabel()
{
    QFETCH(qreal, sampleWidth);
    QFETCH(qreal, gap);
    QFETCH(int, pixelSize);
    QFETCH(bool, selected);
    constexpr int padding = 8; // the row's own margin left of the sample
    PillOption option(QStringLiteral("MMMM"), selected);
    option.withLabelPixelSize(pixelSize);
    if (sampleWidth > 0) {
        const auto fill = [](QPainter& painter, const QRectF& box, const QPalette&) {
            painter.fillRect(box, sampleColor);
        };
        option.withSample(fill, sampleWidth, gap);
    }
    PillOptionRow row(option);
    QCOMPARE(row.text(), QStringLiteral("MMMM"));
    QCOMPARE(row.isSelected(), selected);
    row.resize(220, PillOptionRow::rowHeight);
    const QImage image = row.grab().toImage().convertToFormat(QImage::Format_RGB32);
    test::dump(image, QStringLiteral("pilloptionrow"));
    const QColor background = image.pixelColor(2, 2);

    // The sample fills its box: full height, exactly sampleWidth wide, after the padding.
    const Ink sample = inkIn(image, 0, padding + int(sampleWidth) + 1, background);
    if (sampleWidth > 0) {
        QCOMPARE(image.pixelColor(padding, row.height() / 2), sampleColor);
        QCOMPARE(image.pixelColor(padding + int(sampleWidth) - 1, 0), sampleColor);
        QCOMPARE(sample.right, padding + int(sampleWidth) - 1);
        QCOMPARE(sample.left, padding);
    }

    // The label starts after the gap, and is taller in a larger font.
    const int labelStart = padding + int(sampleWidth + gap);
    if (gap > 0)
        QCOMPARE(inkIn(image, padding + int(sampleWidth), labelStart, background).left, -1);
    const Ink label = inkIn(image, labelStart, labelStart + 60, background);
    QVERIFY(label.left >= labelStart && label.left <= labelStart + 3);
    const int labelHeight = label.bottom - label.top + 1;
    if (pixelSize > 0)
        QVERIFY2(labelHeight >= pixelSize * 0.6, qPrintable(QString::number(labelHeight)));
    else
        QVERIFY2(labelHeight < 14, qPrintable(QString::number(labelHeight)));

    // A check mark at the right end for the current choice only.
    const Ink check = inkIn(image, row.width() - 24, row.width(), background);
    QCOMPARE(check.left >= 0, selected);
}

QTEST_MAIN(TestPillOptionRow)
#include "tst_pilloptionrow.moc"
