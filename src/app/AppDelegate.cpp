#include "AppDelegate.h"

#include "AppState.h"
#include "CaptureArguments.h"
#include "CaptureCommand.h"
#include "CaptureFlows.h"
#include "CaptureTiming.h"
#include "DesktopWallpaperCache.h"
#include "DesktopWallpaperSource.h"
#include "GlobalHotKey.h"
#include "InstanceClient.h"
#include "OverlayPickers.h"
#include "Platform.h"
#include "TextRecognizer.h"
#include "UpdateChecker.h"
#include "app/AppearanceController.h"
#include "capture/OcrService.h"
#include "capture/OverlayHosts.h"
#include "editor/BackgroundAssetStore.h"
#include "output/AppFolders.h"
#include "output/DragExportStore.h"
#include "preferences/GeneralPreferences.h"
#include "preferences/HotkeyPreferences.h"
#include "preferences/PreferencesWindow.h"
#include "preferences/SettingsStore.h"
#include "shell/PillNotification.h"
#include "shell/TrayMenu.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QThreadPool>
#include <QTimer>

#include <cstdio>

#include <malloc.h>

namespace velmora {

AppDelegate::AppDelegate(QObject* parent) : AppDelegate(createPlatform(), parent) {}

AppDelegate::AppDelegate(std::unique_ptr<Platform> platform, QObject* parent)
    : QObject(parent), m_platform(std::move(platform))
{
    CompositorWatch::setShared(m_platform->compositor.get());
    DesktopWallpaperCache::installShared({}, m_platform->rootBackground.get());
    m_pickers = std::make_unique<OverlayPickers>();
    m_platform->capture->setNotifier(
        [](const QString& message) { PillNotification::shared().show(message, 4.0); });
    m_appearance = std::make_unique<AppearanceController>(GeneralPreferences::shared());
    m_state = std::make_unique<AppState>(AppState::Services{
        SettingsStore::shared(), BackgroundAssetStore::shared(), GeneralPreferences::shared(),
        HotkeyPreferences::shared(), PillNotification::shared(), AppFolders::temporary()});
    m_ocr = std::make_unique<OcrService>(SettingsStore::shared());
    m_flows = std::make_unique<CaptureFlows>(CaptureFlows::Services{*m_platform,
                                                                    *m_pickers,
                                                                    DesktopWallpaperSource::system(),
                                                                    m_state.get(),
                                                                    &PillNotification::shared(),
                                                                    {},
                                                                    {},
                                                                    {},
                                                                    {},
                                                                    ocrServiceRecognizer(*m_ocr)});
    connect(m_flows.get(), &CaptureFlows::finished, this, &AppDelegate::captureFinished);
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(std::chrono::seconds(60));
    connect(m_flows.get(), &CaptureFlows::finished, &m_idleTimer, qOverload<>(&QTimer::start));
    connect(m_state.get(), &AppState::lastEditorClosed, &m_idleTimer, qOverload<>(&QTimer::start));
    connect(&m_idleTimer, &QTimer::timeout, this, [this] {
        if (m_flows->isBusy()) {
            m_idleTimer.start();
            return;
        }
        m_platform->capture->releaseIdleMemory();
        // Freed pictures leave the heap holding pages the tray instance will not need for a while.
        malloc_trim(0);
    });
    // A terminal that started the instance (and scripts/run) learns where saved files went.
    connect(m_state.get(), &AppState::imageSaved, this, [](const QString& path) {
        std::printf("Saved %s\n", qPrintable(path));
        std::fflush(stdout);
    });
    m_updates =
        std::make_unique<UpdateChecker>(SettingsStore::shared(), QCoreApplication::applicationVersion());
}

AppDelegate::~AppDelegate()
{
    m_hotKey.reset();
    delete m_trayIcon;
    // The picker's windows kept for the next capture go with the instance.
    OverlayHosts::releaseIdle();
    // Recognitions and desktop-picture loads still running use the services below.
    QThreadPool::globalInstance()->waitForDone();
    m_flows.reset();
    DesktopWallpaperCache::installShared({}, nullptr);
}

void AppDelegate::start()
{
    DragExportStore::removeAll();
    DesktopWallpaperCache::shared().prewarm(ScreenLayout::current());
    setupTray();
    setupHotKey();
}

void AppDelegate::setupTray()
{
    m_trayMenu = std::make_unique<TrayMenu>(HotkeyPreferences::shared(), [this] {
        return TrayMenu::Availability{hasLastScreenshot(), m_state->lastClosedSession() != nullptr};
    });
    m_trayMenu->setCapabilities(m_platform->capabilities);
    if (m_platform->desktopShortcuts &&
        m_platform->capabilities.shortcuts == PlatformCapabilities::Shortcuts::desktopAssigned) {
        m_trayMenu->followDesktopShortcuts(m_platform->desktopShortcuts.get());
    }
    PreferencesWindowController::shared().setCapabilities(m_platform->capabilities);
    connect(m_trayMenu.get(), &TrayMenu::triggered, this, [this](TrayMenu::Command command) {
        using Action = HotkeyPreferences::Action;
        switch (command) {
        case TrayMenu::Command::captureRegion:
            startCapture(Action::region);
            break;
        case TrayMenu::Command::captureText:
            startCapture(Action::ocr);
            break;
        case TrayMenu::Command::captureColor:
            startCapture(Action::colorCapture);
            break;
        case TrayMenu::Command::captureWindow:
            startCapture(Action::window);
            break;
        case TrayMenu::Command::captureFullScreen:
            startCapture(Action::fullScreen);
            break;
        case TrayMenu::Command::captureScrolling:
            startCapture(Action::scrollingCapture);
            break;
        case TrayMenu::Command::loadFromClipboard:
            loadFromClipboard();
            break;
        case TrayMenu::Command::openImage:
            openImage();
            break;
        case TrayMenu::Command::copyLastScreenshot:
            copyLastScreenshot();
            break;
        case TrayMenu::Command::editLastScreenshot:
            editLastScreenshot();
            break;
        case TrayMenu::Command::continueLastEdit:
            continueLastEdit();
            break;
        case TrayMenu::Command::openPreferences:
            PreferencesWindowController::shared().show();
            break;
        case TrayMenu::Command::checkForUpdates:
            checkForUpdates();
            break;
        case TrayMenu::Command::quit:
            requestQuit();
            break;
        }
    });
    // Without a tray on the desktop the icon waits for one; the command line and the shortcuts
    // work meanwhile.
    // The application's own coloured mark: a tinted glyph would vanish on panels whose colour
    // the palette does not know.
    m_trayIcon = new QSystemTrayIcon(QApplication::windowIcon());
    m_trayIcon->setToolTip(QStringLiteral("Velmora"));
    m_trayIcon->setContextMenu(m_trayMenu->menu());
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) {
            m_trayMenu->menu()->popup(QCursor::pos());
        }
    });
    m_trayIcon->show();
}

