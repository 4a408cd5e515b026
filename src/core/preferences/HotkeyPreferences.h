#pragma once

#include "RawValue.h"
#include "preferences/Hotkey.h"

#include <QObject>
#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace velmora {

class SettingsStore;

// The user's keyboard shortcuts. Each action has an entry once loaded: a shortcut, or none when
// the user cleared it. Readers that meet an action without an entry use its default.
class HotkeyPreferences : public QObject
{
    Q_OBJECT
public:
    // The case order is the order of every list of actions, and the first of two actions holding
    // the same shortcut wins.
    enum class Action { window, region, fullScreen, ocr, colorCapture, scrollingCapture, saveToDisk };
    using Hotkeys = std::map<Action, std::optional<Hotkey>>;

    explicit HotkeyPreferences(SettingsStore& store, QObject* parent = nullptr);

    // The instance the application uses, on the application's settings file.
    static HotkeyPreferences& shared();

    static QString title(Action action);
    static QString description(Action action);
    static std::optional<Hotkey> defaultHotkey(Action action);
    // System-wide actions, in case order; the editor actions act only inside an editor window.
    static std::vector<Action> captureActions();
    static std::vector<Action> editorActions();

    const Hotkeys& hotkeys() const { return m_hotkeys; }
    // The entry when there is one, else the action's default.
    std::optional<Hotkey> hotkeyInForce(Action action) const;

    // Stores the shortcut for the action, or clears it when given none. Other actions are not
    // looked at: two actions may hold the same shortcut.
    void set(std::optional<Hotkey> hotkey, Action action);
    // Forgets the user's choice; the default is in force again.
    void reset(Action action);

Q_SIGNALS:
    void hotkeysChanged();

private:
    std::optional<Hotkey> load(Action action) const;

    SettingsStore& m_store;
    Hotkeys m_hotkeys;
};

template <> struct EnumNames<HotkeyPreferences::Action>
{
    static constexpr std::array<std::string_view, 7> names{
        "window", "region", "fullScreen", "ocr", "colorCapture", "scrollingCapture", "saveToDisk"};
};

} // namespace velmora
