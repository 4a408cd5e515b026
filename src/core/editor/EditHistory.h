#pragma once

#include "annotation/Annotation.h"
#include "editor/BackgroundColorItem.h"
#include "editor/BackgroundSelection.h"
#include "editor/CaptureBackgroundAssets.h"

#include <QImage>
#include <QVector>

#include <optional>

namespace velmora {

// What one undo step brings back. Stroke width, font size, text style, the hovered colour and the
// wallpaper list are not part of the history.
struct EditorSnapshot
{
    QImage image;
    AnnotationList annotations;
    std::optional<CaptureBackgroundAssets> backgroundAssets;
    BackgroundSelection backgroundSelection;
    QVector<BackgroundColorItem> customBackgroundColors;
    double windowCaptureBackgroundBlur = 0;
    double windowCaptureShadow = 0;
    bool isBackgroundCompositeEnabled = false;
    double blurRadius = 0;
    double contentCornerRadius = 0;
    double contentPadding = 0;
    double contentInset = 0;
};

// The undo and redo stacks. Snapshots share their images with the session instead of copying
// pixels, so the history bounds both how many steps it keeps and how many distinct images those
// steps keep alive.
class EditHistory
{
public:
    static constexpr int maxDepth = 30;
    static constexpr int maxImageGenerations = 4;

    // Records the state before an undoable change; forgets what could be redone.
    void push(EditorSnapshot before);
    // One step back: the snapshot to restore, with `current` kept for redo. Nothing when there is
    // no step.
    std::optional<EditorSnapshot> undo(EditorSnapshot current);
    // One step forward again: the same with the stacks exchanged.
    std::optional<EditorSnapshot> redo(EditorSnapshot current);
    void clear();

    bool canUndo() const { return !m_undo.isEmpty(); }
    bool canRedo() const { return !m_redo.isEmpty(); }
    const QVector<EditorSnapshot>& undoStack() const { return m_undo; }
    const QVector<EditorSnapshot>& redoStack() const { return m_redo; }

private:
    void trimImageGenerations();

    QVector<EditorSnapshot> m_undo;
    QVector<EditorSnapshot> m_redo;
};

} // namespace velmora
