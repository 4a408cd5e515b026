#include "DesktopShortcuts.h"
#include "RawValue.h"
#include "app/AppearanceController.h"
#include "preferences/GeneralPreferences.h"
#include "preferences/GeneralPreferencesView.h"
#include "preferences/HotkeyPreferences.h"
#include "preferences/HotkeyRecorderButton.h"
#include "preferences/HotkeysPreferencesView.h"
#include "preferences/LaunchAtLogin.h"
#include "preferences/PreferencesWindow.h"
#include "preferences/SettingsStore.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

// A desktop that has answered: the area and text captures got Velmora's own combinations, the
// window capture another one, the rest no keys; its dialog opens on request.
class AnsweredDesktop final : public velmora::DesktopShortcuts
{
public:
    using DesktopShortcuts::DesktopShortcuts;
    void bind(const QList<Request>&) override {}
    std::optional<QMap<QString, QString>> assignments() const override
    {
        using Action = velmora::HotkeyPreferences::Action;
        return QMap<QString, QString>{{velmora::rawValue(Action::region), QStringLiteral("Ctrl+Shift+2")},
                                      {velmora::rawValue(Action::ocr), QStringLiteral("Ctrl+Shift+3")},
                                      {velmora::rawValue(Action::window), QStringLiteral("Super+Shift+W")}};
    }
    Change change() const override { return Change::configure; }
    void requestChange() override {}
    void refresh() override {}
};

} // namespace

// velmora-dev-preferences [--tab N] [--record] [--appearance system|light|dark] [--grab FOLDER]
// [--shortcuts grabbed|portal|none]: the
// preferences window on throw-away settings (nothing of the user's is read or written), for looking at it.
int main(int argc, char* argv[])
{
    using namespace velmora;
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-dev-preferences"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption tab(QStringLiteral("tab"), QStringLiteral("The tab to open (0–2)."),
                                 QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption record(QStringLiteral("record"),
                                    QStringLiteral("Start recording the Capture Area shortcut."));
    const QCommandLineOption appearance(QStringLiteral("appearance"),
                                        QStringLiteral("system, light or dark."), QStringLiteral("name"),
                                        QStringLiteral("system"));
    const QCommandLineOption grab(
        QStringLiteral("grab"),
        QStringLiteral("Write each tab's whole content (past the scrolling) as PNGs "
                       "into the folder, then quit."),
        QStringLiteral("folder"));
    const QCommandLineOption shortcuts(
        QStringLiteral("shortcuts"),
        QStringLiteral("Who takes the global shortcuts: grabbed (X11), portal (the desktop, which has "
                       "assigned some), none (Wayland without the GlobalShortcuts portal)."),
        QStringLiteral("who"), QStringLiteral("grabbed"));
    parser.addOptions({tab, record, appearance, grab, shortcuts});
    parser.process(app);

    QTemporaryDir folder;
    MemorySettingsStore store;
    store.setValue(GeneralPreferences::appearanceKey, parser.value(appearance));
    HotkeyPreferences hotkeys(store);
    GeneralPreferences general(store);
    AppearanceController appearanceController(general);
    PreferencesWindowController controller(
        hotkeys, general, LaunchAtLogin(folder.path(), QCoreApplication::applicationFilePath()), store);
    AnsweredDesktop desktop;
    if (parser.value(shortcuts) != QLatin1String("grabbed")) {
        PlatformCapabilities capabilities;
        capabilities.interactiveWindowGrab = true;
        capabilities.shortcuts = parser.value(shortcuts) == QLatin1String("portal")
                                     ? PlatformCapabilities::Shortcuts::desktopAssigned
                                     : PlatformCapabilities::Shortcuts::unavailable;
        controller.setCapabilities(capabilities);
        controller.setDesktopShortcuts(&desktop);
    }
    controller.show();
    controller.window()->tabs()->setCurrentIndex(parser.value(tab).toInt());
    if (parser.isSet(record)) {
        controller.window()->hotkeysView()->recorder(HotkeyPreferences::Action::region)->startRecording();
    }
    if (parser.isSet(grab)) {
        PreferencesWindow* window = controller.window();
        const QString out = parser.value(grab);
        const auto save = [&out](QWidget* view, const QString& name) {
            view->resize(view->width(), view->sizeHint().height());
            view->grab().save(out + QLatin1Char('/') + name + QStringLiteral(".png"));
        };
        save(window->generalView(), QStringLiteral("prefs-general-content"));
        save(window->hotkeysView(), QStringLiteral("prefs-hotkeys-content"));
        return 0;
    }
    return QApplication::exec();
}
