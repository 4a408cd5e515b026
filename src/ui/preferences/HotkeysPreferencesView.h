#pragma once

#include "preferences/HotkeyPreferences.h"

#include <QList>
#include <QWidget>

namespace velmora {

class HotkeyRecorderButton;
class IconButton;

// The Hotkeys tab: one row per action, capture shortcuts first, then the editor's.
class HotkeysPreferencesView : public QWidget
{
    Q_OBJECT
public:
    explicit HotkeysPreferencesView(HotkeyPreferences& preferences, QWidget* parent = nullptr);

    HotkeyRecorderButton* recorder(HotkeyPreferences::Action action) const;
    IconButton* resetButton(HotkeyPreferences::Action action) const;

private:
    QWidget* buildSection(const QString& title, const QString& footer,
                          const std::vector<HotkeyPreferences::Action>& actions);
    QWidget* buildRow(HotkeyPreferences::Action action, QWidget* parent);

    struct Row
    {
        HotkeyPreferences::Action action;
        HotkeyRecorderButton* recorder;
        IconButton* reset;
    };

    HotkeyPreferences& m_preferences;
    QList<Row> m_rows;
};

} // namespace velmora
