#include "portal/PortalRequest.h"

#include "PlatformLog.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QRandomGenerator>

#include <atomic>

namespace velmora::portal {

namespace {

constexpr char requestInterface[] = "org.freedesktop.portal.Request";

} // namespace

QString requestPath(const QString& uniqueName, const QString& token)
{
    QString sender = uniqueName;
    if (sender.startsWith(QLatin1Char(':'))) {
        sender.remove(0, 1);
    }
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("%1/request/%2/%3").arg(QLatin1String(desktopPath), sender, token);
}

QString newHandleToken()
{
    // The counter makes tokens unique within the process; the random part keeps a restarted
    // process, which may get the same unique name on a long-lived bus, off an old request's path.
    static std::atomic<quint32> counter = 0;
    return QStringLiteral("velmora_%1_%2")
        .arg(++counter)
        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

PortalRequest::PortalRequest(const QDBusConnection& bus, int timeoutMs, QObject* parent)
    : QObject(parent), m_bus(bus), m_timeoutMs(timeoutMs)
{
    qRegisterMetaType<PortalResponse>();
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        closeRequest();
        PortalResponse response;
        response.error =
            QStringLiteral("the desktop portal did not answer within %1 s").arg(m_timeoutMs / 1000.0);
        settle(response);
    });
}

PortalRequest* PortalRequest::start(const QDBusConnection& bus, const QString& interface,
                                    const QString& method, const QVariantList& arguments, QVariantMap options,
                                    int timeoutMs, QObject* parent)
{
    auto* request = new PortalRequest(bus, timeoutMs, parent);
    request->m_clock.start();
    if (!bus.isConnected()) {
        PortalResponse response;
        response.error = QStringLiteral("there is no session bus to reach the desktop portal");
        request->settle(response);
        return request;
    }
    const QString token = newHandleToken();
    options.insert(QStringLiteral("handle_token"), token);
    // The portal may answer before its reply to the call reaches us; subscribing first means
    // that Response cannot be missed.
    request->subscribe(requestPath(bus.baseService(), token));

    request->m_watcher = new QDBusServiceWatcher(QLatin1String(desktopService), bus,
                                                 QDBusServiceWatcher::WatchForUnregistration, request);
    connect(request->m_watcher, &QDBusServiceWatcher::serviceUnregistered, request, [request] {
        PortalResponse response;
        response.error = QStringLiteral("the desktop portal left the session bus");
        request->settle(response);
    });

    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(desktopService),
                                                       QLatin1String(desktopPath), interface, method);
    QVariantList all = arguments;
    all.append(options);
    call.setArguments(all);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, timeoutMs), request);
    connect(watcher, &QDBusPendingCallWatcher::finished, request, &PortalRequest::callFinished);
    request->m_timeout.start(timeoutMs);
    return request;
}

bool PortalRequest::subscribe(const QString& path)
{
    m_handlePath = path;
    m_subscribed = m_bus.connect(QLatin1String(desktopService), path, QLatin1String(requestInterface),
                                 QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    return m_subscribed;
}

void PortalRequest::unsubscribe()
{
    if (m_subscribed) {
        m_bus.disconnect(QLatin1String(desktopService), m_handlePath, QLatin1String(requestInterface),
                         QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
        m_subscribed = false;
    }
}

void PortalRequest::callFinished(QDBusPendingCallWatcher* watcher)
{
    watcher->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (m_settled) {
        return;
    }
    if (reply.isError()) {
        PortalResponse response;
        response.error =
            QStringLiteral("the desktop portal refused the call: %1").arg(reply.error().message());
        settle(response);
        return;
    }
    // Portals older than the handle_token option put the request elsewhere; follow it there. Its
    // Response can only come after this reply, since the caller could not know the path before.
    const QString path = reply.value().path();
    if (path != m_handlePath) {
        unsubscribe();
        subscribe(path);
    }
}

void PortalRequest::onResponse(uint code, const QVariantMap& results)
{
    PortalResponse response;
    response.code = int(code);
    response.results = results;
    switch (code) {
    case 0:
        response.outcome = PortalResponse::Outcome::done;
        break;
    case 1:
        response.outcome = PortalResponse::Outcome::cancelled;
        break;
    default:
        response.outcome = PortalResponse::Outcome::failed;
        response.error = QStringLiteral("the desktop portal answered that the request failed");
        break;
    }
    settle(response);
}

void PortalRequest::settle(PortalResponse response)
{
    if (m_settled) {
        return;
    }
    m_settled = true;
    m_timeout.stop();
    unsubscribe();
    response.elapsedMs = m_clock.isValid() ? m_clock.elapsed() : 0;
    // Queued, so that a request settled inside start() still reaches a caller that connects after.
    QMetaObject::invokeMethod(
        this,
        [this, response] {
            Q_EMIT finished(response);
            deleteLater();
        },
        Qt::QueuedConnection);
}

void PortalRequest::closeRequest()
{
    if (m_handlePath.isEmpty()) {
        return;
    }
    QDBusMessage close =
        QDBusMessage::createMethodCall(QLatin1String(desktopService), m_handlePath,
                                       QLatin1String(requestInterface), QStringLiteral("Close"));
    close.setAutoStartService(false);
    m_bus.send(close);
}

} // namespace velmora::portal
