#pragma once

#include "annotation/Annotation.h"

#include <QPointer>
#include <QWidget>

namespace velmora {

class TextEditorField;

// The live text field laid over the canvas while a text annotation is typed. It looks like the
// finished text (face, size, colour, background of the style) and is centred where the canvas will
// draw the text, so committing changes nothing on screen but the chrome.
class InPlaceTextEditor : public QWidget
{
    Q_OBJECT
public:
    // Space between the field's text and the edge of its background, in view points.
    static constexpr int padding = 4;
    // Narrowest field for a text without a wrap width, in view points at any zoom; a longer line
    // widens it, since the drawn text does not wrap either.
    static constexpr double defaultFieldWidth = 250;

    // Laid over the canvas as a child of the canvas's parent, so a field near the picture's edge is
    // not cut off by it; placement follows the canvas when it moves. Its owner deletes it. Call
    // setAnnotation() and then show(): showing takes the keyboard focus. Hiding or deleting the
    // editor emits nothing, since the canvas is then ending the editing itself.
    explicit InPlaceTextEditor(QWidget* canvas);
    ~InPlaceTextEditor() override;

    // Styles, sizes and places itself (centred on position × zoom). The text is replaced only
    // when it differs, so the caret does not jump while the canvas echoes each keystroke back.
    void setAnnotation(const TextAnnotation& annotation, double zoom);
    QString text() const;

    // The width of the text area, in view points: the zoomed wrap width, or for a text without one
    // the longest line's width, at least defaultFieldWidth.
    double fieldWidth() const;
    // The font the field types with: the style's face at fontSize × zoom device-independent pixels.
    QFont fieldFont() const;
    // Whether a key press is the field's own: undo or redo while the field has typing to undo or
    // redo. Until its history runs out, the editor window's undo must not see these keys.
    bool ownsKey(int key, Qt::KeyboardModifiers modifiers) const;

Q_SIGNALS:
    // Every change the user makes: the canvas writes it into the annotation live.
    void textEdited(const QString& text);
    // Return or keypad Enter, Escape, or the focus moving to another widget or another window (the
    // field's own popup menu taking it leaves the text open).
    void commitRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateGeometryFromContent();
    void requestCommit(bool explicitly);

    QPointer<QWidget> m_canvas;
    TextEditorField* m_field = nullptr;
    QUuid m_id;
    TextStyle m_style = TextStyle::standard;
    QColor m_color;
    QPointF m_centre;
    std::optional<double> m_wrapWidth; // zoomed

    double m_fontSize = 32; // the annotation's, unzoomed
    bool m_hasWhiteStroke = false;
    double m_pixelSize = 32;
    // Changes made by setAnnotation() are not the user's edits and are not reported back.
    bool m_settingText = false;
    bool m_updatingGeometry = false;
    // Set once a commit has been asked for, so the focus loss that follows (the canvas hiding or
    // deleting the editor) does not ask again; cleared when the field gets focus back.
    bool m_commitRequested = false;
};

} // namespace velmora
