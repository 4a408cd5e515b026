#include "DesktopWallpaperCache.h"
#include "ScreenCapture.h"
#include "imaging/ImageDecoder.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace velmora;

namespace {

// A root background that counts its reads: left half red, right half blue.
class FakeRoot final : public RootBackground
{
public:
    std::optional<QImage> picture() const override
    {
        ++reads;
        QImage image(300, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::red);
        for (int y = 0; y < 200; ++y) {
            for (int x = 150; x < 300; ++x) {
                image.setPixel(x, y, qRgb(0, 0, 255));
            }
        }
        return image;
    }
    mutable std::atomic<int> reads = 0;
};

ScreenGeometry screen(const QString& name, QRect geometry = QRect(0, 0, 150, 200), qreal ratio = 1.0)
{
    return {geometry, ratio, name};
}

// Picture files on disk and a decoder that counts what it really decoded.
class Pictures
{
public:
    QString write(const QString& name, QColor color)
    {
        const QString path = m_dir.path() + u'/' + name;
        QImage image(64, 40, QImage::Format_RGB32);
        image.fill(color);
        image.save(path, "PNG");
        return path;
    }
    QString writeBytes(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.path() + u'/' + name;
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }
    DesktopWallpaperCache::Decode countingDecoder()
    {
        return [this](const QString& path) {
            ++decodes;
            std::unique_lock lock(m_mutex);
            m_waitBeforeDecoding(lock);
            return decodeImageFile(path);
        };
    }
    // Holds every decode until `ready` is true, re-checked whenever `release()` is called.
    void holdDecodesUntil(std::function<bool()> ready)
    {
        m_waitBeforeDecoding = [this, ready](std::unique_lock<std::mutex>& lock) {
            m_released.wait_for(lock, std::chrono::seconds(30), ready);
        };
    }
    void release() { m_released.notify_all(); }

    std::atomic<int> decodes = 0;

private:
    QTemporaryDir m_dir;
    std::mutex m_mutex;
    std::condition_variable m_released;
    std::function<void(std::unique_lock<std::mutex>&)> m_waitBeforeDecoding = [](auto&) {};
};

} // namespace

class TestDesktopWallpaperCache : public QObject
{
    Q_OBJECT

private slots:
    // Eight threads ask at once; the first decode is held until every thread has asked, so each of
    // them finds the picture missing. One decode serves them all.
    void decodesOncePerPathAcrossThreads()
    {
        Pictures pictures;
        const QString path = pictures.write(QStringLiteral("wall.png"), QColor(10, 200, 30));
        std::atomic<int> asked = 0;
        pictures.holdDecodesUntil([&] { return asked.load() == 8; });
        DesktopWallpaperCache cache(
            [&](const ScreenGeometry&) {
                ++asked;
                pictures.release();
                return path;
            },
            nullptr, pictures.countingDecoder());

        std::vector<std::optional<QImage>> results(8);
        std::vector<std::thread> threads;
        for (int i = 0; i < 8; ++i) {
            threads.emplace_back([&, i] { results[i] = cache.image(screen(QString::number(i))); });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        QCOMPARE(pictures.decodes.load(), 1);
        for (const std::optional<QImage>& result : results) {
            QVERIFY(result);
            QCOMPARE(result->size(), QSize(64, 40));
            QCOMPARE(result->pixel(5, 5), qRgb(10, 200, 30));
        }
        QVERIFY(cache.image(screen(QStringLiteral("again"))));
        QCOMPARE(pictures.decodes.load(), 1);
    }

    void unreadableFileGivesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("not an image") << "garbage";
        QTest::newRow("truncated") << "truncated";
    }
    void unreadableFileGivesNothing()
    {
        QFETCH(QString, kind);
        Pictures pictures;
        QString path = pictures.write(QStringLiteral("whole.png"), Qt::red);
        if (kind == u"missing") {
            path += QStringLiteral(".gone");
        } else if (kind == u"garbage") {
            path = pictures.writeBytes(QStringLiteral("wall.png"), QByteArray(5000, 'x'));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray whole = file.readAll();
            path = pictures.writeBytes(QStringLiteral("cut.png"), whole.left(whole.size() / 2));
        }
        FakeRoot root;
        DesktopWallpaperCache cache([&](const ScreenGeometry&) { return path; }, &root,
                                    pictures.countingDecoder());
        QVERIFY(!cache.image(screen(QStringLiteral("DP-1"))));
        // A named file that fails is not replaced by the root background.
        QCOMPARE(root.reads.load(), 0);
    }

    // With no file named, each screen shows its own part of the root background, read once.
    void rootBackgroundWhenNoFileIsNamed()
    {
        Pictures pictures;
        FakeRoot root;
        DesktopWallpaperCache cache([](const ScreenGeometry&) { return QString(); }, &root,
                                    pictures.countingDecoder());
        const ScreenGeometry left = screen(QStringLiteral("left"));
        const ScreenGeometry right = screen(QStringLiteral("right"), QRect(150, 0, 75, 100), 2.0);
        for (int round = 0; round < 2; ++round) {
            const std::optional<QImage> l = cache.image(left);
            const std::optional<QImage> r = cache.image(right);
            QVERIFY(l && r);
            QCOMPARE(l->size(), QSize(150, 200));
            QCOMPARE(r->size(), QSize(150, 200));
            QCOMPARE(r->devicePixelRatio(), 2.0);
            QCOMPARE(l->pixel(149, 199), qRgb(255, 0, 0));
            QCOMPARE(r->pixel(0, 0), qRgb(0, 0, 255));
        }
        QCOMPARE(root.reads.load(), 2);
        QCOMPARE(pictures.decodes.load(), 0);
        QVERIFY(!cache.image(screen(QStringLiteral("off the root"), QRect(400, 0, 100, 100))));

        DesktopWallpaperCache withoutRoot([](const ScreenGeometry&) { return QString(); }, nullptr);
        QVERIFY(!withoutRoot.image(left));
    }

    // Prewarming decodes every screen's picture on a thread of lowered priority; later requests
    // are served from what it cached.
    void prewarmFillsTheCache()
    {
        Pictures pictures;
        const QString a = pictures.write(QStringLiteral("a.png"), Qt::green);
        const QString b = pictures.write(QStringLiteral("b.png"), Qt::blue);
        std::atomic<int> niceness = -100;
        std::atomic<int> asked = 0;
        {
            DesktopWallpaperCache cache(
                [&](const ScreenGeometry& s) {
                    ++asked;
                    niceness = getpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)));
                    return s.name == u"a" ? a : b;
                },
                nullptr, pictures.countingDecoder());
            cache.prewarm(ScreenLayout({screen(QStringLiteral("a")), screen(QStringLiteral("b"))}));
            QTRY_COMPARE_WITH_TIMEOUT(pictures.decodes.load(), 2, 30000);
            QVERIFY(niceness.load() >= 10);
            QVERIFY(cache.image(screen(QStringLiteral("a"))));
            QCOMPARE(cache.image(screen(QStringLiteral("b")))->pixel(0, 0), qRgb(0, 0, 255));
            QCOMPARE(pictures.decodes.load(), 2);

            cache.prewarm(ScreenLayout());
            asked = 0;
        }
        // The cache waited for its work before going; an empty layout gave it none.
        QCOMPARE(asked.load(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDesktopWallpaperCache)
#include "tst_desktopwallpapercache.moc"
