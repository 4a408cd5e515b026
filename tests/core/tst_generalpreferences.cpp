#include "preferences/GeneralPreferences.h"
#include "preferences/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

class TestGeneralPreferences : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();

    void firstRunUsesTheDefaults();
    void chosenFolderSurvivesRelaunchUntilReset();
    void unusableStoredFolderFallsBack_data();
    void unusableStoredFolderFallsBack();
    void storedAppearance_data();
    void storedAppearance();
    void appearanceChangesArePersistedAndSignalled();
    void defaultFolderPrefersDownloads();

private:
    QString folder(const QString& name) const;

    QTemporaryDir m_dir;
    QString m_path;
    QString m_downloads;
};

QString TestGeneralPreferences::folder(const QString& name) const
{
    const QString path = m_dir.filePath(name);
    QDir().mkpath(path);
    return path;
}

void TestGeneralPreferences::init()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("Velmora.conf"));
    QFile::remove(m_path);
    m_downloads = folder(QStringLiteral("Downloads"));
}

void TestGeneralPreferences::firstRunUsesTheDefaults()
{
    FileSettingsStore store(m_path);
    const GeneralPreferences preferences(store, m_downloads);
    QCOMPARE(preferences.saveLocation(), m_downloads);
    QCOMPARE(preferences.appearance(), AppAppearance::system);
    QVERIFY(!store.contains(QStringLiteral("saveLocation")));
    QVERIFY(!store.contains(QStringLiteral("appearance")));
}

void TestGeneralPreferences::chosenFolderSurvivesRelaunchUntilReset()
{
    const QString chosen = folder(QStringLiteral("Shots and more"));
    {
        FileSettingsStore store(m_path);
        GeneralPreferences preferences(store, m_downloads);
        QSignalSpy changed(&preferences, &GeneralPreferences::saveLocationChanged);
        preferences.setSaveLocation(chosen + QStringLiteral("/"));
        QCOMPARE(preferences.saveLocation(), chosen);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toString(), chosen);
    }
    {
        FileSettingsStore store(m_path);
        QCOMPARE(store.string(QStringLiteral("saveLocation")), std::optional(chosen));
        GeneralPreferences preferences(store, m_downloads);
        QCOMPARE(preferences.saveLocation(), chosen);
        QSignalSpy changed(&preferences, &GeneralPreferences::saveLocationChanged);
        preferences.resetSaveLocationToDefault();
        QCOMPARE(preferences.saveLocation(), m_downloads);
        QCOMPARE(changed.count(), 1);
    }
    FileSettingsStore store(m_path);
    QVERIFY(!store.contains(QStringLiteral("saveLocation")));
    QCOMPARE(GeneralPreferences(store, m_downloads).saveLocation(), m_downloads);
}

void TestGeneralPreferences::unusableStoredFolderFallsBack_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("missing folder") << m_dir.filePath(QStringLiteral("gone"));
    QTest::newRow("a file") << m_dir.filePath(QStringLiteral("file.png"));
    QTest::newRow("relative") << QStringLiteral("Downloads");
    QTest::newRow("empty") << QString();
}

void TestGeneralPreferences::unusableStoredFolderFallsBack()
{
    QFETCH(QString, stored);
    QFile file(m_dir.filePath(QStringLiteral("file.png")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    {
        FileSettingsStore store(m_path);
        store.setValue(QStringLiteral("saveLocation"), stored);
    }
    FileSettingsStore store(m_path);
    QCOMPARE(GeneralPreferences(store, m_downloads).saveLocation(), m_downloads);
}

void TestGeneralPreferences::storedAppearance_data()
{
    QTest::addColumn<QByteArray>("iniLine");
    QTest::addColumn<AppAppearance>("expected");
    QTest::newRow("dark") << QByteArray("appearance=dark") << AppAppearance::dark;
    QTest::newRow("light") << QByteArray("appearance=light") << AppAppearance::light;
    QTest::newRow("system") << QByteArray("appearance=system") << AppAppearance::system;
    QTest::newRow("capitalised") << QByteArray("appearance=Dark") << AppAppearance::system;
    QTest::newRow("unknown") << QByteArray("appearance=sepia") << AppAppearance::system;
    QTest::newRow("a list") << QByteArray("appearance=dark, light") << AppAppearance::system;
    QTest::newRow("absent") << QByteArray() << AppAppearance::system;
}

void TestGeneralPreferences::storedAppearance()
{
    QFETCH(QByteArray, iniLine);
    QFETCH(AppAppearance, expected);
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[General]\n" + iniLine + "\n");
    file.close();

    FileSettingsStore store(m_path);
    QCOMPARE(GeneralPreferences(store, m_downloads).appearance(), expected);
}

void TestGeneralPreferences::appearanceChangesArePersistedAndSignalled()
{
    {
        FileSettingsStore store(m_path);
        GeneralPreferences preferences(store, m_downloads);
        QSignalSpy changed(&preferences, &GeneralPreferences::appearanceChanged);
        preferences.setAppearance(AppAppearance::dark);
        preferences.setAppearance(AppAppearance::dark);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).value<AppAppearance>(), AppAppearance::dark);
    }
    FileSettingsStore store(m_path);
    QCOMPARE(store.string(QStringLiteral("appearance")), std::optional(QStringLiteral("dark")));
    QCOMPARE(GeneralPreferences(store, m_downloads).appearance(), AppAppearance::dark);
    QCOMPARE(displayName(AppAppearance::dark), QStringLiteral("Dark"));
}

void TestGeneralPreferences::defaultFolderPrefersDownloads()
{
    // A home of our own, with the desktop's download folder configured as "Dl".
    const QString home = folder(QStringLiteral("home"));
    const QByteArray savedHome = qgetenv("HOME");
    const std::optional<QByteArray> savedConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME")
                                                      ? std::optional(qgetenv("XDG_CONFIG_HOME"))
                                                      : std::nullopt;
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toUtf8());
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", savedHome);
        savedConfig ? qputenv("XDG_CONFIG_HOME", *savedConfig) : qunsetenv("XDG_CONFIG_HOME");
    });
    QDir().mkpath(home + QStringLiteral("/.config"));
    QFile dirs(home + QStringLiteral("/.config/user-dirs.dirs"));
    QVERIFY(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DOWNLOAD_DIR=\"$HOME/Dl\"\nXDG_PICTURES_DIR=\"$HOME/Pics\"\n");
    dirs.close();

    // Without a download folder: the pictures folder, then home; never the shared /tmp.
    QCOMPARE(GeneralPreferences::defaultSaveLocation(), home);
    QVERIFY(QDir().mkpath(home + QStringLiteral("/Pics")));
    QCOMPARE(GeneralPreferences::defaultSaveLocation(), home + QStringLiteral("/Pics"));
    QVERIFY(QDir().mkpath(home + QStringLiteral("/Downloads")));
    QCOMPARE(GeneralPreferences::defaultSaveLocation(), home + QStringLiteral("/Downloads"));
    QVERIFY(QDir().mkpath(home + QStringLiteral("/Dl")));
    QCOMPARE(GeneralPreferences::defaultSaveLocation(), home + QStringLiteral("/Dl"));
}

QTEST_GUILESS_MAIN(TestGeneralPreferences)
#include "tst_generalpreferences.moc"
