#include "capture/OverlayHosts.h"

#include "capture/FullScreenOverlay.h"

#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace velmora::OverlayHosts {

namespace {

// Hosts not in use, each with the timer that will delete it.
QList<QPointer<QWidget>>& idleHosts()
{
    static QList<QPointer<QWidget>> hosts;
    return hosts;
}

QTimer* expiryOf(QWidget* host)
{
    return host->findChild<QTimer*>(QStringLiteral("velmora-host-expiry"), Qt::FindDirectChildrenOnly);
}

} // namespace

QWidget* take(const QRect& geometry)
{
    QList<QPointer<QWidget>>& idle = idleHosts();
    idle.removeAll(nullptr);
    for (int i = 0; i < idle.size(); ++i) {
        if (idle[i]->geometry() == geometry) {
            QWidget* host = idle.takeAt(i);
            if (QTimer* expiry = expiryOf(host)) {
                expiry->stop();
            }
            return host;
        }
    }
    auto* host = new QWidget;
    prepareFullScreenOverlay(host, geometry);
    auto* expiry = new QTimer(host);
    expiry->setObjectName(QStringLiteral("velmora-host-expiry"));
    expiry->setSingleShot(true);
    expiry->setInterval(keepAliveMs);
    QObject::connect(expiry, &QTimer::timeout, host, [host] {
        idleHosts().removeAll(host);
        host->deleteLater();
    });
    return host;
}

void give(QWidget* host)
{
    if (!host) {
        return;
    }
    host->hide();
    if (!idleHosts().contains(host)) {
        idleHosts().append(host);
    }
    if (QTimer* expiry = expiryOf(host)) {
        expiry->start();
    }
}

void releaseIdle()
{
    const QList<QPointer<QWidget>> idle = std::exchange(idleHosts(), {});
    for (const QPointer<QWidget>& host : idle) {
        delete host.data();
    }
}

} // namespace velmora::OverlayHosts
