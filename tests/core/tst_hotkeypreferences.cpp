#include "preferences/HotkeyPreferences.h"
#include "preferences/SettingsStore.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
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

} // namespace

class TestHotkeyPreferences : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();

    void freshInstallHasTheDefaults();
    void clearedShortcutSurvivesRelaunchUntilReset();
    void setStoresJsonAndSurvivesRelaunch();
    void unreadableValuesOnRelaunch_data();
    void unreadableValuesOnRelaunch();

    void actionsAndTheirLists();
    void displayString_data();
    void displayString();
    void keyEquivalentsCombinationsAndJson();

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
    QCOMPARE(preferences.hotkeyInForce(Action::region), (Hotkey{19, commandShift}));
    QCOMPARE(preferences.hotkeyInForce(Action::saveToDisk), (Hotkey{1, Hotkey::command}));
    QCOMPARE(preferences.hotkeyInForce(Action::fullScreen), std::nullopt);
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

        QSignalSpy changed(&preferences, &HotkeyPreferences::hotkeysChanged);
        preferences.reset(Action::region);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(preferences.hotkeyInForce(Action::region), (Hotkey{19, commandShift}));
    }
    FileSettingsStore store(m_path);
    QVERIFY(!store.contains(QStringLiteral("hotkey.region")));
    QVERIFY(!store.contains(QStringLiteral("hotkey.region.overridden")));
    QCOMPARE(relaunch(m_path).at(Action::region), (Hotkey{19, commandShift}));
}

// Duplicates are accepted; a shortcut JSON cannot hold is kept for this run and loads as cleared.
void TestHotkeyPreferences::setStoresJsonAndSurvivesRelaunch()
{
    const Hotkey optionControlK{40, Hotkey::option | Hotkey::control};
    const Hotkey odd{0, std::numeric_limits<quint64>::max()};
    {
        FileSettingsStore store(m_path);
        store.setValue(QStringLiteral("hotkey.window"), QByteArray(R"({"keyCode":0,"modifierRawValue":0})"));
        HotkeyPreferences preferences(store);
        preferences.set(optionControlK, Action::fullScreen);
        preferences.set(preferences.hotkeyInForce(Action::window), Action::ocr);
        preferences.set(odd, Action::window);
        QCOMPARE(preferences.hotkeyInForce(Action::window), odd);
    }
    FileSettingsStore store(m_path);
    QCOMPARE(store.data(QStringLiteral("hotkey.fullScreen")),
             std::optional<QByteArray>(R"({"keyCode":40,"modifierRawValue":786432})"));
    QCOMPARE(store.boolean(QStringLiteral("hotkey.fullScreen.overridden")), std::optional<bool>(true));
    const HotkeyPreferences::Hotkeys hotkeys = HotkeyPreferences(store).hotkeys();
    QCOMPARE(hotkeys.at(Action::fullScreen), optionControlK);
    QCOMPARE(hotkeys.at(Action::ocr), (Hotkey{18, commandShift}));
    QCOMPARE(hotkeys.at(Action::window), std::nullopt);
}

