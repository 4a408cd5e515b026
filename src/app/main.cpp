#include "BeautifyCommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>

namespace {

const char* const description = "A lightweight tray app for capturing screenshots with built-in annotation.";

void describe(QCoreApplication& app)
{
    app.setApplicationName(QStringLiteral("Velmora"));
    app.setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    app.setOrganizationName(QStringLiteral("Velmora"));
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
        describe(app);
        return velmora::runBeautify(app.arguments());
    }

    QCoreApplication app(argc, argv);
    describe(app);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QString::fromLatin1(description) +
        QStringLiteral("\n\nCommands:\n  beautify   Place an image on a background and "
                       "write the PNG (see velmora beautify --help)."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("beautify"));
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "velmora: unknown command \"%s\"; see velmora --help\n",
                     qPrintable(parser.positionalArguments().constFirst()));
        return 2;
    }
    return 0;
}
