#include "canvas/TextEditorField.h"

#include <QKeyEvent>

namespace velmora {

namespace {

bool isReturn(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

TextEditorField::TextEditorField(QWidget* parent) : QTextEdit(parent)
{
    setAcceptRichText(false);
    setUndoRedoEnabled(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    // Wrap as annotations are laid out: at word boundaries, and anywhere inside a word too long
    // for a line.
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    viewport()->setAutoFillBackground(false);
    document()->setDocumentMargin(0);
    document()->setUseDesignMetrics(true);
    // Changing the margin is an undoable step of its own: the first Ctrl+Z would spend itself on it
    // instead of reaching the editor's undo.
    document()->clearUndoRedoStacks();
}

bool TextEditorField::event(QEvent* event)
{
    // Escape and Return belong to the text while it is typed, not to shortcuts of the window
    // (Escape clears the selection there).
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (isReturn(key) || key->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
    }
    return QTextEdit::event(event);
}

void TextEditorField::keyPressEvent(QKeyEvent* event)
{
    if (isReturn(event) && event->modifiers().testFlag(Qt::ShiftModifier)) {
        // A plain line break, as the canvas lays text out: Qt's own Shift+Return would insert a
        // U+2028 line separator inside the paragraph instead.
        QTextCursor cursor = textCursor();
        cursor.insertText(QStringLiteral("\n"));
        setTextCursor(cursor);
        event->accept();
        return;
    }
    if (isReturn(event) || event->key() == Qt::Key_Escape) {
        event->accept();
        Q_EMIT commitKeyPressed();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void TextEditorField::focusInEvent(QFocusEvent* event)
{
    QTextEdit::focusInEvent(event);
    Q_EMIT focusGained();
}

void TextEditorField::focusOutEvent(QFocusEvent* event)
{
    QTextEdit::focusOutEvent(event);
    // The user left the text, for another widget or another window. Not when a popup (the field's
    // own context menu) takes the focus, and not when the field goes because its editor is hidden
    // or deleted: whoever does that ends the editing already.
    if (event->reason() != Qt::PopupFocusReason && isVisible()) {
        Q_EMIT focusLost();
    }
}

} // namespace velmora