// Unreadable data under a set flag loads as cleared; an unreadable flag means the default.
void TestHotkeyPreferences::unreadableValuesOnRelaunch_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<std::optional<Hotkey>>("window");
    QTest::addColumn<std::optional<Hotkey>>("region");
    const std::optional<Hotkey> windowDefault = Hotkey{18, commandShift},
                                regionDefault = Hotkey{19, commandShift};
    const std::pair<const char*, QByteArray> data[] = {
        {"no data", ""},
        {"plain text, not data", "hotkey.window=hello"},
        {"not json", "hotkey.window=@ByteArray(garbage)"},
        {"empty", "hotkey.window=@ByteArray()"},
        {"array", R"ini(hotkey.window="@ByteArray([19,1179648])")ini"},
        {"member missing", R"ini(hotkey.window="@ByteArray({\"keyCode\":19})")ini"},
        {"text member", R"ini(hotkey.window="@ByteArray({\"keyCode\":\"19\",\"modifierRawValue\":0})")ini"},
        {"fraction", R"ini(hotkey.window="@ByteArray({\"keyCode\":19.5,\"modifierRawValue\":0})")ini"},
        {"negative modifiers",
         R"ini(hotkey.window="@ByteArray({\"keyCode\":19,\"modifierRawValue\":-1})")ini"},
    };
    for (const auto& [name, line] : data)
        QTest::newRow(name) << "hotkey.window.overridden=true\n" + line << std::optional<Hotkey>()
                            << regionDefault;

    const QByteArray region =
        R"ini(hotkey.region="@ByteArray({\"modifierRawValue\":524288,\"keyCode\":40})")ini";
    QTest::newRow("flag true") << "hotkey.region.overridden=true\n" + region << windowDefault
                               << std::optional(Hotkey{40, Hotkey::option});
    for (const char* flag : {"false", "maybe", "true, false"})
        QTest::newRow(flag) << "hotkey.region.overridden=" + QByteArray(flag) + "\n" + region << windowDefault
                            << regionDefault;
    QTest::newRow("flag absent") << region << windowDefault << regionDefault;
}

void TestHotkeyPreferences::unreadableValuesOnRelaunch()
{
    QFETCH(QByteArray, lines);
    QFETCH(std::optional<Hotkey>, window);
    QFETCH(std::optional<Hotkey>, region);
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[General]\n" + lines + "\n");
    file.close();
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    const HotkeyPreferences::Hotkeys hotkeys = relaunch(m_path);
    QCOMPARE(hotkeys.at(Action::window), window);
    QCOMPARE(hotkeys.at(Action::region), region);
}

void TestHotkeyPreferences::actionsAndTheirLists()
{
    for (Action action : allCases<Action>())
        QCOMPARE(fromRawValue<Action>(rawValue(action)), std::optional(action));
    QCOMPARE(rawValue(Action::fullScreen), QStringLiteral("fullScreen"));
    QCOMPARE(fromRawValue<Action>(QStringLiteral("Region")), std::nullopt);
    QCOMPARE(fromRawValue<Action>(QString()), std::nullopt);
    // Every action is offered in exactly one of the two lists.
    for (Action action : allCases<Action>()) {
        const auto count = [action](const std::vector<Action>& list) {
            return std::count(list.begin(), list.end(), action);
        };
        QCOMPARE(count(HotkeyPreferences::captureActions()) + count(HotkeyPreferences::editorActions()), 1);
    }
}

void TestHotkeyPreferences::displayString_data()
{
    QTest::addColumn<qint64>("keyCode");
    QTest::addColumn<quint64>("modifiers");
    QTest::addColumn<QString>("expected");
    QTest::newRow("digit 1") << qint64(18) << commandShift << QStringLiteral("Ctrl+Shift+1");
    QTest::newRow("letter K") << qint64(40) << quint64(Hotkey::option | Hotkey::control)
                              << QStringLiteral("Super+Alt+K");
    QTest::newRow("every modifier") << qint64(0) << quint64(Hotkey::modifierMask)
                                    << QStringLiteral("Super+Ctrl+Alt+Shift+A");
    QTest::newRow("return") << qint64(36) << quint64(Hotkey::command) << QStringLiteral("Ctrl+\u21A9");
    QTest::newRow("escape") << qint64(53) << quint64(0) << QStringLiteral("\u238B");
    QTest::newRow("left arrow") << qint64(123) << quint64(Hotkey::shift) << QStringLiteral("Shift+\u2190");
    QTest::newRow("F12") << qint64(111) << quint64(Hotkey::command) << QStringLiteral("Ctrl+F12");
    QTest::newRow("digit 5 is code 23") << qint64(23) << quint64(0) << QStringLiteral("5");
    QTest::newRow("unnamed key") << qint64(10) << quint64(0) << QStringLiteral("Key10");
    QTest::newRow("code beyond the table")
        << qint64(300) << quint64(Hotkey::command) << QStringLiteral("Ctrl+Key300");
    QTest::newRow("caps lock and other bits are not shown")
        << qint64(1) << quint64(Hotkey::command | 0x10000) << QStringLiteral("Ctrl+S");
}

void TestHotkeyPreferences::displayString()
{
    QFETCH(qint64, keyCode);
    QFETCH(quint64, modifiers);
    QFETCH(QString, expected);
    QCOMPARE((Hotkey{keyCode, modifiers}.displayString()), expected);
}

void TestHotkeyPreferences::keyEquivalentsCombinationsAndJson()
{
    // A key equivalent is the key's name in lower case, and only single characters have one.
    for (qint64 code = -10; code < 400; ++code) {
        if (const auto key = Hotkey{code, 0}.keyEquivalentString()) {
            QCOMPARE(key->size(), 1);
            QCOMPARE(*key, Hotkey::keyName(code).toLower());
        }
    }
    QCOMPARE((Hotkey{1, Hotkey::command}.keyEquivalentString()), std::optional(QStringLiteral("s")));
    QCOMPARE((Hotkey{36, Hotkey::command}.keyEquivalentString()), std::nullopt);

    QCOMPARE((Hotkey{19, commandShift}.keyCombination()),
             std::optional(QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_2)));
    QCOMPARE((Hotkey{40, Hotkey::option | Hotkey::control}.keyCombination()),
             std::optional(QKeyCombination(Qt::AltModifier | Qt::MetaModifier, Qt::Key_K)));
    QCOMPARE((Hotkey{36, Hotkey::command}.keyCombination()), std::nullopt);
    // JSON members may come in any order.
    QCOMPARE(Hotkey::fromJson(R"({ "modifierRawValue": 1048576, "keyCode": 1 })"),
             std::optional(Hotkey{1, Hotkey::command}));
}

QTEST_GUILESS_MAIN(TestHotkeyPreferences)
#include "tst_hotkeypreferences.moc"
