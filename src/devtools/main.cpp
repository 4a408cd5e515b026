#include "DevCanvasCommand.h"

#include <QApplication>

// velmora-dev-canvas FILE [--zoom Z] [--composite] …: see DevCanvasCommand.h.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-dev-canvas"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    return velmora::runDevCanvas(app.arguments());
}
