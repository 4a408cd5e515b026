#pragma once

#include "PlatformCapabilities.h"
#include "preferences/HotkeyPreferences.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;

namespace velmora {

class DesktopShortcuts;
class HotkeyRecorderButton;
class IconButton;
class SettingsSection;

// The Hotkeys tab: one row per action, capture shortcuts first, then the editor's. Where the
// desktop lets no program take keys (Wayland without the GlobalShortcuts portal), the capture rows
// give the command to bind in the desktop's keyboard settings instead, each ready to copy. Where
// the desktop assigns the keys itself, the capture rows show what it assigned, and a button asks
// it to let the user change them.
class HotkeysPreferencesView : public QWidget
{
    Q_OBJECT
public:
    explicit HotkeysPreferencesView(HotkeyPreferences& preferences, QWidget* parent = nullptr);
    // `desktop`: the desktop's shortcuts, where it assigns the keys; may be null (nothing heard yet).
    HotkeysPreferencesView(HotkeyPreferences& preferences, const PlatformCapabilities& capabilities,
                           DesktopShortcuts* desktop = nullptr, QWidget* parent = nullptr);

    // Null for a capture action whose keys the desktop cannot give us.
    HotkeyRecorderButton* recorder(HotkeyPreferences::Action action) const;
    IconButton* resetButton(HotkeyPreferences::Action action) const;
    // The copy button of an action's command; null where the shortcut is recorded instead.
    IconButton* copyCommandButton(HotkeyPreferences::Action action) const;
    // What the desktop assigned to a capture action; null where Velmora records the keys.
    QLabel* assignedLabel(HotkeyPreferences::Action action) const;
    // Asks the desktop to change its assignments; null where it does not assign them.
    QPushButton* changeShortcutsButton() const { return m_change; }

    // The command line that runs a capture action, e.g. "velmora region".
    static QString command(HotkeyPreferences::Action action);
    // Whether a capture action can work with these capabilities (else it gets no row to bind).
    static bool availableHere(HotkeyPreferences::Action action, const PlatformCapabilities& capabilities);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildSection(const QString& title, const QString& footer,
                          const std::vector<HotkeyPreferences::Action>& actions);
    QWidget* buildRow(HotkeyPreferences::Action action, QWidget* parent);
    QWidget* buildCommandSection(const PlatformCapabilities& capabilities);
    QWidget* buildCommandRow(HotkeyPreferences::Action action, QWidget* parent);
    QWidget* buildAssignedSection(const PlatformCapabilities& capabilities);
    QWidget* buildAssignedRow(HotkeyPreferences::Action action, QWidget* parent);
    // Shows what the desktop says now.
    void updateAssigned();

    struct Row
    {
        HotkeyPreferences::Action action;
        HotkeyRecorderButton* recorder = nullptr;
        IconButton* reset = nullptr;
        IconButton* copy = nullptr;
        QLabel* assigned = nullptr;
    };

    HotkeyPreferences& m_preferences;
    QList<Row> m_rows;
    QPointer<DesktopShortcuts> m_desktop;
    SettingsSection* m_assignedSection = nullptr;
    QPushButton* m_change = nullptr;
};

} // namespace velmora
