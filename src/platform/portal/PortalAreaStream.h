#pragma once

#include "AreaStream.h"
#include "capture/ScreenLayout.h"

#include <QDBusConnection>
#include <QPointer>
#include <QRect>
#include <QVariantMap>

#include <optional>

namespace velmora::portal {

class PipeWireStream;
struct PortalResponse;

// One stream of the ScreenCast portal's video, as ScreenCast describes it in Start's answer.
struct ScreenCastStream
{
    quint32 node = 0;
    std::optional<QRect> logical; // the monitor's position and size in logical points, if given
};

// The streams in a Start answer (`streams`, a(ua{sv})), in order.
QList<ScreenCastStream> screenCastStreams(const QVariantMap& results);

// Whether the desktop offers the ScreenCast portal (its version property is readable).
bool screenCastOffered(QDBusConnection bus, int timeoutMs = 3000, QString* why = nullptr);

// A rectangle of one screen, streamed through org.freedesktop.portal.ScreenCast and PipeWire:
// a session sharing one monitor without the pointer (CreateSession, SelectSources, Start, which may
// show the desktop's dialog), then OpenPipeWireRemote and a PipeWire stream on its descriptor.
// Ready with the first frame; each grab is the latest frame's region. Deleting the stream closes
// the session and ends PipeWire.
class PortalAreaStream final : public AreaStream
{
    Q_OBJECT

public:
    // `screen` is the screen holding `native`; without one the stream fails at once.
    PortalAreaStream(QDBusConnection bus, const QRect& native, std::optional<ScreenGeometry> screen,
                     int callTimeoutMs, int pickTimeoutMs, QObject* parent = nullptr);
    ~PortalAreaStream() override;

    bool isReady() const override { return m_ready; }
    CaptureJob* grab() override;

private Q_SLOTS:
    void sessionClosed();

private:
    void askCursorModes();
    void createSession();
    void selectSources();
    void startCast();
    void openRemote();
    void stream(int fd);
    // Calls `method` on the ScreenCast interface; `then` runs when the portal said yes.
    void call(const QString& method, const QVariantList& arguments, const QVariantMap& options, int timeoutMs,
              void (PortalAreaStream::*then)(const QVariantMap&));
    void sessionCreated(const QVariantMap& results);
    void sourcesSelected(const QVariantMap& results);
    void started(const QVariantMap& results);
    void fail(const QString& message);
    void closeSession();

    QDBusConnection m_bus;
    QRect m_native;
    std::optional<ScreenGeometry> m_screen;
    int m_callTimeoutMs;
    int m_pickTimeoutMs;
    uint m_cursorModes = 0;
    QString m_session;
    ScreenCastStream m_cast;
    PipeWireStream* m_pipeWire = nullptr; // a child
    bool m_ready = false;
    bool m_ended = false;
};

} // namespace velmora::portal