void AppDelegate::setupHotKey()
{
    if (m_platform->desktopShortcuts &&
        m_platform->capabilities.shortcuts == PlatformCapabilities::Shortcuts::desktopAssigned) {
        setupDesktopShortcuts();
        return;
    }
    // Where no key can be taken (Wayland without the shortcut portal, no display), the Hotkeys
    // tab lists the commands to bind in the desktop's settings; a pill per refused shortcut at
    // every start would only be noise.
    if (!m_platform->shortcuts ||
        m_platform->capabilities.shortcuts == PlatformCapabilities::Shortcuts::unavailable) {
        return;
    }
    using Action = HotkeyPreferences::Action;
    m_hotKey = std::make_unique<GlobalHotKey>(
        HotkeyPreferences::shared(), *m_platform->shortcuts,
        GlobalHotKey::Callbacks{
            [this] { startCapture(Action::region); }, [this] { startCapture(Action::window); },
            [this] { startCapture(Action::ocr); }, [this] { startCapture(Action::colorCapture); },
            [this] { startCapture(Action::fullScreen); },
            [this] { startCapture(Action::scrollingCapture); }});
    connect(m_hotKey.get(), &GlobalHotKey::shortcutUnavailable, this, [](const Hotkey& hotkey) {
        PillNotification::shared().show(
            QStringLiteral("Shortcut unavailable: %1").arg(hotkey.displayString()), 4.0,
            {{QStringLiteral("Preferences…"), QStringLiteral("settings"),
              [] { PreferencesWindowController::shared().show(); }, true}});
    });
    m_hotKey->start();
    if (CaptureTiming::enabled()) {
        // Measured from the moment the press reaches this process (bench/bench_shell.sh).
        auto* timing = new CaptureTiming(this);
        connect(m_platform->shortcuts.get(), &GlobalShortcuts::pressed, timing, &CaptureTiming::triggered);
        m_pickers->setPickObserver([timing] { timing->picked(); });
    }
}

