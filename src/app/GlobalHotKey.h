#pragma once

#include "preferences/Hotkey.h"
#include "preferences/HotkeyPreferences.h"

#include <QList>
#include <QObject>

#include <functional>

namespace velmora {

class GlobalShortcuts;

// Turns the capture shortcuts in force into capture flows, whichever window has the keyboard.
// The shortcuts are taken from the desktop at start() and taken again whenever the user changes
// them; the editor's own shortcut (save) is never taken. When two actions hold one combination,
// the first in case order runs.
class GlobalHotKey : public QObject
{
    Q_OBJECT

public:
    struct Callbacks
    {
        std::function<void()> region;
        std::function<void()> window;
        std::function<void()> ocrRegion;
        std::function<void()> colorRegion;
        std::function<void()> fullScreen;
        std::function<void()> scrollingCapture;
    };

    GlobalHotKey(HotkeyPreferences& preferences, GlobalShortcuts& shortcuts, Callbacks callbacks,
                 QObject* parent = nullptr);
    ~GlobalHotKey() override;

    // Takes the shortcuts in force. False when some could not be taken (each is reported through
    // shortcutUnavailable).
    bool start();
    // Gives every shortcut back; safe when not started.
    void stop();

    bool isStarted() const { return m_started; }
    // The combinations in force that another program holds.
    const QList<Hotkey>& unavailable() const { return m_unavailable; }

Q_SIGNALS:
    // A shortcut in force could not be taken; once per combination until it is taken again or
    // changed.
    void shortcutUnavailable(const velmora::Hotkey& hotkey);

private:
    bool grabAll();
    void pressed(const Hotkey& hotkey);
    const std::function<void()>& callback(HotkeyPreferences::Action action) const;

    HotkeyPreferences& m_preferences;
    GlobalShortcuts& m_shortcuts;
    Callbacks m_callbacks;
    bool m_started = false;
    QList<Hotkey> m_unavailable;
};

} // namespace velmora
