#pragma once

#include "DesktopShortcuts.h"
#include "PlatformCapabilities.h"
#include "preferences/LaunchAtLogin.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class QTabWidget;

namespace velmora {

class AboutPreferencesView;
class GeneralPreferences;
class GeneralPreferencesView;
class HotkeyPreferences;
class HotkeysPreferencesView;
class SettingsStore;

// The preferences window: General, Hotkeys and About tabs. Closing it only hides it.
class PreferencesWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize contentSize{520, 380};

    // Without capabilities the shortcuts are Velmora's own to take (X11). `desktopShortcuts`: what
    // the desktop assigned, where it assigns the keys.
    PreferencesWindow(HotkeyPreferences& hotkeys, GeneralPreferences& general, LaunchAtLogin launchAtLogin,
                      SettingsStore& settings,
                      std::optional<PlatformCapabilities> capabilities = std::nullopt,
                      DesktopShortcuts* desktopShortcuts = nullptr, QWidget* parent = nullptr);

    QTabWidget* tabs() const { return m_tabs; }
    GeneralPreferencesView* generalView() const { return m_general; }
    HotkeysPreferencesView* hotkeysView() const { return m_hotkeys; }
    AboutPreferencesView* aboutView() const { return m_about; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateTabIcons();

    QTabWidget* m_tabs = nullptr;
    GeneralPreferencesView* m_general = nullptr;
    HotkeysPreferencesView* m_hotkeys = nullptr;
    AboutPreferencesView* m_about = nullptr;
};

// Owns the one preferences window of a run, made on first show.
class PreferencesWindowController : public QObject
{
    Q_OBJECT
public:
    PreferencesWindowController(HotkeyPreferences& hotkeys, GeneralPreferences& general,
                                LaunchAtLogin launchAtLogin, SettingsStore& settings,
                                QObject* parent = nullptr);
    ~PreferencesWindowController() override;

    // The controller on the application's own preferences; it lives until the application ends.
    static PreferencesWindowController& shared();

    // Brings the window up: centred on the screen under the pointer when it was not showing (a
    // visible window stays where the user put it), raised and activated.
    void show();
    // What the display server allows, for the window made from now on.
    void setCapabilities(const PlatformCapabilities& capabilities) { m_capabilities = capabilities; }
    // The shortcuts the desktop assigns, shown in the Hotkeys tab of the window made from now on.
    void setDesktopShortcuts(DesktopShortcuts* shortcuts) { m_desktopShortcuts = shortcuts; }
    // The window, once shown; nothing before.
    PreferencesWindow* window() const { return m_window; }

private:
    HotkeyPreferences& m_hotkeys;
    GeneralPreferences& m_general;
    LaunchAtLogin m_launchAtLogin;
    SettingsStore& m_settings;
    std::optional<PlatformCapabilities> m_capabilities;
    QPointer<DesktopShortcuts> m_desktopShortcuts;
    QPointer<PreferencesWindow> m_window;
};

} // namespace velmora
