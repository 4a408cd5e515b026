#pragma once

#include "PlatformCapabilities.h"
#include "preferences/HotkeyPreferences.h"

#include <QList>
#include <QWidget>

namespace velmora {

class HotkeyRecorderButton;
class IconButton;

// The Hotkeys tab: one row per action, capture shortcuts first, then the editor's. Where the
// desktop lets no program take keys (Wayland without the GlobalShortcuts portal), the capture rows
// give the command to bind in the desktop's keyboard settings instead, each ready to copy.
class HotkeysPreferencesView : public QWidget
{
    Q_OBJECT
public:
    explicit HotkeysPreferencesView(HotkeyPreferences& preferences, QWidget* parent = nullptr);
    HotkeysPreferencesView(HotkeyPreferences& preferences, const PlatformCapabilities& capabilities,
                           QWidget* parent = nullptr);

    // Null for a capture action whose keys the desktop cannot give us.
    HotkeyRecorderButton* recorder(HotkeyPreferences::Action action) const;
    IconButton* resetButton(HotkeyPreferences::Action action) const;
    // The copy button of an action's command; null where the shortcut is recorded instead.
    IconButton* copyCommandButton(HotkeyPreferences::Action action) const;

    // The command line that runs a capture action, e.g. "velmora region".
    static QString command(HotkeyPreferences::Action action);

private:
    QWidget* buildSection(const QString& title, const QString& footer,
                          const std::vector<HotkeyPreferences::Action>& actions);
    QWidget* buildRow(HotkeyPreferences::Action action, QWidget* parent);
    QWidget* buildCommandSection(const PlatformCapabilities& capabilities);
    QWidget* buildCommandRow(HotkeyPreferences::Action action, QWidget* parent);

    struct Row
    {
        HotkeyPreferences::Action action;
        HotkeyRecorderButton* recorder = nullptr;
        IconButton* reset = nullptr;
        IconButton* copy = nullptr;
    };

    HotkeyPreferences& m_preferences;
    QList<Row> m_rows;
};

} // namespace velmora
