#include "BeautifyCommand.h"
#include "EditCommand.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>

namespace {

const char* const description = "A lightweight tray app for capturing screenshots with built-in annotation.";

void describe()
{
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    QGuiApplication::setDesktopFileName(QStringLiteral("velmora"));
}

} // namespace

int main(int argc, char* argv[])
{
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();

    if (command == QLatin1String("beautify")) {
        // Rendering needs fonts but no display: run on the offscreen platform unless told otherwise.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        QGuiApplication app(argc, argv);
        describe();
        return velmora::runBeautify(app.arguments());
    }
    if (command == QLatin1String("edit")) {
        QApplication app(argc, argv);
        describe();
        QApplication::setQuitOnLastWindowClosed(false);
        return velmora::runEdit(app.arguments());
    }

    QCoreApplication app(argc, argv);
    describe();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QString::fromLatin1(description) +
        QStringLiteral("\n\nCommands:\n"
                       "  edit FILE…   Open images in the editor.\n"
                       "  beautify     Place an image on a background and write the "
                       "PNG (see velmora beautify --help)."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("edit or beautify"));
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "velmora: unknown command \"%s\"; see velmora --help\n",
                     qPrintable(parser.positionalArguments().constFirst()));
        return 2;
    }
    return 0;
}
