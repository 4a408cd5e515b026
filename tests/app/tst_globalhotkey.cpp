#include "GlobalHotKey.h"
#include "GlobalShortcuts.h"
#include "preferences/SettingsStore.h"

#include <QSignalSpy>
#include <QTest>

using namespace velmora;
using Action = HotkeyPreferences::Action;

namespace {

// A desktop where some combinations belong to another program.
class FakeShortcuts final : public GlobalShortcuts
{
public:
    QList<Hotkey> grab(const QList<Hotkey>& hotkeys) override
    {
        grabs.append(hotkeys);
        QList<Hotkey> refused;
        for (const Hotkey& hotkey : hotkeys) {
            if (heldElsewhere.contains(hotkey)) {
                refused.append(hotkey);
            }
        }
        return refused;
    }
    QList<QList<Hotkey>> grabs;
    QList<Hotkey> heldElsewhere;
};

constexpr quint64 ctrlShift = Hotkey::command | Hotkey::shift;
const Hotkey ctrlShift1{18, ctrlShift};
const Hotkey ctrlShift2{19, ctrlShift};
const Hotkey ctrlShift3{20, ctrlShift};
const Hotkey ctrlS{1, Hotkey::command};
const Hotkey superK{40, Hotkey::control};

struct Fixture
{
    MemorySettingsStore settings;
    HotkeyPreferences preferences{settings};
    FakeShortcuts shortcuts;
    QStringList ran;
    GlobalHotKey hotKey{preferences, shortcuts,
                        GlobalHotKey::Callbacks{[this] { ran.append(QStringLiteral("region")); },
                                                [this] { ran.append(QStringLiteral("window")); },
                                                [this] { ran.append(QStringLiteral("ocr")); },
                                                [this] { ran.append(QStringLiteral("color")); },
                                                [this] { ran.append(QStringLiteral("full")); },
                                                [this] { ran.append(QStringLiteral("scroll")); }}};
};

} // namespace

class TestGlobalHotKey : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void takesTheCaptureShortcutsInForce();
    void aPressRunsTheFirstActionHoldingIt();
    void changesAreTakenAtOnce();
    void aCombinationHeldElsewhereIsReportedOnce();
};

void TestGlobalHotKey::takesTheCaptureShortcutsInForce()
{
    Fixture f;
    f.preferences.set(ctrlShift3, Action::window); // the same as the text shortcut: taken once
    f.preferences.set(superK, Action::scrollingCapture);
    f.preferences.set(std::nullopt, Action::region);
    QVERIFY(f.hotKey.start());
    // Case order, no duplicates, nothing for a cleared shortcut, never the editor's save.
    QCOMPARE(f.shortcuts.grabs, (QList<QList<Hotkey>>{{ctrlShift3, superK}}));
    QVERIFY(!f.shortcuts.grabs.constFirst().contains(ctrlS));
    f.hotKey.stop();
    QCOMPARE(f.shortcuts.grabs.last(), QList<Hotkey>{});
}

void TestGlobalHotKey::aPressRunsTheFirstActionHoldingIt()
{
    Fixture f;
    f.preferences.set(ctrlShift3, Action::window);
    QVERIFY(f.hotKey.start());
    Q_EMIT f.shortcuts.pressed(ctrlShift3);
    // Matched now, run on the next turn of the event loop.
    QVERIFY(f.ran.isEmpty());
    QTRY_COMPARE(f.ran, QStringList{QStringLiteral("window")});
    Q_EMIT f.shortcuts.pressed(ctrlShift2);
    Q_EMIT f.shortcuts.pressed(ctrlShift2); // auto-repeat runs it again
    QTRY_COMPARE(f.ran,
                 (QStringList{QStringLiteral("window"), QStringLiteral("region"), QStringLiteral("region")}));
    // A combination no action holds (any more) does nothing.
    Q_EMIT f.shortcuts.pressed(ctrlS);
    QTest::qWait(20);
    QCOMPARE(f.ran.size(), 3);
}

void TestGlobalHotKey::changesAreTakenAtOnce()
{
    Fixture f;
    QVERIFY(f.hotKey.start());
    QCOMPARE(f.shortcuts.grabs.last(), (QList<Hotkey>{ctrlShift1, ctrlShift2, ctrlShift3}));
    f.preferences.set(superK, Action::colorCapture);
    QCOMPARE(f.shortcuts.grabs.last(), (QList<Hotkey>{ctrlShift1, ctrlShift2, ctrlShift3, superK}));
    f.preferences.reset(Action::colorCapture);
    QCOMPARE(f.shortcuts.grabs.last(), (QList<Hotkey>{ctrlShift1, ctrlShift2, ctrlShift3}));
    // Stopped, changes take nothing.
    f.hotKey.stop();
    const qsizetype grabs = f.shortcuts.grabs.size();
    f.preferences.set(superK, Action::fullScreen);
    QCOMPARE(f.shortcuts.grabs.size(), grabs);
}

void TestGlobalHotKey::aCombinationHeldElsewhereIsReportedOnce()
{
    Fixture f;
    f.shortcuts.heldElsewhere = {ctrlShift2};
    QSignalSpy reported(&f.hotKey, &GlobalHotKey::shortcutUnavailable);
    QVERIFY(!f.hotKey.start());
    QCOMPARE(reported.size(), 1);
    QCOMPARE(reported.constFirst().at(0).value<Hotkey>(), ctrlShift2);
    QCOMPARE(f.hotKey.unavailable(), QList<Hotkey>{ctrlShift2});
    // Another change re-grabs everything; the same refusal is not reported again.
    f.preferences.set(superK, Action::fullScreen);
    QCOMPARE(reported.size(), 1);
    // Once moved to a free combination it works, and moving back reports it anew.
    f.preferences.set(Hotkey{21, ctrlShift}, Action::region);
    QVERIFY(f.hotKey.unavailable().isEmpty());
    f.preferences.reset(Action::region);
    QCOMPARE(reported.size(), 2);
}

QTEST_GUILESS_MAIN(TestGlobalHotKey)
#include "tst_globalhotkey.moc"
