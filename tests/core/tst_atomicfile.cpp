#include "imaging/AtomicFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace velmora;

namespace {

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator random(3);
    for (char& c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestAtomicFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writesTheWholeFileAndNothingElse();
    void replacesAnExistingFileByRenaming();
    void followsSymbolicLinks();
    void specialFilesAreWrittenThroughNeverReplaced();
    void failuresLeaveNothingBehind_data();
    void failuresLeaveNothingBehind();
    void readOnlyFolderFails();
    void writesPngFiles();
};

void TestAtomicFile::writesTheWholeFileAndNothingElse()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Screenshot 1.png"));
    const QByteArray bytes = randomBytes(3 * 1024 * 1024 + 17);
    const WriteResult result = writeFileAtomically(path, bytes);
    QVERIFY2(result, qPrintable(result.errorMessage));
    QVERIFY(result.errorMessage.isEmpty());
    QCOMPARE(contents(path), bytes);
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("Screenshot 1.png")});

    QVERIFY(writeFileAtomically(dir.filePath(QStringLiteral("empty")), QByteArray()));
    QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("empty"))).size(), 0);
}

void TestAtomicFile::replacesAnExistingFileByRenaming()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("last.png"));
    QVERIFY(writeFileAtomically(path, QByteArray(100000, 'a')));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));

    // A reader that opened the old file keeps reading the old file whole: the new content arrives
    // under the name as a new file, never by rewriting the old one in place.
    QFile reader(path);
    QVERIFY(reader.open(QIODevice::ReadOnly));
    QVERIFY(writeFileAtomically(path, QByteArray(50, 'b')));
    QCOMPARE(reader.readAll(), QByteArray(100000, 'a'));

    QCOMPARE(contents(path), QByteArray(50, 'b'));
    const QFile::Permissions kept = QFileInfo(path).permissions();
    QVERIFY(kept.testFlags(QFile::ReadOwner | QFile::WriteOwner));
    QVERIFY(!(kept & (QFile::ReadGroup | QFile::ReadOther)));
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("last.png")});
}

void TestAtomicFile::followsSymbolicLinks()
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("target"));
    const QString link = dir.filePath(QStringLiteral("link"));
    QVERIFY(writeFileAtomically(target, "old"));
    QVERIFY(QFile::link(target, link));
    QVERIFY(writeFileAtomically(link, "new"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(contents(target), QByteArray("new"));
}

// A pipe given as the output (or a link to one) gets the bytes and stays a pipe; replacing it with
// a regular file is what turned /dev/null into a file for a user running as root.
void TestAtomicFile::specialFilesAreWrittenThroughNeverReplaced()
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    const QString link = dir.filePath(QStringLiteral("link-to-pipe"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(QFile::link(fifo, link));
    // A reader is waiting, so opening the write end does not block.
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    const auto closeReader = qScopeGuard([reader] { ::close(reader); });
    for (const QString& path : {fifo, link}) {
        const QByteArray bytes = "PNG bytes for " + path.toUtf8();
        QVERIFY(writeFileAtomically(path, bytes));
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QVERIFY(S_ISFIFO(info.st_mode));
        QByteArray received(bytes.size() + 16, '\0');
        QCOMPARE(::read(reader, received.data(), received.size()), ssize_t(bytes.size()));
        QCOMPARE(received.left(bytes.size()), bytes);
    }
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(entries(dir.path()), (QStringList{QStringLiteral("link-to-pipe"), QStringLiteral("pipe")}));
}

void TestAtomicFile::failuresLeaveNothingBehind_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::newRow("missing folder") << QStringLiteral("missing/shot.png");
    QTest::newRow("folder is a file") << QStringLiteral("plain/shot.png");
    QTest::newRow("target is a folder") << QStringLiteral("sub");
    QTest::newRow("no name") << QString();
}

void TestAtomicFile::failuresLeaveNothingBehind()
{
    QFETCH(QString, relativePath);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    QVERIFY(writeFileAtomically(dir.filePath(QStringLiteral("plain")), "x"));
    const QStringList before = entries(dir.path());

    const QString path = relativePath.isEmpty() ? QString() : dir.filePath(relativePath);
    const WriteResult result = writeFileAtomically(path, "bytes");
    QVERIFY(!result);
    QVERIFY(!result.errorMessage.isEmpty());
    if (!path.isEmpty())
        QVERIFY2(result.errorMessage.contains(QDir::toNativeSeparators(QFileInfo(path).absolutePath())),
                 qPrintable(result.errorMessage));
    QCOMPARE(entries(dir.path()), before);
    QCOMPARE(entries(dir.filePath(QStringLiteral("sub"))), QStringList());
}

void TestAtomicFile::readOnlyFolderFails()
{
    if (::geteuid() == 0)
        QSKIP("root writes into read-only folders");
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("locked"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
    QVERIFY(writeFileAtomically(folder + QStringLiteral("/existing.png"), "old"));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));

    const WriteResult fresh = writeFileAtomically(folder + QStringLiteral("/new.png"), "bytes");
    const WriteResult replaced = writeFileAtomically(folder + QStringLiteral("/existing.png"), "new");
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(!fresh);
    QVERIFY(!fresh.errorMessage.isEmpty());
    QVERIFY(!replaced);
    QCOMPARE(entries(folder), QStringList{QStringLiteral("existing.png")});
    QCOMPARE(contents(folder + QStringLiteral("/existing.png")), QByteArray("old"));
}

void TestAtomicFile::writesPngFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shot.png"));
    const QImage image = test::solidImage(40, 30, QColor(20, 120, 220), 2.0);
    const WriteResult result = writePngAtomically(path, image);
    QVERIFY2(result, qPrintable(result.errorMessage));
    QImageReader reader(path);
    const QImage read = reader.read();
    QCOMPARE(read.size(), QSize(80, 60));
    QCOMPARE(read.pixel(79, 59), qRgb(20, 120, 220));

    const WriteResult nothing = writePngAtomically(dir.filePath(QStringLiteral("none.png")), QImage());
    QVERIFY(!nothing);
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("shot.png")});
}

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
