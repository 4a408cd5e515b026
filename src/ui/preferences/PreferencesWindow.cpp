#include "preferences/PreferencesWindow.h"

#include "icons/LucideIcon.h"
#include "preferences/AboutPreferencesView.h"
#include "preferences/GeneralPreferences.h"
#include "preferences/GeneralPreferencesView.h"
#include "preferences/HotkeyPreferences.h"
#include "preferences/HotkeysPreferencesView.h"
#include "preferences/SettingsStore.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmora {

namespace {

constexpr int tabIconSize = 16;

// The General and Hotkeys tabs hold more than 380 points on a desktop with large fonts; they
// scroll rather than grow the window past the size it was designed for.
QScrollArea* scrolling(QWidget* content)
{
    auto* area = new QScrollArea;
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The tab's own background shows through, as it would without the scroll area.
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return area;
}

} // namespace

PreferencesWindow::PreferencesWindow(HotkeyPreferences& hotkeys, GeneralPreferences& general,
                                     LaunchAtLogin launchAtLogin, SettingsStore& settings,
                                     std::optional<PlatformCapabilities> capabilities,
                                     DesktopShortcuts* desktopShortcuts, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMinimizeButtonHint)
{
    setWindowTitle(QStringLiteral("Preferences"));
    setFixedSize(contentSize);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 6, 0, 0);
    m_tabs = new QTabWidget(this);
    m_tabs->setDocumentMode(true);
    m_general = new GeneralPreferencesView(general, std::move(launchAtLogin), settings);
    m_hotkeys = capabilities ? new HotkeysPreferencesView(hotkeys, *capabilities, desktopShortcuts)
                             : new HotkeysPreferencesView(hotkeys);
    m_about = new AboutPreferencesView;
    m_tabs->addTab(scrolling(m_general), QStringLiteral("General"));
    m_tabs->addTab(scrolling(m_hotkeys), QStringLiteral("Hotkeys"));
    m_tabs->addTab(m_about, QStringLiteral("About"));
    layout->addWidget(m_tabs);
    updateTabIcons();
}

void PreferencesWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        updateTabIcons();
    }
    QWidget::changeEvent(event);
}

void PreferencesWindow::updateTabIcons()
{
    const QColor tint = palette().color(QPalette::WindowText);
    m_tabs->setTabIcon(0, LucideIcon::icon(QStringLiteral("settings"), tint, tabIconSize));
    m_tabs->setTabIcon(1, LucideIcon::icon(QStringLiteral("keyboard"), tint, tabIconSize));
    m_tabs->setTabIcon(2, LucideIcon::icon(QStringLiteral("info"), tint, tabIconSize));
}

PreferencesWindowController::PreferencesWindowController(HotkeyPreferences& hotkeys,
                                                         GeneralPreferences& general,
                                                         LaunchAtLogin launchAtLogin, SettingsStore& settings,
                                                         QObject* parent)
    : QObject(parent), m_hotkeys(hotkeys), m_general(general), m_launchAtLogin(std::move(launchAtLogin)),
      m_settings(settings)
{}

PreferencesWindowController::~PreferencesWindowController()
{
    delete m_window;
}

PreferencesWindowController& PreferencesWindowController::shared()
{
    static QPointer<PreferencesWindowController> controller;
    if (!controller) {
        controller =
            new PreferencesWindowController(HotkeyPreferences::shared(), GeneralPreferences::shared(),
                                            LaunchAtLogin(), SettingsStore::shared(), qApp);
        // The window is a widget: it must go while QApplication still exists, not with its children.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, controller, [] { delete controller.data(); });
    }
    return *controller;
}

void PreferencesWindowController::show()
{
    if (!m_window) {
        m_window = new PreferencesWindow(m_hotkeys, m_general, m_launchAtLogin, m_settings, m_capabilities,
                                         m_desktopShortcuts);
    }
    if (!m_window->isVisible()) {
        QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
        if (!screen) {
            screen = QGuiApplication::primaryScreen();
        }
        if (screen) {
            QRect frame = m_window->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            m_window->move(frame.topLeft());
        }
    }
    m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
}

} // namespace velmora
