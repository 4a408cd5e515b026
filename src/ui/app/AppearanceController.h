#pragma once

#include "preferences/AppAppearance.h"

#include <QObject>
#include <QPalette>

namespace velmora {

class GeneralPreferences;

// Applies the chosen appearance to the whole application: the Fusion style with a light or a dark
// palette, or, for "System", the desktop's own palette. Follows the preference live.
class AppearanceController : public QObject
{
    Q_OBJECT

public:
    explicit AppearanceController(GeneralPreferences& preferences, QObject* parent = nullptr);

    void apply(AppAppearance appearance);
    static QPalette lightPalette();
    static QPalette darkPalette();
    // Whether the application currently looks dark (the window colour is dark).
    static bool isDark();

private:
    QPalette m_systemPalette;
};

} // namespace velmora
