#pragma once

#include <QColor>
#include <QPalette>

namespace velmora {

// The few derived colours the preferences window draws with. They come from the palette in force,
// so the window follows the light, dark or desktop appearance without colours of its own.
namespace PreferencesColors {

// Secondary and tertiary text: captions, descriptions, the path, an empty shortcut.
QColor secondaryText(const QPalette& palette);
QColor tertiaryText(const QPalette& palette);
// Hairlines between rows and around controls.
QColor separator(const QPalette& palette);
// The faint panel behind a section's content.
QColor sectionFill(const QPalette& palette);
// `color` at `opacity` laid over `base`, opaque.
QColor blend(const QColor& base, const QColor& color, qreal opacity);

} // namespace PreferencesColors

} // namespace velmora
