#include "InstanceClient.h"

#include "InstanceService.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <climits>
#include <cstdio>

namespace velmora {

namespace {

QString name()
{
    return QString::fromLatin1(instanceServiceName);
}

bool registered(QDBusConnection& bus)
{
    const QDBusReply<bool> reply = bus.interface()->isServiceRegistered(name());
    return reply.isValid() && reply.value();
}

// The instance started by hand keeps running after this process: its output goes to a log in
// the cache folder, never to this process's pipes (a caller reading them would wait forever).
bool startInstance(QDBusConnection& bus)
{
    // An installed service file lets the bus start it.
    if (bus.interface()->startService(name()).isValid()) {
        return registered(bus);
    }
    QString logFolder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    logFolder += QStringLiteral("/Velmora");
    QDir().mkpath(logFolder);
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(logFolder + QStringLiteral("/instance.log"), QIODevice::Append);
    if (!process.startDetached()) {
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (registered(bus)) {
            return true;
        }
        QThread::msleep(20);
    }
    return false;
}

} // namespace

bool instanceIsRunning()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && registered(bus);
}

std::optional<int> runInInstance(const QStringList& arguments, bool start)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return std::nullopt;
    }
    const QString command = arguments.value(0);
    if (!registered(bus)) {
        if (!start) {
            return 0;
        }
        if (!startInstance(bus)) {
            std::fprintf(stderr, "velmora %s: the Velmora instance did not start (see %s)\n",
                         qPrintable(command),
                         qPrintable(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                                    QStringLiteral("/Velmora/instance.log")));
            return 2;
        }
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(name(), QString::fromLatin1(instancePath),
                                       QString::fromLatin1(instanceInterface), QStringLiteral("Run"));
    call << arguments << QDir::currentPath();
    // A capture answers once the user has picked: wait as long as that takes.
    const QDBusMessage reply = bus.call(call, QDBus::Block, INT_MAX);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 3) {
        std::fprintf(stderr, "velmora %s: the Velmora instance did not answer: %s\n", qPrintable(command),
                     qPrintable(reply.errorMessage()));
        return 2;
    }
    const QString output = reply.arguments().at(1).toString();
    const QString error = reply.arguments().at(2).toString();
    if (!output.isEmpty()) {
        std::fputs(output.toUtf8().constData(), stdout);
        std::fflush(stdout);
    }
    if (!error.isEmpty()) {
        std::fputs(error.toUtf8().constData(), stderr);
    }
    return reply.arguments().at(0).toInt();
}

} // namespace velmora
