#pragma once

#include "DesktopShortcuts.h"
#include "PlatformCapabilities.h"
#include "preferences/HotkeyPreferences.h"

#include <QObject>

#include <functional>
#include <map>
#include <memory>

class QAction;
class QMenu;

namespace velmora {

// The tray icon's menu: the six captures with the shortcuts in force, the loads and the commands
// on the last screenshot, then preferences, updates and quit. The rows that need a last
// screenshot or a closed editor are enabled only when there is one, checked each time the menu
// opens.
class TrayMenu : public QObject
{
    Q_OBJECT

public:
    enum class Command {
        captureRegion,
        captureText,
        captureColor,
        captureWindow,
        captureFullScreen,
        captureScrolling,
        loadFromClipboard,
        openImage,
        copyLastScreenshot,
        editLastScreenshot,
        continueLastEdit,
        openPreferences,
        checkForUpdates,
        quit,
    };

    struct Availability
    {
        bool lastScreenshot = false;
        bool lastClosedEditor = false;
    };

    TrayMenu(HotkeyPreferences& hotkeys, std::function<Availability()> availability,
             QObject* parent = nullptr);
    ~TrayMenu() override;

    QMenu* menu() const { return m_menu.get(); }
    QAction* action(Command command) const { return m_actions.at(command); }
    // Brings the rows up to date: the shortcuts in force and what can act now. Runs each time the
    // menu is about to show.
    void refresh();
    // Disables the capture rows this backend cannot do, each with a tooltip that says why. Rows
    // stay enabled until this is called.
    void setCapabilities(const PlatformCapabilities& capabilities);
    // Where the desktop assigns the capture keys, the rows show its keys, in its own words, instead
    // of Velmora's preferences. `desktop` must outlive the menu.
    void followDesktopShortcuts(const DesktopShortcuts* desktop);

Q_SIGNALS:
    void triggered(velmora::TrayMenu::Command command);

private:
    QAction* add(Command command, const QString& title, const QString& icon);

    HotkeyPreferences& m_hotkeys;
    std::function<Availability()> m_availability;
    std::unique_ptr<QMenu> m_menu;
    std::map<Command, QAction*> m_actions;
    std::map<Command, QString> m_titles;
    const DesktopShortcuts* m_desktop = nullptr;
};

} // namespace velmora
