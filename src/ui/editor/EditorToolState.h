#pragma once

#include "annotation/Annotation.h"

#include <QObject>
#include <QRectF>
#include <QSet>
#include <QUuid>

#include <optional>

namespace velmora {

class SettingsStore;

// The per-window interaction state the canvas, the toolbar and the editor window share: the tool,
// the selection, the crop rectangle, and the toolbar's drawing settings. The drawing settings are
// global (not per capture kind) and persist as soon as they change (see EditorSettings).
class EditorToolState : public QObject
{
    Q_OBJECT

public:
    explicit EditorToolState(SettingsStore& settings, QObject* parent = nullptr);

    AnnotationTool selectedTool() const { return m_selectedTool; }
    void setSelectedTool(AnnotationTool tool);

    const QSet<QUuid>& selectedAnnotationIds() const { return m_selectedAnnotationIds; }
    void setSelectedAnnotationIds(const QSet<QUuid>& ids);

    const std::optional<QRectF>& cropRect() const { return m_cropRect; }
    void setCropRect(const std::optional<QRectF>& rect);

    Color annotationColor() const { return m_annotationColor; }
    void setAnnotationColor(const Color& color);
    std::optional<Color> customAnnotationColor() const { return m_customAnnotationColor; }
    void setCustomAnnotationColor(const std::optional<Color>& color);
    bool annotationHasWhiteStroke() const { return m_annotationHasWhiteStroke; }
    void setAnnotationHasWhiteStroke(bool enabled);
    ArrowStyle arrowStyle() const { return m_arrowStyle; }
    void setArrowStyle(ArrowStyle style);

Q_SIGNALS:
    void selectedToolChanged();
    void selectionChanged();
    void cropRectChanged();
    void annotationColorChanged();
    void customAnnotationColorChanged();
    void annotationHasWhiteStrokeChanged();
    void arrowStyleChanged();

private:
    SettingsStore& m_settings;
    AnnotationTool m_selectedTool = AnnotationTool::arrow;
    QSet<QUuid> m_selectedAnnotationIds;
    std::optional<QRectF> m_cropRect;
    Color m_annotationColor;
    std::optional<Color> m_customAnnotationColor;
    bool m_annotationHasWhiteStroke;
    ArrowStyle m_arrowStyle;
};

} // namespace velmora
