#include "UpdateChecker.h"
#include "preferences/SettingsStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;
using Kind = UpdateChecker::Result::Kind;

Q_DECLARE_METATYPE(velmora::UpdateChecker::Result::Kind)

class TestUpdateChecker : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void comparesVersions_data();
    void comparesVersions();
    void readsTheFeed_data();
    void readsTheFeed();
};

void TestUpdateChecker::comparesVersions_data()
{
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<QString>("current");
    QTest::addColumn<bool>("newer");
    QTest::newRow("numbers, not text") << "1.10.0"
                                       << "1.9.3" << true;
    QTest::newRow("same") << "1.2.0"
                          << "1.2.0" << false;
    QTest::newRow("missing parts are zero") << "1.2"
                                            << "1.2.0" << false;
    QTest::newRow("older") << "0.9"
                           << "1.0" << false;
    QTest::newRow("patch") << "0.1.1"
                           << "0.1.0" << true;
}

void TestUpdateChecker::comparesVersions()
{
    QFETCH(QString, candidate);
    QFETCH(QString, current);
    QFETCH(bool, newer);
    QCOMPARE(UpdateChecker::isNewer(candidate, current), newer);
}

void TestUpdateChecker::readsTheFeed_data()
{
    QTest::addColumn<QByteArray>("feed"); // empty: no feed set; "missing": a file that is not there
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("page");
    QTest::newRow("no feed") << QByteArray() << Kind::noFeed << "Updates come from your package manager"
                             << "";
    QTest::newRow("newer") << QByteArray(R"({"version": "0.3.0", "url": "https://example.org/v0.3"})")
                           << Kind::available << "Velmora 0.3.0 is available"
                           << "https://example.org/v0.3";
    QTest::newRow("newer, page not on the web")
        << QByteArray(R"({"version": "0.3.0", "url": "file:///etc/passwd"})") << Kind::available
        << "Velmora 0.3.0 is available"
        << "";
    QTest::newRow("same") << QByteArray(R"({"version": "0.2.0"})") << Kind::upToDate
                          << "Velmora 0.2.0 is up to date"
                          << "";
    QTest::newRow("no version") << QByteArray(R"({"url": "https://example.org"})") << Kind::failed
                                << "Could not check for updates: the feed names no version"
                                << "";
    QTest::newRow("not JSON") << QByteArray("<html>") << Kind::failed
                              << "Could not check for updates: the feed names no version"
                              << "";
    QTest::newRow("unreachable") << QByteArray("missing") << Kind::failed << "Could not check for updates"
                                 << "";
}

void TestUpdateChecker::readsTheFeed()
{
    QFETCH(QByteArray, feed);
    QFETCH(Kind, kind);
    QFETCH(QString, message);
    QFETCH(QString, page);
    QTemporaryDir dir;
    MemorySettingsStore settings;
    const QString path = dir.filePath(QStringLiteral("feed.json"));
    if (!feed.isEmpty()) {
        settings.setValue(UpdateChecker::feedKey(), QUrl::fromLocalFile(path).toString());
    }
    if (!feed.isEmpty() && feed != "missing") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(feed);
    }
    UpdateChecker checker(settings, QStringLiteral("0.2.0"));
    std::optional<UpdateChecker::Result> result;
    checker.check([&result](const UpdateChecker::Result& r) { result = r; });
    QTRY_VERIFY(result);
    QCOMPARE(result->kind, kind);
    QVERIFY2(result->message.startsWith(message), qPrintable(result->message));
    QCOMPARE(result->page.toString(), page);
}

QTEST_GUILESS_MAIN(TestUpdateChecker)
#include "tst_updatechecker.moc"
