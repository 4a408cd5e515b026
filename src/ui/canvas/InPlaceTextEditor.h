#pragma once

#include "annotation/Annotation.h"

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
    // Width of the field when the annotation has no wrap width, in view points at any zoom.
    static constexpr double defaultFieldWidth = 250;

    // Created as a child of the canvas; geometry is in the canvas's (view) coordinates. Call
    // setAnnotation() and then show(): showing takes the keyboard focus. Hiding or deleting the
    // editor emits nothing, since the canvas is then ending the editing itself.
    explicit InPlaceTextEditor(QWidget* canvas);
    ~InPlaceTextEditor() override;

    // Styles, sizes and places itself (centred on position × zoom). The text is replaced only
    // when it differs, so the caret does not jump while the canvas echoes each keystroke back.
    void setAnnotation(const TextAnnotation& annotation, double zoom);
    QString text() const;

    // The width the text wraps at, in view points.
    double fieldWidth() const { return m_fieldWidth; }
    // The font the field types with: the style's face at fontSize × zoom device-independent pixels.
    QFont fieldFont() const;

Q_SIGNALS:
    // Every change the user makes: the canvas writes it into the annotation live.
    void textEdited(const QString& text);
    // Return or keypad Enter, Escape, or the focus moving to another widget of the window (a
    // popup or another window taking it leaves the text open).
    void commitRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void updateGeometryFromContent();
    void requestCommit(bool explicitly);

    TextEditorField* m_field = nullptr;
    QUuid m_id;
    TextStyle m_style = TextStyle::standard;
    QColor m_color;
    QPointF m_centre;
    double m_fieldWidth = defaultFieldWidth;
    double m_pixelSize = 32;
    // Changes made by setAnnotation() are not the user's edits and are not reported back.
    bool m_settingText = false;
    bool m_updatingGeometry = false;
    // Set once a commit has been asked for, so the focus loss that follows (the canvas hiding or
    // deleting the editor) does not ask again; cleared when the field gets focus back.
    bool m_commitRequested = false;
};

} // namespace velmora
