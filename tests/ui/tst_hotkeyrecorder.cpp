#include "preferences/HotkeyPreferences.h"
#include "preferences/HotkeyRecorderButton.h"
#include "preferences/SettingsStore.h"
#include "preferences/X11KeyCodes.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

using namespace velmora;
using Action = HotkeyPreferences::Action;

namespace {

// X11 key codes (evdev + 8) of the keys the tests press, as a US keyboard sends them.
constexpr quint32 x11Escape = 9;
constexpr quint32 x11One = 10;
constexpr quint32 x11Backspace = 22;
constexpr quint32 x11Tab = 23;
constexpr quint32 x11ControlL = 37;
constexpr quint32 x11K = 45;
constexpr quint32 x11CapsLock = 66;
constexpr quint32 x11F5 = 71;
constexpr quint32 x11Delete = 119;

// A key press as the xcb platform delivers it, sent through the widget's own event handling.
void press(QWidget* widget, int key, Qt::KeyboardModifiers modifiers, quint32 x11KeyCode)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, x11KeyCode, 0, 0);
    QCoreApplication::sendEvent(widget, &event);
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// The colour of the recorder's outline, half way along its top edge.
QColor outlineColor(HotkeyRecorderButton& button)
{
    const QImage image = button.grab().toImage();
    return image.pixelColor(image.width() / 2, 0);
}

} // namespace

Q_DECLARE_METATYPE(std::optional<velmora::Hotkey>)

class TestHotkeyRecorder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void clickTogglesRecording();
    void recordsAKeyCombination_data();
    void recordsAKeyCombination();
    void escapeAndDeleteEndRecording_data();
    void escapeAndDeleteEndRecording();
    void redrawsWhenTheShortcutChanges();
    void losingFocusStopsRecording();

private:
    std::unique_ptr<MemorySettingsStore> m_store;
    std::unique_ptr<HotkeyPreferences> m_preferences;
    // The recorder in a window next to a text field, as in the preferences: keys such as Shift+Tab
    // would move the focus away if the recorder did not take them first.
    std::unique_ptr<QWidget> m_window;
    HotkeyRecorderButton* m_button = nullptr;
    int m_beeps = 0;
};

void TestHotkeyRecorder::init()
{
    m_store = std::make_unique<MemorySettingsStore>();
    m_preferences = std::make_unique<HotkeyPreferences>(*m_store);
    m_window = std::make_unique<QWidget>();
    m_button = new HotkeyRecorderButton(*m_preferences, Action::region, m_window.get());
    m_button->setGeometry(10, 10, HotkeyRecorderButton::defaultWidth, HotkeyRecorderButton::fixedHeight);
    auto* field = new QLineEdit(m_window.get());
    field->setGeometry(10, 50, 140, 24);
    m_beeps = 0;
    m_button->setBeep([this] { ++m_beeps; });
    m_window->resize(200, 100);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestHotkeyRecorder::cleanup()
{
    m_window.reset();
    m_preferences.reset();
    m_store.reset();
}

void TestHotkeyRecorder::clickTogglesRecording()
{
    QCOMPARE(m_button->text(), QStringLiteral("Ctrl+Shift+2"));
    const QColor idleOutline = outlineColor(*m_button);

    QTest::mouseClick(m_button, Qt::LeftButton);
    QVERIFY(m_button->isRecording());
    QCOMPARE(m_button->text(), QStringLiteral("Press shortcut…"));
    // Recording is told by the highlight round the control, not only by the text.
    const QColor highlight = m_button->palette().color(QPalette::Highlight);
    QCOMPARE(outlineColor(*m_button).name(), highlight.name());
    QVERIFY(idleOutline.name() != highlight.name());

    // A second click before any key gives the old shortcut back, untouched.
    QTest::mouseClick(m_button, Qt::LeftButton);
    QVERIFY(!m_button->isRecording());
    QCOMPARE(m_button->text(), QStringLiteral("Ctrl+Shift+2"));
    QVERIFY(!m_store->contains(QStringLiteral("hotkey.region.overridden")));
    QCOMPARE(m_beeps, 0);
}

void TestHotkeyRecorder::recordsAKeyCombination_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<quint32>("x11KeyCode");
    // What is stored; nothing means the shortcut stays as it was and recording goes on.
    QTest::addColumn<std::optional<Hotkey>>("stored");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("beeps");

    const std::optional<Hotkey> kept;
    QTest::newRow("Ctrl+Alt+K") << int(Qt::Key_K) << (Qt::ControlModifier | Qt::AltModifier) << x11K
                                << std::optional(Hotkey{40, Hotkey::command | Hotkey::option})
                                << QStringLiteral("Ctrl+Alt+K") << 0;
    QTest::newRow("Shift alone is a modifier")
        << int(Qt::Key_F5) << Qt::KeyboardModifiers(Qt::ShiftModifier) << x11F5
        << std::optional(Hotkey{96, Hotkey::shift}) << QStringLiteral("Shift+F5") << 0;
    QTest::newRow("Super is control")
        << int(Qt::Key_1) << Qt::KeyboardModifiers(Qt::MetaModifier) << x11One
        << std::optional(Hotkey{18, Hotkey::control}) << QStringLiteral("Super+1") << 0;
    // The layout's character does not matter: the key's position does (K's place on any layout).
    QTest::newRow("position, not character")
        << int(Qt::Key_Q) << Qt::KeyboardModifiers(Qt::ControlModifier) << x11K
        << std::optional(Hotkey{40, Hotkey::command}) << QStringLiteral("Ctrl+K") << 0;
    // Shift+Tab reaches the recorder instead of moving the focus.
    QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << Qt::KeyboardModifiers(Qt::ShiftModifier) << x11Tab
                               << std::optional(Hotkey{48, Hotkey::shift}) << QStringLiteral("Shift+⇥") << 0;
    QTest::newRow("keypad flag dropped")
        << int(Qt::Key_K) << (Qt::ControlModifier | Qt::KeypadModifier) << x11K
        << std::optional(Hotkey{40, Hotkey::command}) << QStringLiteral("Ctrl+K") << 0;
    QTest::newRow("K alone beeps") << int(Qt::Key_K) << Qt::KeyboardModifiers() << x11K << kept
                                   << QStringLiteral("Press shortcut…") << 1;
    QTest::newRow("Tab alone beeps") << int(Qt::Key_Tab) << Qt::KeyboardModifiers() << x11Tab << kept
                                     << QStringLiteral("Press shortcut…") << 1;
    QTest::newRow("unknown key beeps") << int(Qt::Key_K) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                       << quint32(254) << kept << QStringLiteral("Press shortcut…") << 1;
    QTest::newRow("Ctrl on its way") << int(Qt::Key_Control) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                     << x11ControlL << kept << QStringLiteral("Press shortcut…") << 0;
    QTest::newRow("Caps Lock passes") << int(Qt::Key_CapsLock) << Qt::KeyboardModifiers() << x11CapsLock
                                      << kept << QStringLiteral("Press shortcut…") << 0;
}

