#include "InstanceService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace velmora {

InstanceService::InstanceService(Handler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler))
{}

bool InstanceService::registerOnSessionBus(QString* error)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *error = QStringLiteral("no session bus: %1").arg(bus.lastError().message());
        return false;
    }
    if (!bus.registerObject(QString::fromLatin1(instancePath), this,
                            QDBusConnection::ExportScriptableSlots)) {
        *error = QStringLiteral("cannot export the instance object");
        return false;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
        QString::fromLatin1(instanceServiceName), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(QString::fromLatin1(instancePath));
        *error = reply.isValid() ? QStringLiteral("another Velmora is running") : reply.error().message();
        return false;
    }
    return true;
}

int InstanceService::Run(const QStringList& arguments, const QString& workingDirectory, QString&, QString&)
{
    setDelayedReply(true);
    const QDBusMessage call = message();
    QDBusConnection bus = connection();
    m_handler(arguments, workingDirectory, [call, bus](const CommandReply& reply) mutable {
        bus.send(call.createReply(QVariantList{reply.status, reply.output, reply.error}));
    });
    return 0;
}

} // namespace velmora
