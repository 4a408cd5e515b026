#include "editor/EditorToolState.h"

#include "editor/EditorSettings.h"

namespace velmora {

// The annotation colour has a default, so it always reads as a colour.
EditorToolState::EditorToolState(SettingsStore& settings, QObject* parent)
    : QObject(parent), m_settings(settings),
      m_annotationColor(*EditorSettings::annotationColor.read(settings)),
      m_customAnnotationColor(EditorSettings::customAnnotationColor.read(settings)),
      m_annotationHasWhiteStroke(EditorSettings::annotationHasWhiteStroke.read(settings)),
      m_arrowStyle(EditorSettings::arrowStyle.read(settings))
{}

void EditorToolState::setSelectedTool(AnnotationTool tool)
{
    if (m_selectedTool != tool) {
        m_selectedTool = tool;
        Q_EMIT selectedToolChanged();
    }
}

void EditorToolState::setSelectedAnnotationIds(const QSet<QUuid>& ids)
{
    if (m_selectedAnnotationIds != ids) {
        m_selectedAnnotationIds = ids;
        Q_EMIT selectionChanged();
    }
}

void EditorToolState::setCropRect(const std::optional<QRectF>& rect)
{
    if (m_cropRect != rect) {
        m_cropRect = rect;
        Q_EMIT cropRectChanged();
    }
}

void EditorToolState::setAnnotationColor(const Color& color)
{
    m_annotationColor = color;
    EditorSettings::annotationColor.write(m_settings, color);
    Q_EMIT annotationColorChanged();
}

void EditorToolState::setCustomAnnotationColor(const std::optional<Color>& color)
{
    m_customAnnotationColor = color;
    EditorSettings::customAnnotationColor.write(m_settings, color);
    Q_EMIT customAnnotationColorChanged();
}

void EditorToolState::setAnnotationHasWhiteStroke(bool enabled)
{
    m_annotationHasWhiteStroke = enabled;
    EditorSettings::annotationHasWhiteStroke.write(m_settings, enabled);
    Q_EMIT annotationHasWhiteStrokeChanged();
}

void EditorToolState::setArrowStyle(ArrowStyle style)
{
    m_arrowStyle = style;
    EditorSettings::arrowStyle.write(m_settings, style);
    Q_EMIT arrowStyleChanged();
}

} // namespace velmora
