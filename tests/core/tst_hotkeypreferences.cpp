#include "preferences/HotkeyPreferences.h"
#include "preferences/SettingsStore.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace velmora;
using Action = HotkeyPreferences::Action;

Q_DECLARE_METATYPE(std::optional<velmora::Hotkey>)

namespace {

constexpr quint64 commandShift = Hotkey::command | Hotkey::shift;

// Everything a fresh process would load from the settings file at this path.
HotkeyPreferences::Hotkeys relaunch(const QString& path)
{
    FileSettingsStore store(path);
    return HotkeyPreferences(store).hotkeys();
}

void writeIni(const QString& path, const QByteArray& lines)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[General]\n" + lines);
}

} // namespace

class TestHotkeyPreferences : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();

    void freshInstallHasTheDefaults();
    void clearedShortcutSurvivesRelaunchUntilReset();
    void setStoresJsonAndSurvivesRelaunch();
    void duplicateShortcutsAreAccepted();
    void unencodableShortcutLoadsAsCleared();
    void unreadableDataLoadsAsCleared_data();
    void unreadableDataLoadsAsCleared();
    void unreadableFlagMeansDefault_data();
    void unreadableFlagMeansDefault();

    void actionsAndTheirLists();
    void displayString_data();
    void displayString();
    void keyTablesHaveTheirSizes();
    void jsonReadingIgnoresMemberOrder();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void TestHotkeyPreferences::init()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("Velmora.conf"));
    QFile::remove(m_path);
}

void TestHotkeyPreferences::freshInstallHasTheDefaults()
{
    FileSettingsStore store(m_path);
    const HotkeyPreferences preferences(store);

    const HotkeyPreferences::Hotkeys expected{
        {Action::window, Hotkey{18, commandShift}},
        {Action::region, Hotkey{19, commandShift}},
        {Action::fullScreen, std::nullopt},
        {Action::ocr, Hotkey{20, commandShift}},
        {Action::colorCapture, std::nullopt},
        {Action::scrollingCapture, std::nullopt},
        {Action::saveToDisk, Hotkey{1, Hotkey::command}},
    };
    QVERIFY(preferences.hotkeys() == expected);
    QCOMPARE(preferences.hotkeyInForce(Action::region)->displayString(), QStringLiteral("Ctrl+Shift+2"));
    QCOMPARE(preferences.hotkeyInForce(Action::saveToDisk)->displayString(), QStringLiteral("Ctrl+S"));
    QCOMPARE(preferences.hotkeyInForce(Action::saveToDisk)->modifierRawValue, quint64(1048576));
    QCOMPARE(preferences.hotkeyInForce(Action::window)->modifierRawValue, quint64(1179648));
    // Loading writes nothing: the defaults stay defaults if they change in a later version.
    QVERIFY(!store.contains(QStringLiteral("hotkey.window")));
    QVERIFY(!store.contains(QStringLiteral("hotkey.window.overridden")));
}

void TestHotkeyPreferences::clearedShortcutSurvivesRelaunchUntilReset()
{
    {
        FileSettingsStore store(m_path);
        HotkeyPreferences preferences(store);
        QSignalSpy changed(&preferences, &HotkeyPreferences::hotkeysChanged);
        preferences.set(std::nullopt, Action::region);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(preferences.hotkeyInForce(Action::region), std::nullopt);
    }
    {
        FileSettingsStore store(m_path);
        HotkeyPreferences preferences(store);
        QCOMPARE(preferences.hotkeyInForce(Action::region), std::nullopt);
        QCOMPARE(store.boolean(QStringLiteral("hotkey.region.overridden")), std::optional<bool>(true));
        QVERIFY(!store.contains(QStringLiteral("hotkey.region")));
        QCOMPARE(preferences.hotkeyInForce(Action::window), Hotkey(18, commandShift));

        QSignalSpy changed(&preferences, &HotkeyPreferences::hotkeysChanged);
        preferences.reset(Action::region);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(preferences.hotkeyInForce(Action::region), Hotkey(19, commandShift));
    }
    FileSettingsStore store(m_path);
    QVERIFY(!store.contains(QStringLiteral("hotkey.region")));
    QVERIFY(!store.contains(QStringLiteral("hotkey.region.overridden")));
    QCOMPARE(relaunch(m_path).at(Action::region), Hotkey(19, commandShift));
}

void TestHotkeyPreferences::setStoresJsonAndSurvivesRelaunch()
{
    const Hotkey optionControlK{40, Hotkey::option | Hotkey::control};
    {
        FileSettingsStore store(m_path);
        HotkeyPreferences preferences(store);
        preferences.set(optionControlK, Action::fullScreen);
    }
    FileSettingsStore store(m_path);
    QCOMPARE(store.data(QStringLiteral("hotkey.fullScreen")),
             std::optional<QByteArray>(R"({"keyCode":40,"modifierRawValue":786432})"));
    QCOMPARE(store.boolean(QStringLiteral("hotkey.fullScreen.overridden")), std::optional<bool>(true));

    const HotkeyPreferences reloaded(store);
    QCOMPARE(reloaded.hotkeyInForce(Action::fullScreen), optionControlK);
    QCOMPARE(reloaded.hotkeyInForce(Action::fullScreen)->displayString(), QStringLiteral("Super+Alt+K"));
}

