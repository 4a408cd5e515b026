#include "editor/SelectionStyleSync.h"

#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"
#include "toolbar/AnnotationToolbar.h"
#include "toolbar/ArrowStylePill.h"
#include "toolbar/ColorPill.h"
#include "toolbar/FontSizePill.h"
#include "toolbar/StrokeWidthPill.h"
#include "toolbar/TextStylePill.h"
#include "toolbar/WhiteStrokeToggle.h"

namespace velmora {

SelectionStyleSync::SelectionStyleSync(EditorSession& session, EditorToolState& toolState,
                                       AnnotationToolbar& toolbar, QObject* parent)
    : QObject(parent), m_session(session), m_toolState(toolState), m_toolbar(toolbar)
{
    connect(toolbar.colorPill(), &ColorPill::colorChosen, this,
            [this](const Color& color) { restyle(SetColor{color}); });
    connect(toolbar.colorPill(), &ColorPill::customColorPicked, this, &SelectionStyleSync::pickCustomColor);
    connect(toolbar.colorPill(), &ColorPill::customColorPanelClosed, this,
            [this] { m_isPickingCustomColor = false; });
    connect(toolbar.whiteStrokeToggle(), &QAbstractButton::clicked, this,
            [this](bool on) { restyle(SetWhiteStroke{on}); });
    connect(toolbar.strokeWidthPill(), &StrokeWidthPill::strokeWidthChosen, this,
            [this](double width) { restyle(SetLineWidth{width}); });
    connect(toolbar.arrowStylePill(), &ArrowStylePill::arrowStyleChosen, this,
            [this](ArrowStyle style) { restyle(SetArrowStyle{style}); });
    connect(toolbar.textStylePill(), &TextStylePill::textStyleChosen, this,
            [this](TextStyle style) { restyle(SetTextStyle{style}); });
    connect(toolbar.fontSizePill(), &FontSizePill::fontSizeChosen, this,
            [this](double size) { restyle(SetFontSize{size}); });

    // The toolbar shows the tool state on these; connected after it, this runs last and wins.
    connect(&toolState, &EditorToolState::selectionChanged, this, [this] {
        m_isPickingCustomColor = false;
        showValues();
    });
    for (auto signal :
         {&EditorToolState::annotationColorChanged, &EditorToolState::annotationHasWhiteStrokeChanged,
          &EditorToolState::arrowStyleChanged}) {
        connect(&toolState, signal, this, &SelectionStyleSync::showValues);
    }
    for (auto signal : {&EditorSession::annotationsChanged, &EditorSession::strokeWidthChanged,
                        &EditorSession::fontSizeChanged, &EditorSession::textStyleChanged}) {
        connect(&session, signal, this, &SelectionStyleSync::showValues);
    }
    showValues();
}

QSet<QUuid> SelectionStyleSync::targetIds() const
{
    // The text being typed takes a style as the user picks it, like a selected one: they are
    // looking at it, and would otherwise have to finish it, restyle it and type on.
    QSet<QUuid> ids = m_toolState.selectedAnnotationIds();
    for (const Annotation& annotation : m_session.annotations()) {
        const auto* text = std::get_if<TextAnnotation>(&annotation);
        if (text && text->isEditing) {
            ids.insert(text->id);
        }
    }
    return ids;
}

void SelectionStyleSync::restyle(const StyleChange& change)
{
    m_session.restyleAnnotations(targetIds(), change);
}

void SelectionStyleSync::pickCustomColor(const Color& color)
{
    // The first change of a picking records the undo point; the rest join it.
    if (m_session.restyleAnnotations(targetIds(), SetColor{color}, !m_isPickingCustomColor)) {
        m_isPickingCustomColor = true;
    }
}

AnnotationStyle SelectionStyleSync::shownStyle() const
{
    AnnotationStyle style;
    const QSet<QUuid> ids = targetIds();
    if (ids.size() == 1) {
        if (const Annotation* annotation = findAnnotation(m_session.annotations(), *ids.begin())) {
            style = styleOf(*annotation);
        }
    }
    style.color = style.color.value_or(m_toolState.annotationColor());
    style.hasWhiteStroke = style.hasWhiteStroke.value_or(m_toolState.annotationHasWhiteStroke());
    style.lineWidth = style.lineWidth.value_or(m_session.strokeWidth());
    style.arrowStyle = style.arrowStyle.value_or(m_toolState.arrowStyle());
    style.textStyle = style.textStyle.value_or(m_session.textStyle());
    style.fontSize = style.fontSize.value_or(m_session.fontSize());
    return style;
}

void SelectionStyleSync::showValues()
{
    const AnnotationStyle style = shownStyle();
    m_toolbar.colorPill()->setColor(*style.color);
    m_toolbar.fontSizePill()->setColor(*style.color);
    m_toolbar.textStylePill()->setColor(*style.color);
    m_toolbar.whiteStrokeToggle()->setColor(*style.color);
    m_toolbar.whiteStrokeToggle()->setOn(*style.hasWhiteStroke);
    m_toolbar.strokeWidthPill()->setStrokeWidth(*style.lineWidth);
    m_toolbar.arrowStylePill()->setArrowStyle(*style.arrowStyle);
    m_toolbar.textStylePill()->setTextStyle(*style.textStyle);
    m_toolbar.fontSizePill()->setFontSize(*style.fontSize);
}

} // namespace velmora
