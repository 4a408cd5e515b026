#include "preferences/SettingsStore.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

class TestSettingsStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void typedReadsSurviveTheFile();
    void wrongTypesGiveNothing_data();
    void wrongTypesGiveNothing();
};

void TestSettingsStore::typedReadsSurviveTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Velmora.conf"));
    {
        FileSettingsStore store(path);
        store.setValue(QStringLiteral("region.contentPadding"), 62.5);
        store.setValue(QStringLiteral("hotkey.region.overridden"), true);
        store.setValue(QStringLiteral("hotkey.region"), QByteArray(R"({"keyCode":19})"));
        store.setValue(QStringLiteral("appearance"), QStringLiteral("dark"));
        store.sync();
    }
    FileSettingsStore reread(path);
    QCOMPARE(reread.number(QStringLiteral("region.contentPadding")), std::optional<double>(62.5));
    QCOMPARE(reread.boolean(QStringLiteral("hotkey.region.overridden")), std::optional<bool>(true));
    QCOMPARE(reread.data(QStringLiteral("hotkey.region")), std::optional<QByteArray>(R"({"keyCode":19})"));
    QCOMPARE(reread.string(QStringLiteral("appearance")), std::optional<QString>(QStringLiteral("dark")));
    QVERIFY(!reread.number(QStringLiteral("missing")));
}

void TestSettingsStore::wrongTypesGiveNothing_data()
{
    QTest::addColumn<QString>("iniLine");
    QTest::newRow("text for a number") << QStringLiteral("n=abc");
    QTest::newRow("infinite number") << QStringLiteral("n=inf");
    QTest::newRow("empty") << QStringLiteral("n=");
}

void TestSettingsStore::wrongTypesGiveNothing()
{
    QFETCH(QString, iniLine);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Velmora.conf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[General]\n" + iniLine.toUtf8() + "\nb=maybe\n");
    file.close();
    FileSettingsStore store(path);
    QVERIFY(!store.number(QStringLiteral("n")));
    QVERIFY(!store.boolean(QStringLiteral("b")));
    QVERIFY(!store.data(QStringLiteral("b")));
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
