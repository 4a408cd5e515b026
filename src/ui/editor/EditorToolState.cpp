#include "editor/EditorToolState.h"

#include "preferences/SettingsStore.h"

#include <algorithm>

namespace velmora {

namespace {
const QString colorKey = QStringLiteral("annotationColor");
const QString customColorKey = QStringLiteral("customAnnotationColor");
const QString whiteStrokeKey = QStringLiteral("annotationHasWhiteStroke");
const QString arrowStyleKey = QStringLiteral("annotationArrowStyle");
const Color defaultRed = Color::fromRgb8(255, 59, 48);
} // namespace

EditorToolState::EditorToolState(SettingsStore& settings, QObject* parent)
    : QObject(parent), m_settings(settings)
{
    m_annotationColor = readColor(settings, colorKey).value_or(defaultRed);
    m_customAnnotationColor = readColor(settings, customColorKey);
    m_annotationHasWhiteStroke = settings.boolean(whiteStrokeKey).value_or(false);
    m_arrowStyle = fromRawValue<ArrowStyle>(settings.string(arrowStyleKey).value_or(QString()))
                       .value_or(ArrowStyle::sketch);
}

std::optional<Color> EditorToolState::readColor(const SettingsStore& settings, const QString& key)
{
    const auto r = settings.number(key + QStringLiteral(".r"));
    if (!r) {
        return std::nullopt;
    }
    const double g = settings.number(key + QStringLiteral(".g")).value_or(0);
    const double b = settings.number(key + QStringLiteral(".b")).value_or(0);
    return Color{std::clamp(*r, 0.0, 1.0), std::clamp(g, 0.0, 1.0), std::clamp(b, 0.0, 1.0), 1};
}

void EditorToolState::writeColor(SettingsStore& settings, const QString& key,
                                 const std::optional<Color>& color)
{
    const QString suffixes[] = {QStringLiteral(".r"), QStringLiteral(".g"), QStringLiteral(".b")};
    if (!color) {
        for (const QString& suffix : suffixes) {
            settings.remove(key + suffix);
        }
        return;
    }
    settings.setValue(key + suffixes[0], color->red);
    settings.setValue(key + suffixes[1], color->green);
    settings.setValue(key + suffixes[2], color->blue);
}

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
    writeColor(m_settings, colorKey, color);
    Q_EMIT annotationColorChanged();
}

void EditorToolState::setCustomAnnotationColor(const std::optional<Color>& color)
{
    m_customAnnotationColor = color;
    writeColor(m_settings, customColorKey, color);
    Q_EMIT customAnnotationColorChanged();
}

void EditorToolState::setAnnotationHasWhiteStroke(bool enabled)
{
    m_annotationHasWhiteStroke = enabled;
    m_settings.setValue(whiteStrokeKey, enabled);
    Q_EMIT annotationHasWhiteStrokeChanged();
}

void EditorToolState::setArrowStyle(ArrowStyle style)
{
    m_arrowStyle = style;
    m_settings.setValue(arrowStyleKey, rawValue(style));
    Q_EMIT arrowStyleChanged();
}

} // namespace velmora
