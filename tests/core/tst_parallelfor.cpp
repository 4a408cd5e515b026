#include "imaging/ParallelFor.h"
#include "imaging/PngEncoder.h"
#include "support/TestSupport.h"

#include <QAtomicInt>
#include <QTest>
#include <QThreadPool>

using namespace velmora;

class TestParallelFor : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void visitsEveryIndexOnce();
    void backgroundTasksCanEncodeWhileThePoolIsFull();
};

void TestParallelFor::visitsEveryIndexOnce()
{
    QVector<QAtomicInt> seen(97);
    parallelFor(97, [&](int i) { seen[i].fetchAndAddRelaxed(1); });
    for (const QAtomicInt& count : seen) {
        QCOMPARE(count.loadRelaxed(), 1);
    }
    int calls = 0;
    parallelFor(0, [&](int) { ++calls; });
    QCOMPARE(calls, 0);
}

void TestParallelFor::backgroundTasksCanEncodeWhileThePoolIsFull()
{
    // Every thread of the global pool encodes a large image at once, as the clipboard item and the
    // last-screenshot files do after an editor closes. The encoder's own parallel work must not
    // wait for threads these tasks occupy.
    QThreadPool& global = *QThreadPool::globalInstance();
    const int tasks = std::max(2, global.maxThreadCount());
    QAtomicInt done = 0;
    QAtomicInt encoded = 0;
    const QImage image = test::solidImage(1024, 768, Qt::darkCyan);
    for (int i = 0; i < tasks; ++i) {
        global.start([&] {
            if (encodePng(image, {}).has_value()) {
                encoded.fetchAndAddRelaxed(1);
            }
            done.fetchAndAddRelaxed(1);
        });
    }
    QTRY_COMPARE_WITH_TIMEOUT(done.loadRelaxed(), tasks, test::waitTimeout);
    QCOMPARE(encoded.loadRelaxed(), tasks);
}

QTEST_GUILESS_MAIN(TestParallelFor)
#include "tst_parallelfor.moc"
