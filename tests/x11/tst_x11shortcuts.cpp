#include "GlobalShortcuts.h"
#include "Platform.h"
#include "preferences/X11KeyCodes.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>

using namespace velmora;

namespace {

constexpr quint64 ctrlShift = Hotkey::command | Hotkey::shift;
const Hotkey ctrlShift2{19, ctrlShift};
const Hotkey ctrlShift3{20, ctrlShift};
const Hotkey ctrlShift4{21, ctrlShift};
const Hotkey superAltK{40, Hotkey::control | Hotkey::option};

// Presses keys as a user would, through the server's test extension.
void press(const QString& keys)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"),
                  QStringList{QStringLiteral("key")} + keys.split(QLatin1Char(' ')));
    QVERIFY(xdotool.waitForFinished(10000));
    QCOMPARE(xdotool.exitCode(), 0);
}

} // namespace

// Key grabs against a real X server, pressed through xdotool.
class TestX11Shortcuts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_platform = createPlatform();
        QCOMPARE(m_platform->name, QStringLiteral("x11"));
        QVERIFY(m_platform->shortcuts);
    }
    void cleanup() { m_platform.reset(); }

    void grabbedCombinationsArePressedWhateverTheLocks()
    {
        GlobalShortcuts& shortcuts = *m_platform->shortcuts;
        QSignalSpy pressed(&shortcuts, &GlobalShortcuts::pressed);
        QCOMPARE(shortcuts.grab({ctrlShift3, superAltK}), QList<Hotkey>{});
        press(QStringLiteral("ctrl+shift+3"));
        QTRY_COMPARE(pressed.size(), 1);
        QCOMPARE(pressed.at(0).at(0).value<Hotkey>(), ctrlShift3);
        press(QStringLiteral("super+alt+k"));
        QTRY_COMPARE(pressed.size(), 2);
        QCOMPARE(pressed.at(1).at(0).value<Hotkey>(), superAltK);
        // Caps Lock and Num Lock on change nothing.
        press(QStringLiteral("Caps_Lock Num_Lock ctrl+shift+3 Num_Lock Caps_Lock"));
        QTRY_COMPARE(pressed.size(), 3);
        // Another modifier, or another key, is not the shortcut.
        press(QStringLiteral("ctrl+shift+alt+3 ctrl+shift+2 shift+3"));
        // Given back, the combination reaches nobody of ours.
        QCOMPARE(shortcuts.grab({}), QList<Hotkey>{});
        press(QStringLiteral("ctrl+shift+3"));
        QTest::qWait(300);
        QCOMPARE(pressed.size(), 3);
    }

    void theKeyTableMatchesTheServersKeyboard()
    {
        // Every key with a character on it sits where the server's US layout puts that character,
        // and comes back to its own code.
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        const xcb_setup_t* setup = xcb_get_setup(c);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
            c, xcb_get_keyboard_mapping(c, setup->min_keycode, quint8(count)), nullptr);
        QVERIFY(mapping);
        const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping);
        int checked = 0;
        for (qint64 code = 0; code < 128; ++code) {
            const std::optional<QString> character = Hotkey{code, 0}.keyEquivalentString();
            if (!character) {
                continue;
            }
            const std::optional<quint32> x11 = x11KeyCode(code);
            QVERIFY2(x11, qPrintable(*character));
            QCOMPARE(keyCodeFromX11(*x11), std::optional<qint64>(code));
            const xcb_keysym_t first = symbols[(*x11 - setup->min_keycode) * mapping->keysyms_per_keycode];
            // Latin-1 keysyms are the characters' own codes.
            QVERIFY2(first == character->at(0).unicode(), qPrintable(*character));
            ++checked;
        }
        QCOMPARE(checked, 47);
        std::free(mapping);
        xcb_disconnect(c);
    }

    void aCombinationAnotherClientHoldsIsRefused()
    {
        // Another program takes Ctrl+Shift+4 (X key code 13) first, with Num Lock off and on.
        xcb_connection_t* other = xcb_connect(nullptr, nullptr);
        QVERIFY(!xcb_connection_has_error(other));
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
        const quint16 mods = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;
        xcb_generic_error_t* error = xcb_request_check(
            other, xcb_grab_key_checked(other, 1, root, mods, 13, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        QVERIFY(!error);

        GlobalShortcuts& shortcuts = *m_platform->shortcuts;
        QSignalSpy pressed(&shortcuts, &GlobalShortcuts::pressed);
        QCOMPARE(shortcuts.grab({ctrlShift2, ctrlShift4}), QList<Hotkey>{ctrlShift4});
        // The refused one is not half-taken: with Caps Lock on it still reaches the other program,
        // and the free one works.
        press(QStringLiteral("Caps_Lock ctrl+shift+4 Caps_Lock ctrl+shift+2"));
        QTRY_COMPARE(pressed.size(), 1);
        QCOMPARE(pressed.at(0).at(0).value<Hotkey>(), ctrlShift2);

        // Once the other program lets go, the next grab takes it.
        xcb_disconnect(other);
        QTRY_COMPARE(shortcuts.grab({ctrlShift2, ctrlShift4}), QList<Hotkey>{});
        press(QStringLiteral("ctrl+shift+4"));
        QTRY_COMPARE(pressed.size(), 2);
        QCOMPARE(pressed.at(1).at(0).value<Hotkey>(), ctrlShift4);
    }

private:
    std::unique_ptr<Platform> m_platform;
};

QTEST_MAIN(TestX11Shortcuts)
#include "tst_x11shortcuts.moc"
