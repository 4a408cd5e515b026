#pragma once

#include "annotation/AnnotationStyle.h"

#include <QObject>

namespace velmora {

class AnnotationToolbar;
class EditorSession;
class EditorToolState;

// Ties the toolbar's style pills to the selection. A style chosen while annotations are selected,
// or while a text is being typed, restyles every selected annotation that has that property and
// the typed text, as one undo step; the toolbar still
// makes it the style of the next annotation, as it does with nothing selected, so what the user
// just picked is what they keep drawing with. While exactly one annotation is selected the pills
// show its values; otherwise they show the tool state.
class SelectionStyleSync : public QObject
{
    Q_OBJECT

public:
    SelectionStyleSync(EditorSession& session, EditorToolState& toolState, AnnotationToolbar& toolbar,
                       QObject* parent = nullptr);

    // The style the pills show: the single selected (or typed) annotation's values, the tool
    // state's where it lacks a property or when there is not exactly one such annotation.
    AnnotationStyle shownStyle() const;

private:
    // The annotations a chosen style applies to: the selection and the text being typed.
    QSet<QUuid> targetIds() const;
    void restyle(const StyleChange& change);
    void pickCustomColor(const Color& color);
    void showValues();

    EditorSession& m_session;
    EditorToolState& m_toolState;
    AnnotationToolbar& m_toolbar;
    // While the custom colour is being dragged about, its changes make one undo step.
    bool m_isPickingCustomColor = false;
};

} // namespace velmora
