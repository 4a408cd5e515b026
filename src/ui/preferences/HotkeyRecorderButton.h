#pragma once

#include "preferences/HotkeyPreferences.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QKeyEvent;

namespace velmora {

// The control in each row of the Hotkeys tab: shows an action's shortcut and, once clicked, records
// the next key combination. Escape cancels, Backspace or Delete clears the shortcut, and a key
// without Ctrl, Shift, Alt or Super is refused with a beep. Keys are stored by their physical
// position (the X11 key code), so a shortcut names the same key whatever the layout.
class HotkeyRecorderButton : public QWidget
{
    Q_OBJECT
public:
    static constexpr int defaultWidth = 140;
    static constexpr int fixedHeight = 24;

    HotkeyRecorderButton(HotkeyPreferences& preferences, HotkeyPreferences::Action action,
                         QWidget* parent = nullptr);

    HotkeyPreferences::Action action() const { return m_action; }
    bool isRecording() const { return m_recording; }
    // The label as drawn: "Press shortcut…", the shortcut, or "Click to set".
    QString text() const;

    void startRecording();
    void stopRecording();

    // What a refused key plays; the system beep unless replaced.
    void setBeep(std::function<void()> beep) { m_beep = std::move(beep); }

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void handleRecordedKey(const QKeyEvent& event);
    void refuse();

    HotkeyPreferences& m_preferences;
    HotkeyPreferences::Action m_action;
    bool m_recording = false;
    std::function<void()> m_beep;
};

} // namespace velmora
