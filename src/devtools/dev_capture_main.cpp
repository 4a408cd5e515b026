#include "DevCaptureCommand.h"

#include <QApplication>

// velmora-dev-capture MODE …: see DevCaptureCommand.h.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-dev-capture"));
    return velmora::runDevCapture(app.arguments());
}