void TestHotkeyPreferences::duplicateShortcutsAreAccepted()
{
    {
        FileSettingsStore store(m_path);
        HotkeyPreferences preferences(store);
        preferences.set(preferences.hotkeyInForce(Action::window), Action::ocr);
    }
    const HotkeyPreferences::Hotkeys hotkeys = relaunch(m_path);
    QCOMPARE(hotkeys.at(Action::ocr), Hotkey(18, commandShift));
    QCOMPARE(hotkeys.at(Action::window), Hotkey(18, commandShift));
}

void TestHotkeyPreferences::unencodableShortcutLoadsAsCleared()
{
    const Hotkey odd{0, std::numeric_limits<quint64>::max()};
    {
        FileSettingsStore store(m_path);
        store.setValue(QStringLiteral("hotkey.window"), QByteArray(R"({"keyCode":0,"modifierRawValue":0})"));
        HotkeyPreferences preferences(store);
        preferences.set(odd, Action::window);
        // This run keeps what the user recorded.
        QCOMPARE(preferences.hotkeyInForce(Action::window), odd);
    }
    QCOMPARE(relaunch(m_path).at(Action::window), std::nullopt);
}

void TestHotkeyPreferences::unreadableDataLoadsAsCleared_data()
{
    QTest::addColumn<QByteArray>("dataLine");
    QTest::newRow("no data") << QByteArray();
    QTest::newRow("not json") << QByteArray("hotkey.window=@ByteArray(garbage)");
    QTest::newRow("empty") << QByteArray("hotkey.window=@ByteArray()");
    QTest::newRow("array") << QByteArray(R"ini(hotkey.window="@ByteArray([19,1179648])")ini");
    QTest::newRow("member missing") << QByteArray(R"ini(hotkey.window="@ByteArray({\"keyCode\":19})")ini");
    QTest::newRow("text member") << QByteArray(
        R"ini(hotkey.window="@ByteArray({\"keyCode\":\"19\",\"modifierRawValue\":0})")ini");
    QTest::newRow("fraction") << QByteArray(
        R"ini(hotkey.window="@ByteArray({\"keyCode\":19.5,\"modifierRawValue\":0})")ini");
    QTest::newRow("negative modifiers")
        << QByteArray(R"ini(hotkey.window="@ByteArray({\"keyCode\":19,\"modifierRawValue\":-1})")ini");
    QTest::newRow("plain text, not data") << QByteArray("hotkey.window=hello");
}

void TestHotkeyPreferences::unreadableDataLoadsAsCleared()
{
    QFETCH(QByteArray, dataLine);
    writeIni(m_path, "hotkey.window.overridden=true\n" + dataLine + "\n");
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));

    const HotkeyPreferences::Hotkeys hotkeys = relaunch(m_path);
    QCOMPARE(hotkeys.at(Action::window), std::nullopt);
    QCOMPARE(hotkeys.at(Action::region), Hotkey(19, commandShift));
}

void TestHotkeyPreferences::unreadableFlagMeansDefault_data()
{
    QTest::addColumn<QByteArray>("flagLine");
    QTest::addColumn<std::optional<Hotkey>>("expected");
    const QByteArray data =
        R"ini(hotkey.region="@ByteArray({\"modifierRawValue\":524288,\"keyCode\":40})")ini";
    const Hotkey stored{40, Hotkey::option};
    const Hotkey regionDefault{19, commandShift};

    QTest::newRow("true") << QByteArray("hotkey.region.overridden=true\n" + data) << std::optional(stored);
    QTest::newRow("false") << QByteArray("hotkey.region.overridden=false\n" + data)
                           << std::optional(regionDefault);
    QTest::newRow("maybe") << QByteArray("hotkey.region.overridden=maybe\n" + data)
                           << std::optional(regionDefault);
    QTest::newRow("a list") << QByteArray("hotkey.region.overridden=true, false\n" + data)
                            << std::optional(regionDefault);
    QTest::newRow("absent") << data << std::optional(regionDefault);
}

void TestHotkeyPreferences::unreadableFlagMeansDefault()
{
    QFETCH(QByteArray, flagLine);
    QFETCH(std::optional<Hotkey>, expected);
    writeIni(m_path, flagLine + "\n");
    QCOMPARE(relaunch(m_path).at(Action::region), expected);
}

void TestHotkeyPreferences::actionsAndTheirLists()
{
    for (Action action : allCases<Action>()) {
        QCOMPARE(fromRawValue<Action>(rawValue(action)), std::optional(action));
    }
    QCOMPARE(rawValue(Action::fullScreen), QStringLiteral("fullScreen"));
    QCOMPARE(fromRawValue<Action>(QStringLiteral("Region")), std::nullopt);
    QCOMPARE(fromRawValue<Action>(QString()), std::nullopt);

    const std::vector<Action> capture{Action::window, Action::region,       Action::fullScreen,
                                      Action::ocr,    Action::colorCapture, Action::scrollingCapture};
    QVERIFY(HotkeyPreferences::captureActions() == capture);
    QVERIFY(HotkeyPreferences::editorActions() == std::vector<Action>{Action::saveToDisk});
    QCOMPARE(HotkeyPreferences::title(Action::ocr), QStringLiteral("Capture Text (OCR)"));
    QCOMPARE(HotkeyPreferences::description(Action::colorCapture),
             QStringLiteral("Select a region and copy the center pixel's hex color to the clipboard."));
}

void TestHotkeyPreferences::displayString_data()
{
    QTest::addColumn<qint64>("keyCode");
    QTest::addColumn<quint64>("modifiers");
    QTest::addColumn<QString>("expected");

    QTest::newRow("window default") << qint64(18) << commandShift << QStringLiteral("Ctrl+Shift+1");
    QTest::newRow("ocr default") << qint64(20) << commandShift << QStringLiteral("Ctrl+Shift+3");
    QTest::newRow("option control K")
        << qint64(40) << (Hotkey::option | Hotkey::control) << QStringLiteral("Super+Alt+K");
    QTest::newRow("all four") << qint64(0) << Hotkey::modifierMask
                              << QStringLiteral("Super+Ctrl+Alt+Shift+A");
    QTest::newRow("return") << qint64(36) << Hotkey::command << QStringLiteral("Ctrl+\u21A9");
    QTest::newRow("space") << qint64(49) << Hotkey::control << QStringLiteral("Super+\u2423");
    QTest::newRow("escape") << qint64(53) << quint64(0) << QStringLiteral("\u238B");
    QTest::newRow("arrows") << qint64(123) << Hotkey::shift << QStringLiteral("Shift+\u2190");
    QTest::newRow("F12") << qint64(111) << Hotkey::command << QStringLiteral("Ctrl+F12");
    QTest::newRow("digit 5 is code 23") << qint64(23) << quint64(0) << QStringLiteral("5");
    QTest::newRow("unknown") << qint64(10) << quint64(0) << QStringLiteral("Key10");
    QTest::newRow("unknown large") << qint64(300) << Hotkey::command << QStringLiteral("Ctrl+Key300");
    // Caps lock and other bits outside the mask are not shown.
    QTest::newRow("caps lock bit") << qint64(1) << (Hotkey::command | 0x10000) << QStringLiteral("Ctrl+S");
}

void TestHotkeyPreferences::displayString()
{
    QFETCH(qint64, keyCode);
    QFETCH(quint64, modifiers);
    QFETCH(QString, expected);
    QCOMPARE((Hotkey{keyCode, modifiers}.displayString()), expected);
}

void TestHotkeyPreferences::keyTablesHaveTheirSizes()
{
    int named = 0;
    int equivalents = 0;
    for (qint64 code = -10; code < 400; ++code) {
        const QString name = Hotkey::keyName(code);
        if (name != QStringLiteral("Key%1").arg(code)) {
            ++named;
        }
        if (const auto key = Hotkey{code, 0}.keyEquivalentString()) {
            ++equivalents;
            QCOMPARE(key->size(), 1);
            QCOMPARE(*key, name.toLower());
        }
    }
    QCOMPARE(named, 68);
    QCOMPARE(equivalents, 47);
    QCOMPARE(Hotkey(1, Hotkey::command).keyEquivalentString(), std::optional(QStringLiteral("s")));
    QCOMPARE(Hotkey(36, Hotkey::command).keyEquivalentString(), std::nullopt);

    QCOMPARE(Hotkey(19, commandShift).keyCombination(),
             std::optional(QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_2)));
    QCOMPARE(Hotkey(40, Hotkey::option | Hotkey::control).keyCombination(),
             std::optional(QKeyCombination(Qt::AltModifier | Qt::MetaModifier, Qt::Key_K)));
    QCOMPARE(Hotkey(36, Hotkey::command).keyCombination(), std::nullopt);
}

void TestHotkeyPreferences::jsonReadingIgnoresMemberOrder()
{
    QCOMPARE(Hotkey::fromJson(R"({ "modifierRawValue": 1048576, "keyCode": 1 })"),
             std::optional(Hotkey(1, Hotkey::command)));
    QCOMPARE(Hotkey(19, commandShift).toJson(),
             std::optional<QByteArray>(R"({"keyCode":19,"modifierRawValue":1179648})"));
}

QTEST_GUILESS_MAIN(TestHotkeyPreferences)
#include "tst_hotkeypreferences.moc"
