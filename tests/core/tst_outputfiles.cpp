#include "imaging/AtomicFile.h"
#include "output/AppFolders.h"
#include "output/OutputFiles.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

class TestOutputFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void createNeverOverwrites();
    void savedScreenshotsGetFreshNames();
    void onlyTheNewestClipboardFileStays();
    void lastScreenshotFilesRoundTrip();
    void temporaryFolderIsPrivate();
};

void TestOutputFiles::createNeverOverwrites()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("taken.png"));
    QFile existing(path);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("keep me");
    existing.close();
    bool existed = false;
    QVERIFY(!createFileAtomically(path, "new bytes", &existed));
    QVERIFY(existed);
    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("keep me"));
    // Nothing half-written is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("taken.png")});

    const QString fresh = dir.filePath(QStringLiteral("fresh.png"));
    QVERIFY(createFileAtomically(fresh, "new bytes", &existed));
    QVERIFY(!existed);
    QFile created(fresh);
    QVERIFY(created.open(QIODevice::ReadOnly));
    QCOMPARE(created.readAll(), QByteArray("new bytes"));
    // A missing folder fails with a reason and is not mistaken for a clash.
    const WriteResult missing =
        createFileAtomically(dir.filePath(QStringLiteral("no/such.png")), "x", &existed);
    QVERIFY(!missing && !existed && !missing.errorMessage.isEmpty());
}

void TestOutputFiles::savedScreenshotsGetFreshNames()
{
    QTemporaryDir dir;
    const QDate date(2026, 12, 6);
    const auto first = OutputFiles::saveNewScreenshot("one", dir.path(), date);
    const auto second = OutputFiles::saveNewScreenshot("two", dir.path(), date);
    QVERIFY(first.result && second.result);
    QVERIFY(first.path != second.path);
    QVERIFY(QFileInfo(first.path).fileName().startsWith(QStringLiteral("Screenshot-20261206-")));
    QCOMPARE(QFileInfo(first.path).fileName().size(),
             QStringLiteral("Screenshot-20261206-abcdef.png").size());
    QFile file(first.path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("one"));
    const auto failed = OutputFiles::saveNewScreenshot("x", dir.filePath(QStringLiteral("missing")), date);
    QVERIFY(!failed.result);
    QVERIFY(failed.path.isEmpty());
}

void TestOutputFiles::onlyTheNewestClipboardFileStays()
{
    QTemporaryDir dir;
    QFile unrelated(dir.filePath(QStringLiteral("clipboard-notes.txt")));
    QVERIFY(unrelated.open(QIODevice::WriteOnly));
    unrelated.close();
    const auto first = OutputFiles::writeClipboardFile("first", dir.path());
    const auto second = OutputFiles::writeClipboardFile("second", dir.path());
    QVERIFY(first && second);
    const QStringList pngs = QDir(dir.path()).entryList({QStringLiteral("clipboard-*.png")}, QDir::Files);
    QCOMPARE(pngs, QStringList{QFileInfo(*second).fileName()});
    QVERIFY(unrelated.exists());
}

void TestOutputFiles::lastScreenshotFilesRoundTrip()
{
    QTemporaryDir dir;
    const QImage rendered = test::solidImage(30, 20, Qt::red, 2.0);
    const QImage raw = test::solidImage(10, 10, Qt::blue);
    OutputFiles::persistLastScreenshot(rendered, raw, dir.path());
    const QImage readRendered = QImageReader(OutputFiles::lastScreenshotPath(dir.path())).read();
    const QImage readRaw = QImageReader(OutputFiles::lastRawScreenshotPath(dir.path())).read();
    QCOMPARE(readRendered.size(), QSize(60, 40));
    QCOMPARE(readRendered.pixelColor(5, 5), QColor(Qt::red));
    QCOMPARE(readRaw.pixelColor(5, 5), QColor(Qt::blue));
}

void TestOutputFiles::temporaryFolderIsPrivate()
{
    test::IsolatedHome home;
    const QString folder = AppFolders::temporary();
    QVERIFY(folder.startsWith(home.path()));
    QVERIFY(folder.endsWith(QStringLiteral("/Velmora")));
    QCOMPARE(QFileInfo(folder).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther),
             QFile::Permissions());
    // Without a runtime folder the private cache folder is used, never the shared /tmp.
    qunsetenv("XDG_RUNTIME_DIR");
    const QString fallback = AppFolders::temporary();
    QVERIFY(fallback.startsWith(home.path()));
    QVERIFY(fallback.endsWith(QStringLiteral("/Velmora/tmp")));
    for (const QString& privateFolder : {fallback, AppFolders::dragExports()}) {
        QVERIFY(QFileInfo(privateFolder).isDir());
        QCOMPARE(QFileInfo(privateFolder).permissions() &
                     ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser | QFile::ReadOwner |
                       QFile::WriteOwner | QFile::ExeOwner),
                 QFile::Permissions());
    }
}

QTEST_GUILESS_MAIN(TestOutputFiles)
#include "tst_outputfiles.moc"
