#include "shell/TrayMenu.h"

#include "RawValue.h"
#include "icons/LucideIcon.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPalette>

namespace velmora {

namespace {

using Action = HotkeyPreferences::Action;

// The capture rows and the shortcut each shows.
const std::map<TrayMenu::Command, Action> captureShortcuts{
    {TrayMenu::Command::captureRegion, Action::region},
    {TrayMenu::Command::captureText, Action::ocr},
    {TrayMenu::Command::captureColor, Action::colorCapture},
    {TrayMenu::Command::captureWindow, Action::window},
    {TrayMenu::Command::captureFullScreen, Action::fullScreen},
    {TrayMenu::Command::captureScrolling, Action::scrollingCapture},
};

} // namespace

TrayMenu::TrayMenu(HotkeyPreferences& hotkeys, std::function<Availability()> availability, QObject* parent)
    : QObject(parent), m_hotkeys(hotkeys), m_availability(std::move(availability)),
      m_menu(std::make_unique<QMenu>())
{
    add(Command::captureRegion, QStringLiteral("Capture Area"), QStringLiteral("crop"));
    add(Command::captureText, QStringLiteral("Capture Text"), QStringLiteral("type"));
    add(Command::captureColor, QStringLiteral("Capture Color"), QStringLiteral("droplet"));
    add(Command::captureWindow, QStringLiteral("Capture Window"), QStringLiteral("app-window"));
    add(Command::captureFullScreen, QStringLiteral("Capture Full Screen"), QStringLiteral("monitor"));
    add(Command::captureScrolling, QStringLiteral("Capture While Scrolling"), QStringLiteral("monitor"));
    m_menu->addSeparator();
    add(Command::loadFromClipboard, QStringLiteral("Load from Clipboard"), QStringLiteral("clipboard-paste"));
    add(Command::openImage, QStringLiteral("Open Image…"), QStringLiteral("folder-open"));
    add(Command::copyLastScreenshot, QStringLiteral("Copy Last Screenshot"), QStringLiteral("copy"));
    add(Command::editLastScreenshot, QStringLiteral("Edit Last Screenshot"), QStringLiteral("pencil"));
    add(Command::continueLastEdit, QStringLiteral("Continue Last Edit"), QStringLiteral("history"));
    m_menu->addSeparator();
    add(Command::openPreferences, QStringLiteral("Preferences…"), QStringLiteral("settings"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    add(Command::checkForUpdates, QStringLiteral("Check for Updates…"), {});
    m_menu->addSeparator();
    add(Command::quit, QStringLiteral("Quit Velmora"), {})->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(m_menu.get(), &QMenu::aboutToShow, this, &TrayMenu::refresh);
    refresh();
}

TrayMenu::~TrayMenu() = default;

QAction* TrayMenu::add(Command command, const QString& title, const QString& icon)
{
    QAction* action = m_menu->addAction(title);
    m_titles.emplace(command, title);
    if (!icon.isEmpty()) {
        action->setIcon(LucideIcon::icon(icon, m_menu->palette().color(QPalette::Text), 16));
    }
    // The menu names the shortcuts; the keys themselves are taken for the whole desktop elsewhere.
    action->setShortcutContext(Qt::WidgetShortcut);
    action->setShortcutVisibleInContextMenu(true);
    connect(action, &QAction::triggered, this, [this, command] { Q_EMIT triggered(command); });
    m_actions.emplace(command, action);
    return action;
}

void TrayMenu::refresh()
{
    const auto assigned = m_desktop ? m_desktop->assignments() : std::nullopt;
    for (const auto& [command, hotkeyAction] : captureShortcuts) {
        if (m_desktop) {
            // The desktop's words need not parse as keys; the text after a tab is drawn in the
            // shortcut column all the same.
            const QString keys = assigned ? assigned->value(rawValue(hotkeyAction)) : QString();
            action(command)->setShortcut({});
            action(command)->setText(keys.isEmpty() ? m_titles.at(command)
                                                    : m_titles.at(command) + QLatin1Char('\t') + keys);
            continue;
        }
        const std::optional<Hotkey> hotkey = m_hotkeys.hotkeyInForce(hotkeyAction);
        const std::optional<QKeyCombination> keys = hotkey ? hotkey->keyCombination() : std::nullopt;
        action(command)->setShortcut(keys ? QKeySequence(*keys) : QKeySequence());
    }
    const Availability now = m_availability ? m_availability() : Availability{};
    action(Command::copyLastScreenshot)->setEnabled(now.lastScreenshot);
    action(Command::editLastScreenshot)->setEnabled(now.lastScreenshot);
    action(Command::continueLastEdit)->setEnabled(now.lastClosedEditor);
}

void TrayMenu::followDesktopShortcuts(const DesktopShortcuts* desktop)
{
    m_desktop = desktop;
    refresh();
}

} // namespace velmora

namespace velmora {

void TrayMenu::setCapabilities(const PlatformCapabilities& capabilities)
{
    m_menu->setToolTipsVisible(true);
    QAction* window = action(Command::captureWindow);
    window->setEnabled(capabilities.windowCapture());
    window->setToolTip(capabilities.windowUnavailableReason());
    QAction* scrolling = action(Command::captureScrolling);
    scrolling->setEnabled(capabilities.scrollingCapture);
    scrolling->setToolTip(capabilities.scrollingCapture ? QString()
                                                        : capabilities.scrollingUnavailableReason);
}

} // namespace velmora
