#include "editor/CompositeCache.h"
#include "support/TestSupport.h"

#include <QTest>

using namespace velmora;

class TestCompositeCache : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void staleAndLateRendersAreRefused();
};

// A render made for the session (store) replaces what is cached; a warm-up in the background
// (fill) never replaces, and neither keeps a result rendered before the last clear.
void TestCompositeCache::staleAndLateRendersAreRefused()
{
    const QImage first = test::solidImage(1, 1, Qt::red);
    const QImage second = test::solidImage(1, 1, Qt::green);
    CompositeCache cache;
    const quint64 started = cache.generation();

    QVERIFY(cache.store(first, started));
    QVERIFY(!cache.fill(second, started));
    QCOMPARE(cache.image()->cacheKey(), first.cacheKey());
    QVERIFY(cache.store(second, started));
    QCOMPARE(cache.image()->cacheKey(), second.cacheKey());

    cache.clear();
    QVERIFY(!cache.image());
    QVERIFY(!cache.fill(first, started));
    QVERIFY(!cache.store(first, started));
    QVERIFY(!cache.image());
    QVERIFY(cache.fill(first, cache.generation()));
    QCOMPARE(cache.image()->cacheKey(), first.cacheKey());
}

QTEST_GUILESS_MAIN(TestCompositeCache)
#include "tst_compositecache.moc"
