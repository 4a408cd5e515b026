#include "portal/PortalAreaStream.h"

#include "CaptureJob.h"
#include "PlatformLog.h"
#include "portal/PipeWireStream.h"
#include "portal/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>

#include <fcntl.h>

namespace velmora::portal {

namespace {

constexpr char screenCastInterface[] = "org.freedesktop.portal.ScreenCast";
constexpr char sessionInterface[] = "org.freedesktop.portal.Session";
constexpr char propertiesInterface[] = "org.freedesktop.DBus.Properties";
constexpr uint monitorSource = 1;
constexpr uint hiddenCursor = 1;

std::optional<QPoint> pair(const QVariant& value)
{
    if (!value.canConvert<QDBusArgument>()) {
        return std::nullopt;
    }
    const auto argument = value.value<QDBusArgument>();
    int first = 0;
    int second = 0;
    argument.beginStructure();
    argument >> first >> second;
    argument.endStructure();
    return QPoint(first, second);
}

QDBusMessage propertyGet(const QString& name)
{
    QDBusMessage get =
        QDBusMessage::createMethodCall(QLatin1String(desktopService), QLatin1String(desktopPath),
                                       QLatin1String(propertiesInterface), QStringLiteral("Get"));
    get << QLatin1String(screenCastInterface) << name;
    return get;
}

} // namespace

QList<ScreenCastStream> screenCastStreams(const QVariantMap& results)
{
    QList<ScreenCastStream> streams;
    const QVariant value = results.value(QStringLiteral("streams"));
    if (!value.canConvert<QDBusArgument>()) {
        return streams;
    }
    const auto argument = value.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        ScreenCastStream stream;
        QVariantMap properties;
        argument.beginStructure();
        argument >> stream.node >> properties;
        argument.endStructure();
        const auto position = pair(properties.value(QStringLiteral("position")));
        const auto size = pair(properties.value(QStringLiteral("size")));
        if (size && size->x() > 0 && size->y() > 0) {
            stream.logical = QRect(position.value_or(QPoint()), QSize(size->x(), size->y()));
        }
        streams.append(stream);
    }
    argument.endArray();
    return streams;
}

bool screenCastOffered(QDBusConnection bus, int timeoutMs, QString* why)
{
    if (!bus.isConnected()) {
        if (why) {
            *why = QStringLiteral("no session bus");
        }
        return false;
    }
    const QDBusMessage reply = bus.call(propertyGet(QStringLiteral("version")), QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        if (why) {
            *why = reply.errorMessage();
        }
        return false;
    }
    return true;
}

PortalAreaStream::PortalAreaStream(QDBusConnection bus, const QRect& native,
                                   std::optional<ScreenGeometry> screen, int callTimeoutMs, int pickTimeoutMs,
                                   QObject* parent)
    : AreaStream(parent), m_bus(std::move(bus)), m_native(native), m_screen(std::move(screen)),
      m_callTimeoutMs(callTimeoutMs), m_pickTimeoutMs(pickTimeoutMs)
{
    // Queued, so that whoever opened the stream has connected to its signals.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_screen) {
                fail(QStringLiteral("the region lies on no screen"));
            } else {
                askCursorModes();
            }
        },
        Qt::QueuedConnection);
}

PortalAreaStream::~PortalAreaStream()
{
    if (m_pipeWire) {
        const StreamStatistics figures = m_pipeWire->statistics();
        QString line =
            QStringLiteral("[Velmora] Screen stream: %1 frames, the first after %2 ms, the last at %3 ms")
                .arg(figures.frames)
                .arg(figures.firstFrameMs)
                .arg(figures.lastFrameMs);
        if (figures.timedFrames > 0) {
            line += QStringLiteral(
                        "; from the desktop's timestamp to the region: %1 ms on average, %2 ms at most")
                        .arg(figures.latencyTotalMs / double(figures.timedFrames), 0, 'f', 2)
                        .arg(figures.latencyMaxMs, 0, 'f', 2);
        }
        qCDebug(lcPlatform).noquote() << line;
    }
    // PipeWire first: its thread stops before the desktop tears the stream down.
    delete std::exchange(m_pipeWire, nullptr);
    closeSession();
}

CaptureJob* PortalAreaStream::grab()
{
    const QImage latest = m_pipeWire ? m_pipeWire->latest() : QImage();
    if (latest.isNull()) {
        return CaptureJob::failedWith(QStringLiteral("the screen stream has no picture yet"));
    }
    auto* job = new CaptureJob;
    job->finish({latest});
    return job;
}

void PortalAreaStream::askCursorModes()
{
    // Hiding the pointer needs the desktop to offer it; an old portal without the property gets
    // the default (the desktop decides).
    auto* watcher = new QDBusPendingCallWatcher(
        m_bus.asyncCall(propertyGet(QStringLiteral("AvailableCursorModes")), m_callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *watcher;
        if (!reply.isError()) {
            m_cursorModes = reply.value().variant().toUInt();
        }
        createSession();
    });
}