void TestHotkeyRecorder::recordsAKeyCombination()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(quint32, x11KeyCode);
    QFETCH(std::optional<Hotkey>, stored);
    QFETCH(QString, text);
    QFETCH(int, beeps);
    if (x11KeyCode == 254) {
        QVERIFY(!keyCodeFromX11(x11KeyCode));
    }

    QTest::mouseClick(m_button, Qt::LeftButton);
    press(m_button, key, modifiers, x11KeyCode);

    QCOMPARE(m_button->text(), text);
    QCOMPARE(m_beeps, beeps);
    QCOMPARE(m_button->isRecording(), !stored.has_value());
    if (stored) {
        QCOMPARE(m_preferences->hotkeyInForce(Action::region), stored);
        // What a relaunch reads back.
        QCOMPARE(HotkeyPreferences(*m_store).hotkeyInForce(Action::region), stored);
    } else {
        QVERIFY(!m_store->contains(QStringLiteral("hotkey.region.overridden")));
    }
}

void TestHotkeyRecorder::escapeAndDeleteEndRecording_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<quint32>("x11KeyCode");
    QTest::addColumn<bool>("clears");

    QTest::newRow("Escape") << int(Qt::Key_Escape) << x11Escape << false;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << x11Delete << true;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << x11Backspace << true;
}

void TestHotkeyRecorder::escapeAndDeleteEndRecording()
{
    QFETCH(int, key);
    QFETCH(quint32, x11KeyCode);
    QFETCH(bool, clears);

    QTest::mouseClick(m_button, Qt::LeftButton);
    press(m_button, key, Qt::NoModifier, x11KeyCode);

    QVERIFY(!m_button->isRecording());
    QCOMPARE(m_beeps, 0);
    QCOMPARE(m_button->text(), clears ? QStringLiteral("Click to set") : QStringLiteral("Ctrl+Shift+2"));
    QCOMPARE(m_store->boolean(QStringLiteral("hotkey.region.overridden")).value_or(false), clears);
    QVERIFY(!m_store->contains(QStringLiteral("hotkey.region")));
    QCOMPARE(HotkeyPreferences(*m_store).hotkeyInForce(Action::region).has_value(), !clears);
}

void TestHotkeyRecorder::redrawsWhenTheShortcutChanges()
{
    const QImage before = m_button->grab().toImage();
    PaintCounter counter;
    m_button->installEventFilter(&counter);
    QTest::qWait(50);
    counter.paints = 0;
    // The change reaches the screen without anyone touching the control.
    m_preferences->set(Hotkey{40, Hotkey::command | Hotkey::option}, Action::region);
    QCOMPARE(m_button->text(), QStringLiteral("Ctrl+Alt+K"));
    QTRY_VERIFY(counter.paints > 0);
    QVERIFY(m_button->grab().toImage() != before);
    m_preferences->reset(Action::region);
    QCOMPARE(m_button->grab().toImage(), before);
}

void TestHotkeyRecorder::losingFocusStopsRecording()
{
    QTest::mouseClick(m_button, Qt::LeftButton);
    QVERIFY(m_button->isRecording());
    QTRY_VERIFY(m_button->hasFocus());
    m_window->findChild<QLineEdit*>()->setFocus();
    QTRY_VERIFY(!m_button->isRecording());
    QCOMPARE(m_button->text(), QStringLiteral("Ctrl+Shift+2"));
    QVERIFY(!m_store->contains(QStringLiteral("hotkey.region.overridden")));
}

QTEST_MAIN(TestHotkeyRecorder)
#include "tst_hotkeyrecorder.moc"
