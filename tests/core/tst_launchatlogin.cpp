#include "preferences/LaunchAtLogin.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace velmora;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& contents,
               QIODevice::OpenMode mode = QIODevice::WriteOnly)
{
    QFile file(path);
    return file.open(mode) && file.write(contents) == contents.size();
}

ino_t inode(const QString& path)
{
    struct stat info
    {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

class TestLaunchAtLogin : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();

    void enablingWritesTheEntryAndDisablingRemovesIt();
    void switchedOffEntryCountsAsDisabled_data();
    void switchedOffEntryCountsAsDisabled();
    void execLineIsQuoted_data();
    void execLineIsQuoted();
    void failureIsLogged();

private:
    QTemporaryDir m_dir;
    QString m_autostart;
};

void TestLaunchAtLogin::init()
{
    QVERIFY(m_dir.isValid());
    m_autostart = m_dir.filePath(QStringLiteral("config/autostart"));
    QDir(m_dir.filePath(QStringLiteral("config"))).removeRecursively();
}

void TestLaunchAtLogin::enablingWritesTheEntryAndDisablingRemovesIt()
{
    LaunchAtLogin login(m_autostart, QStringLiteral("/usr/bin/velmora"));
    QVERIFY(!login.isEnabled());
    QVERIFY(login.setEnabled(false));
    QVERIFY(!QFile::exists(m_autostart)); // nothing to undo, nothing created
    QVERIFY(login.setEnabled(true));
    QVERIFY(login.isEnabled());

    QCOMPARE(login.entryPath(), m_autostart + QStringLiteral("/velmora.desktop"));
    QCOMPARE(readAll(login.entryPath()),
             QByteArray("[Desktop Entry]\n"
                        "Type=Application\n"
                        "Name=Velmora\n"
                        "Comment=A lightweight tray app for capturing screenshots with built-in annotation.\n"
                        "Exec=/usr/bin/velmora\n"
                        "Icon=io.velmora.Velmora\n"
                        "X-GNOME-Autostart-enabled=true\n"));
    // Nothing but the entry: no temporary file left behind.
    QCOMPARE(QDir(m_autostart).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("velmora.desktop")});

    // Enabling again leaves an entry that is already on (and what the user added to it) alone.
    QVERIFY(writeFile(login.entryPath(), "# kept\n", QIODevice::Append));
    const ino_t before = inode(login.entryPath());
    QVERIFY(login.setEnabled(true));
    QVERIFY(readAll(login.entryPath()).endsWith("# kept\n"));
    QCOMPARE(inode(login.entryPath()), before);

    QVERIFY(login.setEnabled(false));
    QVERIFY(!login.isEnabled());
    QVERIFY(!QFile::exists(login.entryPath()));
}

void TestLaunchAtLogin::switchedOffEntryCountsAsDisabled_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("hidden") << QByteArray("Hidden=true") << false;
    QTest::newRow("hidden, spaced") << QByteArray("Hidden = true") << false;
    QTest::newRow("switched off in GNOME") << QByteArray("X-GNOME-Autostart-enabled=false") << false;
    QTest::newRow("not hidden") << QByteArray("Hidden=false") << true;
    QTest::newRow("comment") << QByteArray("# Hidden=true") << true;
    QTest::newRow("other group") << QByteArray("[Desktop Action Shot]\nHidden=true") << true;
}

void TestLaunchAtLogin::switchedOffEntryCountsAsDisabled()
{
    QFETCH(QByteArray, lines);
    QFETCH(bool, enabled);
    LaunchAtLogin login(m_autostart, QStringLiteral("/usr/bin/velmora"));
    QVERIFY(QDir().mkpath(m_autostart));
    QVERIFY(writeFile(login.entryPath(), "[Desktop Entry]\nType=Application\nExec=velmora\n" + lines + "\n"));
    QCOMPARE(login.isEnabled(), enabled);

    // Turning it on replaces a switched-off entry with ours.
    QVERIFY(login.setEnabled(true));
    QVERIFY(login.isEnabled());
    QCOMPARE(readAll(login.entryPath()).contains("Exec=/usr/bin/velmora\n"), !enabled);
}

void TestLaunchAtLogin::execLineIsQuoted_data()
{
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QByteArray>("execLine");
    QTest::newRow("plain") << QStringLiteral("/opt/velmora/bin/velmora")
                           << QByteArray("Exec=/opt/velmora/bin/velmora");
    QTest::newRow("space") << QStringLiteral("/home/me/My Apps/velmora")
                           << QByteArray(R"(Exec="/home/me/My Apps/velmora")");
    QTest::newRow("dollar") << QStringLiteral("/opt/a$b/velmora")
                            << QByteArray(R"(Exec="/opt/a\\$b/velmora")");
    QTest::newRow("quote") << QStringLiteral("/opt/a\"b/velmora")
                           << QByteArray(R"(Exec="/opt/a\\"b/velmora")");
    QTest::newRow("backslash") << QStringLiteral("/opt/a\\b/velmora")
                               << QByteArray(R"(Exec="/opt/a\\\\b/velmora")");
    QTest::newRow("percent") << QStringLiteral("/opt/100%/velmora") << QByteArray("Exec=/opt/100%%/velmora");
    QTest::newRow("non-ASCII") << QStringLiteral("/opt/Välmora/velmora")
                               << QStringLiteral("Exec=/opt/Välmora/velmora").toUtf8();
}

void TestLaunchAtLogin::execLineIsQuoted()
{
    QFETCH(QString, executable);
    QFETCH(QByteArray, execLine);
    const QList<QByteArray> lines = LaunchAtLogin::desktopEntry(executable).split('\n');
    QVERIFY2(lines.contains(execLine), LaunchAtLogin::desktopEntry(executable).constData());
}

void TestLaunchAtLogin::failureIsLogged()
{
    // The autostart "folder" is a file: the entry cannot be written.
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("config"))));
    QVERIFY(writeFile(m_autostart, "not a folder"));
    LaunchAtLogin login(m_autostart, QStringLiteral("/usr/bin/velmora"));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                           "^\\[Velmora\\] LaunchAtLogin toggle failed: \\S.*$")));
    QVERIFY(!login.setEnabled(true));
    QVERIFY(!login.isEnabled());
    QCOMPARE(readAll(m_autostart), QByteArray("not a folder"));
}

QTEST_GUILESS_MAIN(TestLaunchAtLogin)
#include "tst_launchatlogin.moc"
