#include "preferences/HotkeyRecorderButton.h"

#include "preferences/PreferencesColors.h"
#include "preferences/X11KeyCodes.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>

namespace velmora {

namespace {

// Escape, Delete and Forward Delete in the stored numbering.
constexpr qint64 escapeKeyCode = 53;
constexpr qint64 deleteKeyCode = 51;
constexpr qint64 forwardDeleteKeyCode = 117;

// Keys that only change the modifier state. They pass while recording: the user is still on the
// way to the key that completes the combination, and Caps Lock never belongs in a shortcut.
bool isModifierOnly(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

// Ctrl, Shift, Alt and Super in the stored bits; every other modifier (keypad, group switch) is
// dropped so it can never make two presses of one combination differ.
quint64 modifierBits(Qt::KeyboardModifiers modifiers)
{
    quint64 bits = 0;
    if (modifiers & Qt::ControlModifier) {
        bits |= Hotkey::command;
    }
    if (modifiers & Qt::ShiftModifier) {
        bits |= Hotkey::shift;
    }
    if (modifiers & Qt::AltModifier) {
        bits |= Hotkey::option;
    }
    if (modifiers & Qt::MetaModifier) {
        bits |= Hotkey::control;
    }
    return bits;
}

} // namespace

HotkeyRecorderButton::HotkeyRecorderButton(HotkeyPreferences& preferences, HotkeyPreferences::Action action,
                                           QWidget* parent)
    : QWidget(parent), m_preferences(preferences), m_action(action), m_beep([] { QApplication::beep(); })
{
    setFixedHeight(fixedHeight);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(12);
    font.setWeight(QFont::Medium);
    setFont(font);
    setAccessibleName(HotkeyPreferences::title(action));
    connect(&m_preferences, &HotkeyPreferences::hotkeysChanged, this, qOverload<>(&QWidget::update));
}

QString HotkeyRecorderButton::text() const
{
    if (m_recording) {
        return QStringLiteral("Press shortcut…");
    }
    const std::optional<Hotkey> hotkey = m_preferences.hotkeyInForce(m_action);
    return hotkey ? hotkey->displayString() : QStringLiteral("Click to set");
}

void HotkeyRecorderButton::startRecording()
{
    if (m_recording) {
        return;
    }
    m_recording = true;
    // Focus brings the keys here; while recording, event() keeps Tab and the window's own
    // shortcuts from taking them first.
    setFocus(Qt::MouseFocusReason);
    update();
}

void HotkeyRecorderButton::stopRecording()
{
    if (!m_recording) {
        return;
    }
    m_recording = false;
    update();
}

QSize HotkeyRecorderButton::sizeHint() const
{
    return {defaultWidth, fixedHeight};
}

bool HotkeyRecorderButton::event(QEvent* event)
{
    if (m_recording) {
        if (event->type() == QEvent::ShortcutOverride) {
            // Every key belongs to the recording, including those the window binds.
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            // Straight to the recorder: QWidget would turn Tab and Shift+Tab into focus moves.
            keyPressEvent(static_cast<QKeyEvent*>(event));
            return true;
        }
    }
    return QWidget::event(event);
}

void HotkeyRecorderButton::paintEvent(QPaintEvent*)
{
    const QPalette& pal = palette();
    const QColor base = pal.color(QPalette::Base);
    QColor fill = base;
    QColor border = PreferencesColors::separator(pal);
    QColor textColor = pal.color(QPalette::Text);
    if (m_recording) {
        fill = PreferencesColors::blend(base, pal.color(QPalette::Highlight), 0.15);
        border = pal.color(QPalette::Highlight);
        textColor = PreferencesColors::secondaryText(pal);
    } else if (!m_preferences.hotkeyInForce(m_action)) {
        textColor = PreferencesColors::tertiaryText(pal);
    }

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(border, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(frame, 6, 6);
    painter.setPen(textColor);
    painter.drawText(rect(), Qt::AlignCenter, text());
}

void HotkeyRecorderButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_recording ? stopRecording() : startRecording();
    event->accept();
}

void HotkeyRecorderButton::keyPressEvent(QKeyEvent* event)
{
    if (m_recording) {
        event->accept();
        if (!event->isAutoRepeat()) {
            handleRecordedKey(*event);
        }
        return;
    }
    // From the keyboard the control starts like a button.
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        startRecording();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void HotkeyRecorderButton::focusOutEvent(QFocusEvent* event)
{
    stopRecording();
    QWidget::focusOutEvent(event);
}

void HotkeyRecorderButton::handleRecordedKey(const QKeyEvent& event)
{
    const int key = event.key();
    if (isModifierOnly(key)) {
        return;
    }
    const std::optional<qint64> keyCode = keyCodeFromX11(event.nativeScanCode());
    if (key == Qt::Key_Escape || keyCode == escapeKeyCode) {
        stopRecording();
        return;
    }
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete || keyCode == deleteKeyCode ||
        keyCode == forwardDeleteKeyCode) {
        stopRecording();
        m_preferences.set(std::nullopt, m_action);
        return;
    }
    const quint64 modifiers = modifierBits(event.modifiers());
    // Without a modifier the combination would fire while typing; a key the table does not know
    // could not be matched again.
    if (modifiers == 0 || !keyCode) {
        refuse();
        return;
    }
    stopRecording();
    m_preferences.set(Hotkey{*keyCode, modifiers}, m_action);
}

void HotkeyRecorderButton::refuse()
{
    if (m_beep) {
        m_beep();
    }
}

} // namespace velmora
