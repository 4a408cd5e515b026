#include "preferences/HotkeyPreferences.h"

#include "preferences/SettingsStore.h"

namespace velmora {

namespace {

using Action = HotkeyPreferences::Action;

QString dataKey(Action action)
{
    return QLatin1String("hotkey.") + rawValue(action);
}

QString overriddenKey(Action action)
{
    return dataKey(action) + QLatin1String(".overridden");
}

} // namespace

HotkeyPreferences::HotkeyPreferences(SettingsStore& store, QObject* parent) : QObject(parent), m_store(store)
{
    for (Action action : allCases<Action>()) {
        m_hotkeys[action] = load(action);
    }
}

HotkeyPreferences& HotkeyPreferences::shared()
{
    static HotkeyPreferences preferences(SettingsStore::shared());
    return preferences;
}

QString HotkeyPreferences::title(Action action)
{
    switch (action) {
    case Action::window:
        return QStringLiteral("Capture Window");
    case Action::region:
        return QStringLiteral("Capture Area");
    case Action::fullScreen:
        return QStringLiteral("Capture Full Screen");
    case Action::ocr:
        return QStringLiteral("Capture Text (OCR)");
    case Action::colorCapture:
        return QStringLiteral("Capture Color");
    case Action::scrollingCapture:
        return QStringLiteral("Capture While Scrolling");
    case Action::saveToDisk:
        return QStringLiteral("Save to Disk");
    }
    return {};
}

QString HotkeyPreferences::description(Action action)
{
    switch (action) {
    case Action::window:
        return QStringLiteral("Click a window to capture it with a clean background.");
    case Action::region:
        return QStringLiteral("Drag to select a region of the screen to capture.");
    case Action::fullScreen:
        return QStringLiteral("Instantly capture the entire screen under the cursor.");
    case Action::ocr:
        return QStringLiteral("Select a region and copy the recognized text to the clipboard.");
    case Action::colorCapture:
        return QStringLiteral("Select a region and copy the center pixel's hex color to the clipboard.");
    case Action::scrollingCapture:
        return QStringLiteral("Select a region, then scroll to capture a long page as one tall image.");
    case Action::saveToDisk:
        return QStringLiteral("Save the image in the editor to your save location.");
    }
    return {};
}

std::optional<Hotkey> HotkeyPreferences::defaultHotkey(Action action)
{
    constexpr quint64 commandShift = Hotkey::command | Hotkey::shift;
    switch (action) {
    case Action::window:
        return Hotkey{18, commandShift};
    case Action::region:
        return Hotkey{19, commandShift};
    case Action::ocr:
        return Hotkey{20, commandShift};
    case Action::saveToDisk:
        return Hotkey{1, Hotkey::command};
    case Action::fullScreen:
    case Action::colorCapture:
    case Action::scrollingCapture:
        break;
    }
    return std::nullopt;
}

std::vector<Action> HotkeyPreferences::captureActions()
{
    std::vector<Action> actions;
    for (Action action : allCases<Action>()) {
        if (action != Action::saveToDisk) {
            actions.push_back(action);
        }
    }
    return actions;
}

std::vector<Action> HotkeyPreferences::editorActions()
{
    return {Action::saveToDisk};
}

std::optional<Hotkey> HotkeyPreferences::hotkeyInForce(Action action) const
{
    const auto entry = m_hotkeys.find(action);
    return entry != m_hotkeys.end() ? entry->second : defaultHotkey(action);
}

void HotkeyPreferences::set(std::optional<Hotkey> hotkey, Action action)
{
    m_hotkeys[action] = hotkey;
    m_store.setValue(overriddenKey(action), true);
    // A shortcut that cannot be encoded is kept for this run only; it loads as cleared.
    const std::optional<QByteArray> json = hotkey ? hotkey->toJson() : std::nullopt;
    if (json) {
        m_store.setValue(dataKey(action), *json);
    } else {
        m_store.remove(dataKey(action));
    }
    Q_EMIT hotkeysChanged();
}

void HotkeyPreferences::reset(Action action)
{
    m_store.remove(overriddenKey(action));
    m_store.remove(dataKey(action));
    m_hotkeys[action] = defaultHotkey(action);
    Q_EMIT hotkeysChanged();
}

std::optional<Hotkey> HotkeyPreferences::load(Action action) const
{
    // An unreadable flag counts as absent: the default applies.
    if (!m_store.boolean(overriddenKey(action)).value_or(false)) {
        return defaultHotkey(action);
    }
    // Overridden: missing or undecodable data means the user has no shortcut here.
    const std::optional<QByteArray> json = m_store.data(dataKey(action));
    return json ? Hotkey::fromJson(*json) : std::nullopt;
}

} // namespace velmora
