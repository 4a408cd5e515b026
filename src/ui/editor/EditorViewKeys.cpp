// The editor's keyboard: which keys belong to an open text, and what the others do.
#include "editor/EditorView.h"

#include "canvas/AnnotationCanvas.h"
#include "canvas/InPlaceTextEditor.h"
#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"
#include "preferences/HotkeyPreferences.h"

namespace velmora {

namespace {

std::optional<AnnotationTool> toolForLetter(int key)
{
    switch (key) {
    case Qt::Key_A:
        return AnnotationTool::arrow;
    case Qt::Key_T:
        return AnnotationTool::text;
    case Qt::Key_R:
        return AnnotationTool::rect;
    case Qt::Key_E:
        return AnnotationTool::ellipse;
    case Qt::Key_D:
        return AnnotationTool::draw;
    case Qt::Key_B:
        return AnnotationTool::blur;
    case Qt::Key_V:
        return AnnotationTool::select;
    default:
        return std::nullopt;
    }
}

bool isTextEditingKey(int key)
{
    switch (key) {
    case Qt::Key_A:
    case Qt::Key_C:
    case Qt::Key_X:
    case Qt::Key_V:
    case Qt::Key_Insert:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return true;
    default:
        return false;
    }
}

} // namespace

bool EditorView::isTextBeingEdited() const
{
    auto* c = canvas();
    return c && c->isEditingText();
}

bool EditorView::handleKey(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    Q_UNUSED(text);
    const Qt::KeyboardModifiers mods =
        modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const bool otherModifiers = mods & (Qt::AltModifier | Qt::MetaModifier);

    // While a text is open, plain keys and the usual editing combinations (select all, the
    // clipboard, moving and deleting by word) belong to the text, not to the picture.
    if (isTextBeingEdited() &&
        (!(mods & ~Qt::ShiftModifier) || (ctrl && !otherModifiers && isTextEditingKey(key)))) {
        return false;
    }
    // Undo and redo step through the typing first; the editor's history takes over once the
    // field has nothing left to undo.
    if (isTextBeingEdited() && canvas()->textEditor() && canvas()->textEditor()->ownsKey(key, mods)) {
        return false;
    }

    // The save shortcut is the user's choice.
    if (const auto save = m_hotkeys.hotkeyInForce(HotkeyPreferences::Action::saveToDisk)) {
        if (const auto combination = save->keyCombination()) {
            if (combination->key() == Qt::Key(key) && combination->keyboardModifiers() == mods) {
                Q_EMIT saveRequested();
                return true;
            }
        }
    }

    if (ctrl && !otherModifiers) {
        switch (key) {
        case Qt::Key_Equal:
        case Qt::Key_Plus:
            zoomIn();
            return true;
        case Qt::Key_Minus:
            zoomOut();
            return true;
        case Qt::Key_0:
            resetZoom();
            return true;
        case Qt::Key_A:
            selectAllAnnotations();
            return true;
        case Qt::Key_C:
            Q_EMIT copyRequested();
            return true;
        case Qt::Key_W:
            Q_EMIT closeRequested();
            return true;
        case Qt::Key_S:
            if (shift) {
                Q_EMIT saveAsRequested();
                return true;
            }
            return false;
        case Qt::Key_P:
            Q_EMIT pinRequested();
            return true;
        case Qt::Key_Z:
            shift ? m_session.redo() : m_session.undo();
            return true;
        default:
            return false;
        }
    }
    if (mods == Qt::NoModifier || mods == Qt::ShiftModifier) {
        switch (key) {
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
            deleteSelectedAnnotation();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            commitOrDeselect();
            return true;
        case Qt::Key_Escape:
            if (m_toolState->cropRect()) {
                m_toolState->setCropRect(std::nullopt);
            } else {
                Q_EMIT closeRequested();
            }
            return true;
        default:
            break;
        }
    }
    if (mods != Qt::NoModifier) {
        return false;
    }
    if (key == Qt::Key_Tab) {
        if (const auto hex = m_session.hoveredHex()) {
            Q_EMIT copyHexRequested(*hex);
            return true;
        }
        return false;
    }
    if (const auto tool = toolForLetter(key)) {
        m_toolState->setCropRect(std::nullopt);
        m_toolState->setSelectedTool(*tool);
        return true;
    }
    if (key == Qt::Key_C) {
        m_toolState->setSelectedTool(AnnotationTool::crop);
        return true;
    }
    if (key == Qt::Key_G) {
        toggleComposite();
        return true;
    }
    return false;
}

} // namespace velmora
