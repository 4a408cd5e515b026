#include "editor/BackgroundAssetStore.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <QUuid>

using namespace velmora;

namespace {

QStringList ids(const QVector<BackgroundWallpaperItem>& items)
{
    QStringList out;
    for (const auto& item : items) {
        out.append(item.id);
    }
    return out;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool heifDecodes()
{
    return QImageReader::supportedImageFormats().contains("heic");
}

bool setModified(const QString& path, const QDateTime& when)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(when, QFileDevice::FileModificationTime);
}

} // namespace

class TestBackgroundAssetStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void importsAcceptedFilesUnderNewNames();
    void listsOnlyVisibleImagesNewestFirst();
    void removalStaysInsideTheFolder_data();
    void removalStaysInsideTheFolder();
    void prewarmDeliversOnTheMainThreadAndCaches();
    void prewarmForADestroyedContextDoesNothing();
    void prewarmOvertakenByAnImportDeliversTheNewerList();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_sources;
    QString m_folder;
};

void TestBackgroundAssetStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_sources = m_dir->filePath(QStringLiteral("sources"));
    m_folder = m_dir->filePath(QStringLiteral("data/Velmora/BackgroundWallpapers"));
    QDir().mkpath(m_sources);
    QVERIFY(test::solidImage(12, 8, Qt::red).save(m_sources + "/red.png"));
    QVERIFY(test::solidImage(6, 4, Qt::blue).save(m_sources + "/blue.JPG", "JPEG"));
    QVERIFY(writeFile(m_sources + "/notes.txt", "hello"));
    // The start of an HEIF file: a format the image reader here has no plugin for.
    QVERIFY(writeFile(m_sources + "/photo.HEIC", QByteArray::fromHex("0000001866747970686569630000000000")));
}

void TestBackgroundAssetStore::importsAcceptedFilesUnderNewNames()
{
    if (heifDecodes()) {
        QSKIP("This system's image reader decodes HEIF");
    }
    BackgroundAssetStore store(m_folder);
    QVERIFY(!store.cachedWallpapers());
    const auto result = store.importWallpapers({
        QUrl::fromLocalFile(m_sources + "/red.png"),
        QUrl::fromLocalFile(m_sources + "/notes.txt"),
        QUrl::fromLocalFile(m_sources + "/photo.HEIC"),
        QUrl::fromLocalFile(m_sources + "/blue.JPG"),
        QUrl::fromLocalFile(m_sources + "/missing.png"),
        QUrl(QStringLiteral("https://example.invalid/remote.png")),
        QUrl::fromLocalFile(m_sources + "/red.png"),
    });

    QCOMPARE(result.importedIds.size(), 3);
    // Refused for their format, so the user can be told; a missing file is no such case.
    QCOMPARE(result.refusedFiles, (QStringList{"notes.txt", "photo.HEIC"}));
    const QStringList suffixes{"png", "JPG", "png"};
    for (qsizetype i = 0; i < 3; ++i) {
        const QFileInfo name(result.importedIds[i]);
        QCOMPARE(name.suffix(), suffixes[i]);
        QVERIFY2(!QUuid::fromString(name.completeBaseName()).isNull(), qPrintable(name.fileName()));
        QVERIFY(QFile::exists(QDir(m_folder).filePath(name.fileName())));
    }
    QVERIFY(result.importedIds[0] != result.importedIds[2]); // the same picture twice is two items

    QCOMPARE(result.items.size(), 3);
    QCOMPARE(store.cachedWallpapers(), std::optional(result.items));
    for (const auto& item : result.items) {
        QVERIFY(result.importedIds.contains(item.id));
        QCOMPARE(item.url, QUrl::fromLocalFile(QDir(m_folder).filePath(item.id)));
        QCOMPARE(item.image.size(), item.id.endsWith("JPG") ? QSize(6, 4) : QSize(12, 8));
        QCOMPARE(item.image.format(), QImage::Format_ARGB32_Premultiplied);
    }
}

void TestBackgroundAssetStore::listsOnlyVisibleImagesNewestFirst()
{
    BackgroundAssetStore store(m_folder);
    const QDir folder(store.folder());
    QVERIFY(QFile::copy(m_sources + "/red.png", folder.filePath("old.png")));
    QVERIFY(QFile::copy(m_sources + "/blue.JPG", folder.filePath("new.jpeg")));
    QVERIFY(writeFile(folder.filePath("broken.webp"), "definitely not a picture"));
    QVERIFY(QFile::copy(m_sources + "/notes.txt", folder.filePath("notes.txt")));
    if (!heifDecodes()) {
        // Not listed: it could be chosen but never drawn.
        QVERIFY(QFile::copy(m_sources + "/photo.HEIC", folder.filePath("photo.heic")));
    }
    QVERIFY(QFile::copy(m_sources + "/red.png", folder.filePath(".hidden.png")));
    QVERIFY(folder.mkdir("folder.png"));

    const QDateTime now = QDateTime::currentDateTime();
    QVERIFY(setModified(folder.filePath("old.png"), now.addDays(-3)));
    QVERIFY(setModified(folder.filePath("broken.webp"), now.addDays(-2)));
    QVERIFY(setModified(folder.filePath("new.jpeg"), now.addDays(-1)));

    const auto items = store.loadWallpapers();
    QCOMPARE(ids(items), (QStringList{"new.jpeg", "broken.webp", "old.png"}));
    QVERIFY(items[1].image.isNull());
    QVERIFY(!items[0].image.isNull());
    QCOMPARE(items[2].image.pixel(0, 0), qRgb(255, 0, 0));
}

