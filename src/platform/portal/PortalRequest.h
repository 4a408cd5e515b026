#pragma once

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

namespace velmora::portal {

inline constexpr char desktopService[] = "org.freedesktop.portal.Desktop";
inline constexpr char desktopPath[] = "/org/freedesktop/portal/desktop";

// The object path on which a portal announces the answer to the call that `uniqueName` (the
// caller's unique bus name, ":1.42") made with the option handle_token = `token`. Known before the
// call is made, so that its Response can be subscribed to first.
QString requestPath(const QString& uniqueName, const QString& token);
// A handle_token no earlier call of this process used: letters, digits and underscores only.
QString newHandleToken();

// How a portal request ended.
struct PortalResponse
{
    enum class Outcome { done, cancelled, failed };
    Outcome outcome = Outcome::failed;
    // The portal's own response code (0, 1, 2), or -1 when no Response came (the call was refused,
    // the portal went away, or it did not answer in time).
    int code = -1;
    QVariantMap results;
    QString error; // for failed: one line saying why
    qint64 elapsedMs = 0;
};

// One call on a desktop portal that answers through an org.freedesktop.portal.Request object:
// subscribes to the Response signal of the request path it will get, then calls, and ends exactly
// once with finished(): on the Response, on an error reply, when the portal leaves the bus, or
// when it has not answered within the timeout (then the request is closed). Deletes itself after.
class PortalRequest : public QObject
{
    Q_OBJECT

public:
    // Calls `method` of `interface` on the desktop portal with `arguments` followed by the options
    // map `options`, to which the handle_token is added.
    static PortalRequest* start(const QDBusConnection& bus, const QString& interface, const QString& method,
                                const QVariantList& arguments, QVariantMap options, int timeoutMs,
                                QObject* parent = nullptr);

    const QString& handlePath() const { return m_handlePath; }

Q_SIGNALS:
    void finished(const velmora::portal::PortalResponse& response);

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap& results);

private:
    PortalRequest(const QDBusConnection& bus, int timeoutMs, QObject* parent);
    bool subscribe(const QString& path);
    void unsubscribe();
    void callFinished(QDBusPendingCallWatcher* watcher);
    void settle(PortalResponse response);
    void closeRequest();

    QDBusConnection m_bus;
    QString m_handlePath;
    bool m_subscribed = false;
    bool m_settled = false;
    int m_timeoutMs = 0;
    QTimer m_timeout;
    QElapsedTimer m_clock;
    QDBusServiceWatcher* m_watcher = nullptr;
};

} // namespace velmora::portal

Q_DECLARE_METATYPE(velmora::portal::PortalResponse)
