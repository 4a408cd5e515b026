#include "AppDelegate.h"
#include "BeautifyCommand.h"
#include "CaptureArguments.h"
#include "CaptureCommand.h"
#include "EditCommand.h"
#include "InstanceClient.h"
#include "OcrCommand.h"
#include "StitchCommand.h"
#include "capture/OcrService.h"
#include "preferences/PreferencesWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QUrl>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

const char* const description = "A lightweight tray app for capturing screenshots with built-in annotation.";

void describe()
{
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.velmora.Velmora"));
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/app/velmora.svg")));
    }
}

// Whether a session bus can be reached, decided without connecting to it. Without one, no
// instance can be reached either and every command runs in its own process.
bool sessionBusConfigured()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        return true;
    }
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(QString::fromLocal8Bit(runtime) + QStringLiteral("/bus"));
}

// The commands the tray instance runs for the calling process: captures that open an editor or
// copy, opening files, the preferences window and quitting. Captures written to a file (-o),
// --help, arguments that do not parse and `edit --save-and-quit` stay in this process, as does
// everything when VELMORA_STANDALONE is set.
bool runsInInstance(const QString& command, const QStringList& arguments)
{
    if (!qEnvironmentVariableIsEmpty("VELMORA_STANDALONE") || !sessionBusConfigured()) {
        return false;
    }
    if (velmora::isCaptureCommand(command)) {
        const velmora::CaptureArguments parsed = velmora::parseCaptureArguments(arguments);
        return parsed.helpText.isEmpty() && parsed.error.isEmpty() && parsed.output.isEmpty();
    }
    if (command == QLatin1String("edit")) {
        for (const QString& argument : arguments.mid(2)) {
            if (argument.startsWith(QLatin1Char('-'))) {
                return false;
            }
        }
        return arguments.size() > 2;
    }
    // Anything after them (--help, a stray word) is answered here.
    return (command == QLatin1String("preferences") || command == QLatin1String("quit")) &&
           arguments.size() == 2;
}

