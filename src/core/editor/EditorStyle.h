#pragma once

#include "annotation/Annotation.h"
#include "editor/BackgroundColorItem.h"
#include "editor/BackgroundSelection.h"
#include "editor/CaptureKind.h"

#include <QVector>

namespace velmora {

class SettingsStore;
struct NumberSetting;

// The drawing and background values a session remembers for its capture kind: read through the
// settings declarations when the session opens, written back on every change, numbers held to
// their declared ranges. It announces nothing itself: the session does, after the consequences of
// a change (annotations moved with the content, the composite cleared), so that whoever listens
// sees them together.
class EditorStyle
{
public:
    EditorStyle(SettingsStore& settings, CaptureKind kind);

    CaptureKind captureKind() const { return m_kind; }

    double strokeWidth() const { return m_strokeWidth; }
    void setStrokeWidth(double value);
    double fontSize() const { return m_fontSize; }
    void setFontSize(double value);
    TextStyle textStyle() const { return m_textStyle; }
    void setTextStyle(TextStyle style);
    double blurRadius() const { return m_blurRadius; }
    void setBlurRadius(double value);
    const BackgroundSelection& backgroundSelection() const { return m_backgroundSelection; }
    void setBackgroundSelection(const BackgroundSelection& selection);
    const QVector<BackgroundColorItem>& customBackgroundColors() const { return m_customBackgroundColors; }
    void setCustomBackgroundColors(const QVector<BackgroundColorItem>& colors);
    double backgroundBlur() const { return m_backgroundBlur; }
    void setBackgroundBlur(double value);
    double shadow() const { return m_shadow; }
    void setShadow(double value);
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double value);
    double padding() const { return m_padding; }
    void setPadding(double value);
    double inset() const { return m_inset; }
    void setInset(double value);

private:
    void store(double& field, const NumberSetting& setting, double value);

    SettingsStore& m_settings;
    const CaptureKind m_kind;
    double m_strokeWidth;
    double m_fontSize;
    TextStyle m_textStyle;
    double m_blurRadius;
    BackgroundSelection m_backgroundSelection;
    QVector<BackgroundColorItem> m_customBackgroundColors;
    double m_backgroundBlur;
    double m_shadow;
    double m_cornerRadius;
    double m_padding;
    double m_inset;
};

} // namespace velmora