void AppDelegate::setupDesktopShortcuts()
{
    DesktopShortcuts& desktop = *m_platform->desktopShortcuts;
    PreferencesWindowController::shared().setDesktopShortcuts(&desktop);
    connect(&desktop, &DesktopShortcuts::activated, this, [this](const QString& id) {
        if (const std::optional<HotkeyPreferences::Action> action =
                fromRawValue<HotkeyPreferences::Action>(id)) {
            startCapture(*action);
        }
    });
    // The names are the actions' stored names, the same from run to run, so that the desktop
    // keeps what the user assigned. Velmora's own combinations are only what it would like.
    QList<DesktopShortcuts::Request> requests;
    for (const HotkeyPreferences::Action action : HotkeyPreferences::captureActions()) {
        if (unavailableReason(action).isEmpty()) {
            requests.append({rawValue(action), HotkeyPreferences::title(action),
                             HotkeyPreferences::shared().hotkeyInForce(action)});
        }
    }
    desktop.bind(requests);
}

QString AppDelegate::unavailableReason(HotkeyPreferences::Action action) const
{
    const PlatformCapabilities& can = m_platform->capabilities;
    switch (action) {
    case HotkeyPreferences::Action::window:
        return can.windowUnavailableReason();
    case HotkeyPreferences::Action::scrollingCapture:
        return can.scrollingCapture ? QString() : can.scrollingUnavailableReason;
    default:
        return {};
    }
}

void AppDelegate::startCapture(HotkeyPreferences::Action action)
{
    // The tray row of such a capture is disabled, but a shortcut the desktop still holds for it
    // reaches here all the same.
    if (const QString why = unavailableReason(action); !why.isEmpty()) {
        PillNotification::shared().show(why, 4.0);
        return;
    }
    switch (action) {
    case HotkeyPreferences::Action::region:
        m_flows->startRegionCapture(RegionCaptureMode::editor);
        break;
    case HotkeyPreferences::Action::ocr:
        m_flows->startRegionCapture(RegionCaptureMode::ocr);
        break;
    case HotkeyPreferences::Action::colorCapture:
        m_flows->startRegionCapture(RegionCaptureMode::color);
        break;
    case HotkeyPreferences::Action::window:
        m_flows->startWindowCapture();
        break;
    case HotkeyPreferences::Action::fullScreen:
        m_flows->startFullScreenCapture();
        break;
    case HotkeyPreferences::Action::scrollingCapture:
        m_flows->startScrollingCapture();
        break;
    case HotkeyPreferences::Action::saveToDisk:
        break;
    }
}

bool AppDelegate::requestQuit()
{
    const int open = m_state->openEditorCount();
    if (open > 0) {
        const QuitConfirmation confirm = m_confirmQuit ? m_confirmQuit : [](int editors) {
            QMessageBox box(QMessageBox::Question, QStringLiteral("Quit Velmora?"),
                            editors == 1
                                ? QStringLiteral("An editor is open. What is drawn in it will be lost.")
                                : QStringLiteral("%1 editors are open. What is drawn in them will be lost.")
                                      .arg(editors));
            QPushButton* quit = box.addButton(QStringLiteral("Quit"), QMessageBox::DestructiveRole);
            box.addButton(QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Cancel);
            box.exec();
            return box.clickedButton() == quit;
        };
        if (!confirm(open)) {
            return false;
        }
    }
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    return true;
}

void AppDelegate::checkForUpdates()
{
    m_updates->check([](const UpdateChecker::Result& result) {
        QList<NotificationAction> actions;
        if (result.page.isValid()) {
            const QUrl page = result.page;
            actions.append(
                {QStringLiteral("Open Page"), {}, [page] { QDesktopServices::openUrl(page); }, true});
        }
        PillNotification::shared().show(result.message, actions.isEmpty() ? 2.0 : 6.0, actions);
    });
}

int runTrayInstance()
{
    std::unique_ptr<AppDelegate> delegate;
    InstanceService service([&delegate](const QStringList& arguments, const QString& workingDirectory,
                                        std::function<void(const CommandReply&)> reply) {
        delegate->runCommand(arguments, workingDirectory, std::move(reply));
    });
    QString problem;
    if (!service.registerOnSessionBus(&problem)) {
        if (instanceIsRunning()) {
            // One instance: this start only tells the running one, which shows nothing new.
            return runInInstance({QStringLiteral("activate")}, false).value_or(0);
        }
        std::fprintf(stderr, "velmora: other programs cannot reach this instance: %s\n", qPrintable(problem));
    }
    delegate = std::make_unique<AppDelegate>();
    delegate->start();
    const int status = QApplication::exec();
    delegate.reset();
    return status;
}

} // namespace velmora