void TestBackgroundAssetStore::removalStaysInsideTheFolder_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("removesKeep");
    QTest::newRow("known id") << "keep.png" << true;
    QTest::newRow("unknown id") << "nothing.png" << false;
    QTest::newRow("empty id") << "" << false;
    QTest::newRow("parent folder") << "../outside.png" << false;
    QTest::newRow("absolute path") << "<outside>" << false;
    QTest::newRow("dot dot alone") << ".." << false;
}

void TestBackgroundAssetStore::removalStaysInsideTheFolder()
{
    QFETCH(QString, id);
    QFETCH(bool, removesKeep);
    BackgroundAssetStore store(m_folder);
    const QDir folder(store.folder());
    const QString outside = m_dir->filePath("data/Velmora/outside.png");
    if (id == "<outside>") {
        id = outside;
    }
    QVERIFY(QFile::copy(m_sources + "/red.png", outside));
    QVERIFY(QFile::copy(m_sources + "/red.png", folder.filePath("keep.png")));
    QVERIFY(QFile::copy(m_sources + "/red.png", folder.filePath("other.png")));

    const auto items = store.removeWallpaper(id);
    QCOMPARE(ids(items).contains("keep.png"), !removesKeep);
    QVERIFY(ids(items).contains("other.png"));
    QVERIFY(QFile::exists(outside));
    QVERIFY(QDir(m_dir->filePath("data/Velmora")).exists());
    QCOMPARE(store.cachedWallpapers(), std::optional(items));
}

void TestBackgroundAssetStore::prewarmDeliversOnTheMainThreadAndCaches()
{
    BackgroundAssetStore store(m_folder);
    QVERIFY(QFile::copy(m_sources + "/red.png", QDir(store.folder()).filePath("a.png")));
    QObject context;
    std::optional<QVector<BackgroundWallpaperItem>> delivered;
    QThread* deliveredOn = nullptr;
    store.prewarmWallpapers(&context, [&](const QVector<BackgroundWallpaperItem>& items) {
        delivered = items;
        deliveredOn = QThread::currentThread();
    });
    QTRY_VERIFY_WITH_TIMEOUT(delivered.has_value(), test::waitTimeout);
    QCOMPARE(deliveredOn, QCoreApplication::instance()->thread());
    QCOMPARE(ids(*delivered), QStringList{"a.png"});
    QCOMPARE(store.cachedWallpapers(), delivered);

    // Cached now: the next caller is answered at once, without reading the folder again.
    QVERIFY(QFile::copy(m_sources + "/red.png", QDir(store.folder()).filePath("b.png")));
    bool answered = false;
    store.prewarmWallpapers(&context, [&](const QVector<BackgroundWallpaperItem>& items) {
        answered = true;
        QCOMPARE(ids(items), QStringList{"a.png"});
    });
    QVERIFY(answered);
}

void TestBackgroundAssetStore::prewarmForADestroyedContextDoesNothing()
{
    BackgroundAssetStore store(m_folder);
    bool called = false;
    {
        QObject context;
        store.prewarmWallpapers(&context, [&](const QVector<BackgroundWallpaperItem>&) { called = true; });
    }
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QVERIFY(!called);
}

void TestBackgroundAssetStore::prewarmOvertakenByAnImportDeliversTheNewerList()
{
    BackgroundAssetStore store(m_folder);
    QObject context;
    std::optional<QVector<BackgroundWallpaperItem>> delivered;
    store.prewarmWallpapers(&context,
                            [&](const QVector<BackgroundWallpaperItem>& items) { delivered = items; });
    // The load has read the empty folder, but its result has not reached the main thread yet.
    QThreadPool::globalInstance()->waitForDone();
    const auto imported = store.importWallpapers({QUrl::fromLocalFile(m_sources + "/red.png")});
    QTRY_VERIFY_WITH_TIMEOUT(delivered.has_value(), test::waitTimeout);
    QCOMPARE(ids(*delivered), imported.importedIds);
    QCOMPARE(store.cachedWallpapers(), std::optional(imported.items));
}

QTEST_GUILESS_MAIN(TestBackgroundAssetStore)
#include "tst_backgroundassetstore.moc"
