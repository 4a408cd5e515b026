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

QPalette AppearanceController::lightPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(246, 246, 248));
    p.setColor(QPalette::WindowText, QColor(29, 29, 31));
    p.setColor(QPalette::Base, QColor(255, 255, 255));
    p.setColor(QPalette::AlternateBase, QColor(240, 240, 243));
    p.setColor(QPalette::ToolTipBase, QColor(255, 255, 255));
    p.setColor(QPalette::ToolTipText, QColor(29, 29, 31));
    p.setColor(QPalette::Text, QColor(29, 29, 31));
    p.setColor(QPalette::Button, QColor(250, 250, 252));
    p.setColor(QPalette::ButtonText, QColor(29, 29, 31));
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(10, 132, 255));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(10, 100, 220));
    p.setColor(QPalette::Mid, QColor(200, 200, 206));
    p.setColor(QPalette::Midlight, QColor(228, 228, 232));
    p.setColor(QPalette::Dark, QColor(160, 160, 166));
    p.setColor(QPalette::PlaceholderText, QColor(140, 140, 146));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(160, 160, 166));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(160, 160, 166));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(160, 160, 166));
    return p;
}

QPalette AppearanceController::darkPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(32, 32, 35));
    p.setColor(QPalette::WindowText, QColor(236, 236, 240));
    p.setColor(QPalette::Base, QColor(24, 24, 27));
    p.setColor(QPalette::AlternateBase, QColor(40, 40, 44));
    p.setColor(QPalette::ToolTipBase, QColor(48, 48, 52));
    p.setColor(QPalette::ToolTipText, QColor(236, 236, 240));
    p.setColor(QPalette::Text, QColor(236, 236, 240));
    p.setColor(QPalette::Button, QColor(44, 44, 48));
    p.setColor(QPalette::ButtonText, QColor(236, 236, 240));
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(10, 132, 255));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(100, 170, 255));
    p.setColor(QPalette::Mid, QColor(70, 70, 76));
    p.setColor(QPalette::Midlight, QColor(58, 58, 63));
    p.setColor(QPalette::Dark, QColor(20, 20, 22));
    p.setColor(QPalette::PlaceholderText, QColor(130, 130, 136));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(110, 110, 116));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(110, 110, 116));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(110, 110, 116));
    return p;
}

bool AppearanceController::isDark()
{
    return QApplication::palette().color(QPalette::Window).lightness() < 128;
}

} // namespace velmora
