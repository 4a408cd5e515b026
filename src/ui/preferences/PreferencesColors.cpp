#include "preferences/PreferencesColors.h"

namespace velmora::PreferencesColors {

namespace {

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

} // namespace

QColor secondaryText(const QPalette& palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.62);
}

QColor tertiaryText(const QPalette& palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.38);
}

QColor separator(const QPalette& palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.16);
}

QColor sectionFill(const QPalette& palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.05);
}

QColor blend(const QColor& base, const QColor& color, qreal opacity)
{
    const auto mix = [opacity](float a, float b) { return float(a + (b - a) * opacity); };
    return QColor::fromRgbF(mix(base.redF(), color.redF()), mix(base.greenF(), color.greenF()),
                            mix(base.blueF(), color.blueF()));
}

} // namespace velmora::PreferencesColors
