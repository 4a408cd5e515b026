#include "GlobalHotKey.h"

#include "GlobalShortcuts.h"

#include <QTimer>

#include <cstdio>

namespace velmora {

GlobalHotKey::GlobalHotKey(HotkeyPreferences& preferences, GlobalShortcuts& shortcuts, Callbacks callbacks,
                           QObject* parent)
    : QObject(parent), m_preferences(preferences), m_shortcuts(shortcuts), m_callbacks(std::move(callbacks))
{
    connect(&m_shortcuts, &GlobalShortcuts::pressed, this, &GlobalHotKey::pressed);
    connect(&m_preferences, &HotkeyPreferences::hotkeysChanged, this, [this] {
        if (m_started) {
            grabAll();
        }
    });
}

GlobalHotKey::~GlobalHotKey()
{
    stop();
}

bool GlobalHotKey::start()
{
    m_started = true;
    return grabAll();
}

void GlobalHotKey::stop()
{
    if (m_started) {
        m_started = false;
        m_shortcuts.grab({});
        m_unavailable.clear();
    }
}

bool GlobalHotKey::grabAll()
{
    QList<Hotkey> wanted;
    for (const HotkeyPreferences::Action action : HotkeyPreferences::captureActions()) {
        const std::optional<Hotkey> hotkey = m_preferences.hotkeyInForce(action);
        if (hotkey && !wanted.contains(*hotkey)) {
            wanted.append(*hotkey);
        }
    }
    const QList<Hotkey> refused = m_shortcuts.grab(wanted);
    const QList<Hotkey> reportedBefore = std::exchange(m_unavailable, refused);
    for (const Hotkey& hotkey : refused) {
        if (!reportedBefore.contains(hotkey)) {
            std::fprintf(stderr, "[Velmora] Shortcut registration failed: %s\n",
                         hotkey.displayString().toUtf8().constData());
            Q_EMIT shortcutUnavailable(hotkey);
        }
    }
    return refused.isEmpty();
}

void GlobalHotKey::pressed(const Hotkey& hotkey)
{
    for (const HotkeyPreferences::Action action : HotkeyPreferences::captureActions()) {
        if (m_preferences.hotkeyInForce(action) != hotkey) {
            continue;
        }
        // Matching is all that happens here; the flow starts on its own turn of the event loop.
        QTimer::singleShot(0, this, [run = callback(action)] {
            if (run) {
                run();
            }
        });
        return;
    }
}

const std::function<void()>& GlobalHotKey::callback(HotkeyPreferences::Action action) const
{
    switch (action) {
    case HotkeyPreferences::Action::window:
        return m_callbacks.window;
    case HotkeyPreferences::Action::region:
        return m_callbacks.region;
    case HotkeyPreferences::Action::fullScreen:
        return m_callbacks.fullScreen;
    case HotkeyPreferences::Action::ocr:
        return m_callbacks.ocrRegion;
    case HotkeyPreferences::Action::colorCapture:
        return m_callbacks.colorRegion;
    case HotkeyPreferences::Action::scrollingCapture:
        return m_callbacks.scrollingCapture;
    case HotkeyPreferences::Action::saveToDisk:
        break;
    }
    static const std::function<void()> none;
    return none;
}

} // namespace velmora
