#include "app/AppearanceController.h"

#include "preferences/GeneralPreferences.h"

#include <QApplication>
#include <QStyleFactory>

namespace velmora {

AppearanceController::AppearanceController(GeneralPreferences& preferences, QObject* parent)
    : QObject(parent), m_systemPalette(QApplication::palette())
{
    // The desktop's palette is what "System" means; keep it before Fusion takes over the look.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    apply(preferences.appearance());
    connect(&preferences, &GeneralPreferences::appearanceChanged, this,
            [this, &preferences] { apply(preferences.appearance()); });
}

void AppearanceController::apply(AppAppearance appearance)
{
    switch (appearance) {
    case AppAppearance::light:
        QApplication::setPalette(lightPalette());
        break;
    case AppAppearance::dark:
        QApplication::setPalette(darkPalette());
        break;
    case AppAppearance::system:
        QApplication::setPalette(m_systemPalette);
        break;
    }
}

namespace {

// One appearance's colours; both palettes are built from the same list of roles.
struct PaletteColors
{
    QColor window, text, base, alternateBase, toolTipBase, button, link, mid, midlight, dark, placeholder,
        disabled;
};

QPalette makePalette(const PaletteColors& c)
{
    QPalette p;
    const std::pair<QPalette::ColorRole, QColor> roles[] = {
        {QPalette::Window, c.window},
        {QPalette::WindowText, c.text},
        {QPalette::Base, c.base},
        {QPalette::AlternateBase, c.alternateBase},
        {QPalette::ToolTipBase, c.toolTipBase},
        {QPalette::ToolTipText, c.text},
        {QPalette::Text, c.text},
        {QPalette::Button, c.button},
        {QPalette::ButtonText, c.text},
        {QPalette::BrightText, Qt::white},
        {QPalette::Highlight, QColor(10, 132, 255)},
        {QPalette::HighlightedText, Qt::white},
        {QPalette::Link, c.link},
        {QPalette::Mid, c.mid},
        {QPalette::Midlight, c.midlight},
        {QPalette::Dark, c.dark},
        {QPalette::PlaceholderText, c.placeholder},
    };
    for (const auto& [role, color] : roles) {
        p.setColor(role, color);
    }
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText}) {
        p.setColor(QPalette::Disabled, role, c.disabled);
    }
    return p;
}

} // namespace

QPalette AppearanceController::lightPalette()
{
    return makePalette({QColor(246, 246, 248), QColor(29, 29, 31), QColor(255, 255, 255),
                        QColor(240, 240, 243), QColor(255, 255, 255), QColor(250, 250, 252),
                        QColor(10, 100, 220), QColor(200, 200, 206), QColor(228, 228, 232),
                        QColor(160, 160, 166), QColor(140, 140, 146), QColor(160, 160, 166)});
}

QPalette AppearanceController::darkPalette()
{
    return makePalette({QColor(32, 32, 35), QColor(236, 236, 240), QColor(24, 24, 27), QColor(40, 40, 44),
                        QColor(48, 48, 52), QColor(44, 44, 48), QColor(100, 170, 255), QColor(70, 70, 76),
                        QColor(58, 58, 63), QColor(20, 20, 22), QColor(130, 130, 136),
                        QColor(110, 110, 116)});
}

bool AppearanceController::isDark()
{
    return QApplication::palette().color(QPalette::Window).lightness() < 128;
}

} // namespace velmora
