#include "editor/EditorStyle.h"

#include "editor/EditorSettings.h"

namespace velmora {

EditorStyle::EditorStyle(SettingsStore& settings, CaptureKind kind)
    : m_settings(settings), m_kind(kind), m_strokeWidth(EditorSettings::strokeWidth.read(settings, kind)),
      m_fontSize(EditorSettings::fontSize.read(settings, kind)),
      m_textStyle(EditorSettings::textStyle.read(settings, kind)),
      m_blurRadius(EditorSettings::blurRadius.read(settings, kind)),
      m_backgroundSelection(EditorSettings::backgroundSelection.read(settings, kind)),
      m_customBackgroundColors(EditorSettings::customBackgroundColors.read(settings, kind)),
      m_backgroundBlur(EditorSettings::backgroundBlur.read(settings, kind)),
      m_shadow(EditorSettings::shadow.read(settings, kind)),
      m_cornerRadius(EditorSettings::cornerRadius.read(settings, kind)),
      m_padding(EditorSettings::padding.read(settings, kind)),
      m_inset(EditorSettings::inset.read(settings, kind))
{}

void EditorStyle::store(double& field, const NumberSetting& setting, double value)
{
    field = setting.write(m_settings, m_kind, value);
}

void EditorStyle::setStrokeWidth(double value)
{
    store(m_strokeWidth, EditorSettings::strokeWidth, value);
}

void EditorStyle::setFontSize(double value)
{
    store(m_fontSize, EditorSettings::fontSize, value);
}

void EditorStyle::setTextStyle(TextStyle style)
{
    m_textStyle = style;
    EditorSettings::textStyle.write(m_settings, m_kind, style);
}

void EditorStyle::setBlurRadius(double value)
{
    store(m_blurRadius, EditorSettings::blurRadius, value);
}

void EditorStyle::setBackgroundSelection(const BackgroundSelection& selection)
{
    m_backgroundSelection = selection;
    EditorSettings::backgroundSelection.write(m_settings, m_kind, selection);
}

void EditorStyle::setCustomBackgroundColors(const QVector<BackgroundColorItem>& colors)
{
    m_customBackgroundColors = colors;
    EditorSettings::customBackgroundColors.write(m_settings, m_kind, colors);
}

void EditorStyle::setBackgroundBlur(double value)
{
    store(m_backgroundBlur, EditorSettings::backgroundBlur, value);
}

void EditorStyle::setShadow(double value)
{
    store(m_shadow, EditorSettings::shadow, value);
}

void EditorStyle::setCornerRadius(double value)
{
    store(m_cornerRadius, EditorSettings::cornerRadius, value);
}

void EditorStyle::setPadding(double value)
{
    store(m_padding, EditorSettings::padding, value);
}

void EditorStyle::setInset(double value)
{
    store(m_inset, EditorSettings::inset, value);
}

} // namespace velmora
