#pragma once

#include <QTextEdit>

namespace velmora {

// The plain-text view inside the in-place editor. It turns the keys that end typing into one
// request and reports focus changes; everything else is ordinary text editing.
class TextEditorField : public QTextEdit
{
    Q_OBJECT
public:
    explicit TextEditorField(QWidget* parent);

Q_SIGNALS:
    // Return or keypad Enter without Shift, or Escape.
    void commitKeyPressed();
    // Focus went to another widget or window while the field stays on screen.
    void focusLost();
    void focusGained();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

} // namespace velmora
