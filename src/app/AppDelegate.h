#pragma once

#include "InstanceService.h"
#include "preferences/HotkeyPreferences.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QSystemTrayIcon;

namespace velmora {

class AppState;
class AppearanceController;
class CaptureFlows;
class GlobalHotKey;
class OcrService;
class OverlayPickers;
class TrayMenu;
class UpdateChecker;
struct CaptureResult;
struct Platform;

// The tray instance: owns everything that lives for the whole run (the editors' registry, the
// capture flows, the global shortcuts, the tray icon) and runs the commands other processes send
// it over the session bus.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    explicit AppDelegate(QObject* parent = nullptr);
    // On a given backend rather than the one the running display calls for (tests).
    explicit AppDelegate(std::unique_ptr<Platform> platform, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Start-up, in this order: leftovers of earlier drag exports, the desktop pictures (in the
    // background), the tray icon and its menu, the global shortcuts.
    void start();

    // One command line sent by another process (`velmora region --delay 2`, `velmora edit a.png`);
    // `reply` runs once, when the command is done.
    void runCommand(const QStringList& arguments, const QString& workingDirectory,
                    std::function<void(const CommandReply&)> reply);

    AppState& state() { return *m_state; }
    CaptureFlows& flows() { return *m_flows; }
    // Null when the desktop has no tray.
    QSystemTrayIcon* trayIcon() const { return m_trayIcon; }

    // The tray menu's commands that are not captures.
    void loadFromClipboard();
    void openImage();
    void copyLastScreenshot();
    void editLastScreenshot();
    void continueLastEdit();
    bool hasLastScreenshot() const;

    // "Quit Velmora" from the tray: with editors open, what is drawn in them would be lost, so
    // the user is asked first. Returns whether the application is quitting.
    bool requestQuit();
    // Asks whether to quit although `openEditors` editors are open; a dialog unless replaced
    // (tests).
    using QuitConfirmation = std::function<bool(int openEditors)>;
    void setQuitConfirmation(QuitConfirmation confirm) { m_confirmQuit = std::move(confirm); }

private:
    void setupTray();
    void setupHotKey();
    // Where the desktop assigns the keys: binds the captures that work here, each under its name.
    void setupDesktopShortcuts();
    // Every capture the tray or a shortcut asks for starts here; one that cannot work on this
    // desktop shows why instead, in the words of the tray row's tooltip.
    void startCapture(HotkeyPreferences::Action action);
    // Why a capture cannot work on this desktop; empty when it can.
    QString unavailableReason(HotkeyPreferences::Action action) const;
    void checkForUpdates();
    void runCapture(const QStringList& arguments, std::function<void(const CommandReply&)> reply);
    void captureFinished(const CaptureResult& result);
    void openFiles(const QStringList& files, const QString& workingDirectory,
                   std::function<void(const CommandReply&)> reply);
    // Opens an image read from the clipboard or a file, or says why not.
    void openLoaded(const std::optional<QImage>& image, const QString& problem);

    std::unique_ptr<Platform> m_platform;
    std::unique_ptr<OverlayPickers> m_pickers;
    std::unique_ptr<AppearanceController> m_appearance;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<OcrService> m_ocr;
    std::unique_ptr<CaptureFlows> m_flows;
    std::unique_ptr<GlobalHotKey> m_hotKey;
    std::unique_ptr<TrayMenu> m_trayMenu;
    std::unique_ptr<UpdateChecker> m_updates;
    QSystemTrayIcon* m_trayIcon = nullptr;
    // The command whose capture runs now, answered when the flow finishes.
    struct PendingCapture
    {
        QString command;
        std::function<void(const CommandReply&)> reply;
        bool started = false; // false while its countdown runs
    };
    std::optional<PendingCapture> m_pendingCapture;
    // A minute after the last capture or editor, what was kept to be quick next time is let go.
    QTimer m_idleTimer;
    QuitConfirmation m_confirmQuit;
};

// `velmora` without a command: becomes the tray instance, or, when one runs already, tells it and
// returns 0 at once.
int runTrayInstance();

} // namespace velmora