void PortalAreaStream::call(const QString& method, const QVariantList& arguments, const QVariantMap& options,
                            int timeoutMs, void (PortalAreaStream::*then)(const QVariantMap&))
{
    if (m_ended) {
        return;
    }
    auto* request = PortalRequest::start(m_bus, QLatin1String(screenCastInterface), method, arguments,
                                         options, timeoutMs, this);
    connect(request, &PortalRequest::finished, this, [this, method, then](const PortalResponse& response) {
        if (m_ended) {
            return;
        }
        switch (response.outcome) {
        case PortalResponse::Outcome::cancelled:
            m_ended = true;
            Q_EMIT cancelled();
            return;
        case PortalResponse::Outcome::failed:
            fail(QStringLiteral("%1: %2").arg(method, response.error));
            return;
        case PortalResponse::Outcome::done:
            (this->*then)(response.results);
            return;
        }
    });
}

void PortalAreaStream::createSession()
{
    const QString token = newHandleToken();
    // Known before the answer, so that a stream deleted while the desktop still answers can close
    // the session it asked for.
    m_session = QStringLiteral("%1/session/%2")
                    .arg(QLatin1String(desktopPath),
                         requestPath(m_bus.baseService(), token).section(QLatin1Char('/'), -2, -1));
    call(QStringLiteral("CreateSession"), {}, {{QStringLiteral("session_handle_token"), token}},
         m_callTimeoutMs, &PortalAreaStream::sessionCreated);
}

void PortalAreaStream::sessionCreated(const QVariantMap& results)
{
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    // A string in the documented answer; an object path from some portals.
    const QString path = handle.userType() == qMetaTypeId<QDBusObjectPath>()
                             ? handle.value<QDBusObjectPath>().path()
                             : handle.toString();
    if (!path.isEmpty()) {
        m_session = path;
    }
    m_bus.connect(QLatin1String(desktopService), m_session, QLatin1String(sessionInterface),
                  QStringLiteral("Closed"), this, SLOT(sessionClosed()));
    selectSources();
}

void PortalAreaStream::selectSources()
{
    QVariantMap options{{QStringLiteral("types"), monitorSource}, {QStringLiteral("multiple"), false}};
    if (m_cursorModes & hiddenCursor) {
        options.insert(QStringLiteral("cursor_mode"), hiddenCursor);
    }
    call(QStringLiteral("SelectSources"), {QVariant::fromValue(QDBusObjectPath(m_session))}, options,
         m_callTimeoutMs, &PortalAreaStream::sourcesSelected);
}

void PortalAreaStream::sourcesSelected(const QVariantMap&)
{
    // The desktop may show its dialog now: the user picks the monitor and says yes.
    call(QStringLiteral("Start"), {QVariant::fromValue(QDBusObjectPath(m_session)), QString()}, {},
         m_pickTimeoutMs, &PortalAreaStream::started);
}

void PortalAreaStream::started(const QVariantMap& results)
{
    const QList<ScreenCastStream> streams = screenCastStreams(results);
    if (streams.isEmpty()) {
        fail(QStringLiteral("the desktop shares no screen"));
        return;
    }
    m_cast = streams.first();
    QDBusMessage open = QDBusMessage::createMethodCall(
        QLatin1String(desktopService), QLatin1String(desktopPath), QLatin1String(screenCastInterface),
        QStringLiteral("OpenPipeWireRemote"));
    open << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariantMap();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(open, m_callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
        if (m_ended) {
            return;
        }
        if (reply.isError() || !reply.value().isValid()) {
            fail(QStringLiteral("OpenPipeWireRemote: %1").arg(reply.error().message()));
            return;
        }
        // The reply keeps its own descriptor; PipeWire gets a copy it may close.
        const int fd = ::fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 3);
        if (fd < 0) {
            fail(QStringLiteral("the PipeWire remote could not be kept"));
            return;
        }
        stream(fd);
    });
}

void PortalAreaStream::stream(int fd)
{
    const QRect native = m_native;
    const ScreenGeometry screen = *m_screen;
    const std::optional<QRect> monitor = m_cast.logical;
    m_pipeWire = new PipeWireStream(
        [native, screen, monitor](const QSize& content) {
            return regionInStream(native, screen, monitor, content);
        },
        this);
    connect(m_pipeWire, &PipeWireStream::firstFrame, this, [this] {
        if (!m_ended && !m_ready) {
            m_ready = true;
            Q_EMIT ready();
        }
    });
    connect(m_pipeWire, &PipeWireStream::failed, this, &PortalAreaStream::fail);
    QString error;
    if (!m_pipeWire->start(fd, m_cast.node, &error)) {
        fail(error);
    }
}

void PortalAreaStream::sessionClosed()
{
    if (!m_ended) {
        m_session.clear();
        fail(QStringLiteral("the desktop ended the screen share"));
    }
}

void PortalAreaStream::fail(const QString& message)
{
    if (m_ended) {
        return;
    }
    m_ended = true;
    m_ready = false;
    qCWarning(lcPlatform).noquote() << "[Velmora] ScreenCast portal failed:" << message;
    Q_EMIT failed(message);
}

void PortalAreaStream::closeSession()
{
    if (m_session.isEmpty()) {
        return;
    }
    m_bus.disconnect(QLatin1String(desktopService), m_session, QLatin1String(sessionInterface),
                     QStringLiteral("Closed"), this, SLOT(sessionClosed()));
    QDBusMessage close = QDBusMessage::createMethodCall(
        QLatin1String(desktopService), m_session, QLatin1String(sessionInterface), QStringLiteral("Close"));
    close.setAutoStartService(false);
    m_bus.send(close);
    m_session.clear();
}

} // namespace velmora::portal