// `velmora FILE…` (what the launcher's "Open With" runs) is `velmora edit FILE…`.
bool namesFiles(const QStringList& arguments)
{
    if (arguments.size() < 2) {
        return false;
    }
    for (const QString& argument : arguments.mid(1)) {
        if (!argument.startsWith(QLatin1String("file://")) && !QFileInfo(argument).isFile()) {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();

    if (command.isEmpty()) {
        QApplication app(argc, argv);
        describe();
        QApplication::setQuitOnLastWindowClosed(false);
        return velmora::runTrayInstance();
    }

    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    // The argument vector is rebuilt with the command in front; it outlives the application object.
    static std::vector<QByteArray> rebuilt;
    static std::vector<char*> rebuiltArgv;
    if (namesFiles(arguments)) {
        command = QStringLiteral("edit");
        for (QString& argument : arguments) {
            if (argument.startsWith(QLatin1String("file://"))) {
                argument = QUrl(argument).toLocalFile();
            }
        }
        arguments.insert(1, command);
        for (const QString& argument : std::as_const(arguments)) {
            rebuilt.push_back(argument.toLocal8Bit());
        }
        for (QByteArray& argument : rebuilt) {
            rebuiltArgv.push_back(argument.data());
        }
        rebuiltArgv.push_back(nullptr);
        argc = int(rebuilt.size());
        argv = rebuiltArgv.data();
    }
    if (runsInInstance(command, arguments)) {
        QCoreApplication app(argc, argv);
        describe();
        return velmora::runInInstance(arguments.mid(1), command != QLatin1String("quit")).value_or(2);
    }
    if ((command == QLatin1String("preferences") || command == QLatin1String("quit")) &&
        arguments.size() > 2) {
        const QString argument = arguments.at(2);
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            std::printf("Usage: velmora %s\n%s\n", qPrintable(command),
                        command == QLatin1String("quit") ? "End the running tray instance."
                                                         : "Show the preferences window.");
            return 0;
        }
        std::fprintf(stderr, "velmora %s: unexpected argument \"%s\"\n", qPrintable(command),
                     qPrintable(argument));
        return 2;
    }
    if (command == QLatin1String("quit")) {
        // No bus, so no instance this process could reach: nothing to end.
        return 0;
    }
    if (command == QLatin1String("preferences")) {
        // No instance to show them: this process shows them until the window closes.
        if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            std::fprintf(stderr, "velmora preferences: no display to show them on\n");
            return 2;
        }
        QApplication app(argc, argv);
        describe();
        velmora::PreferencesWindowController::shared().show();
        return QApplication::exec();
    }

    if (command == QLatin1String("beautify")) {
        // Rendering needs fonts but no display: run on the offscreen platform unless told otherwise.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        QGuiApplication app(argc, argv);
        describe();
        return velmora::runBeautify(app.arguments());
    }
    if (command == QLatin1String("stitch")) {
        QCoreApplication app(argc, argv);
        describe();
        return velmora::runStitch(app.arguments());
    }
    if (command == QLatin1String("ocr")) {
        velmora::restartWithOneOcrThread(argv);
        // Reading an image needs no display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        QGuiApplication app(argc, argv);
        describe();
        return velmora::runOcr(app.arguments());
    }
    if (command == QLatin1String("edit")) {
        QApplication app(argc, argv);
        describe();
        QApplication::setQuitOnLastWindowClosed(false);
        return velmora::runEdit(app.arguments());
    }

    if (velmora::isCaptureCommand(command)) {
        if (command == QLatin1String("text")) {
            velmora::restartWithOneOcrThread(argv);
        }
        // Read before the application object exists: QGuiApplication takes -geometry for itself.
        const velmora::CaptureArguments parsed = velmora::parseCaptureArguments(arguments);
        if (!parsed.helpText.isEmpty() || !parsed.error.isEmpty()) {
            QCoreApplication app(argc, argv);
            describe();
            return velmora::runCapture(arguments);
        }
        // Without a reachable X display Qt would abort; the offscreen platform instead lets the
        // capture fail with a message and exit status 2.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "xcb;offscreen");
        }
        const auto app = velmora::createCaptureApplication(argc, argv, parsed.needsWidgets());
        describe();
        return velmora::runCapture(arguments);
    }

    QCoreApplication app(argc, argv);
    describe();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QString::fromLatin1(description) +
        QStringLiteral("\n\nWithout a command Velmora starts in the tray (or tells the running instance).\n\n"
                       "Commands:\n"
                       "  full         Capture the screen under the pointer.\n"
                       "  region       Capture a rectangle picked with the mouse or given with --geometry.\n"
                       "  window       Capture a window picked with the mouse.\n"
                       "  color        Copy and print the colour of a picked pixel.\n"
                       "  text         Copy and print the text of a picked rectangle.\n"
                       "  scroll       Capture a picked rectangle while its page is scrolled.\n"
                       "  edit FILE…   Open images in the editor.\n"
                       "  beautify     Place an image on a background and write the "
                       "PNG (see velmora beautify --help).\n"
                       "  stitch FRAME… -o OUTPUT\n"
                       "               Stitch frames of a scrolled page into one tall PNG.\n"
                       "  ocr IMAGE    Print the text in an image.\n"
                       "  preferences  Show the preferences window.\n"
                       "  quit         End the running tray instance.\n\n"
                       "Captures without -o, edit and quit run in the tray instance (started when "
                       "absent); set VELMORA_STANDALONE=1 to run them in this process."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("command"),
        QStringLiteral(
            "full, region, window, color, text, scroll, edit, beautify, stitch, ocr, preferences or quit"));
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "velmora: unknown command \"%s\"; see velmora --help\n",
                     qPrintable(parser.positionalArguments().constFirst()));
        return 2;
    }
    return 0;
}
