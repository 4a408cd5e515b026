#include "portal/PortalAreaStream.h"

#include "CaptureJob.h"
#include "PortalStructs.h"
#include "PrivateBus.h"
#include "portal/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QMutex>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <sys/socket.h>
#include <unistd.h>

using namespace velmora;
using namespace velmora::portal;

namespace {

constexpr char sessionPath[] = "/org/freedesktop/portal/desktop/session/1_1/velmora_cast";

} // namespace

using portalstructs::CastStream;
using portalstructs::Pair;

namespace {

// The ScreenCast side of the desktop portal, answering from its own thread: records every call
// and what it was given, answers Start as told, and hands out a PipeWire remote nobody serves.
class FakeScreenCastPortal final : public QDBusVirtualObject
{
public:
    uint cursorModes = 0; // 0: the property is missing
    uint startAnswer = 0;
    bool holdStart = false;    // the desktop's dialog stays open
    bool closeAtStart = false; // the desktop ends the session instead of answering Start

    QStringList calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }
    QVariantMap selected() const
    {
        QMutexLocker lock(&m_mutex);
        return m_selected;
    }
    QStringList sessions() const // the session each call after CreateSession named
    {
        QMutexLocker lock(&m_mutex);
        return m_sessions;
    }
    void reset()
    {
        QMutexLocker lock(&m_mutex);
        m_calls.clear();
        m_selected.clear();
        m_sessions.clear();
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override
    {
        const QString member = message.member();
        {
            QMutexLocker lock(&m_mutex);
            m_calls << member;
            if (member == QLatin1String("SelectSources") || member == QLatin1String("Start") ||
                member == QLatin1String("OpenPipeWireRemote")) {
                m_sessions << qdbus_cast<QDBusObjectPath>(message.arguments().value(0)).path();
            } else if (member == QLatin1String("Close")) {
                m_sessions << message.path();
            }
            if (member == QLatin1String("SelectSources")) {
                m_selected = qdbus_cast<QVariantMap>(message.arguments().constLast());
            }
        }
        if (member == QLatin1String("Get")) {
            if (message.arguments().value(1).toString() == QLatin1String("AvailableCursorModes") &&
                cursorModes) {
                bus.send(message.createReply(QVariant::fromValue(QDBusVariant(cursorModes))));
            } else {
                bus.send(
                    message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("no such property")));
            }
            return true;
        }
        if (member == QLatin1String("Close")) {
            bus.send(message.createReply());
            return true;
        }
        if (member == QLatin1String("OpenPipeWireRemote")) {
            int ends[2];
            ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends);
            ::close(ends[1]);
            bus.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(ends[0]))));
            ::close(ends[0]);
            return true;
        }
        uint code = 0;
        QVariantMap results;
        if (member == QLatin1String("CreateSession")) {
            results.insert(QStringLiteral("session_handle"), QLatin1String(sessionPath));
        } else if (member == QLatin1String("Start")) {
            code = startAnswer;
            CastStream stream{42, {}};
            stream.properties.insert(QStringLiteral("position"), QVariant::fromValue(Pair{0, 0}));
            stream.properties.insert(QStringLiteral("size"), QVariant::fromValue(Pair{1280, 720}));
            results.insert(QStringLiteral("streams"), QVariant::fromValue(QList<CastStream>{stream}));
        } else if (member != QLatin1String("SelectSources")) {
            bus.send(message.createErrorReply(QDBusError::UnknownMethod, member));
            return true;
        }
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().constLast());
        const QString path =
            requestPath(message.service(), options.value(QStringLiteral("handle_token")).toString());
        if (member == QLatin1String("Start") && (holdStart || closeAtStart)) {
            bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(path))));
            if (closeAtStart) {
                QDBusMessage closed = QDBusMessage::createSignal(
                    QLatin1String(sessionPath), QStringLiteral("org.freedesktop.portal.Session"),
                    QStringLiteral("Closed"));
                closed << QVariantMap();
                bus.send(closed);
            }
            return true;
        }
        portalstructs::answerRequest(message, bus, path, code, results);
        return true;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_calls;
    QVariantMap m_selected;
    QStringList m_sessions;
};

const ScreenGeometry screen{QRect(0, 0, 1280, 720), 1.0, QStringLiteral("HEADLESS-1")};

} // namespace

class TestPortalScreenCast : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qDBusRegisterMetaType<Pair>();
        qDBusRegisterMetaType<CastStream>();
        qDBusRegisterMetaType<QList<CastStream>>();
        if (!m_bus.start()) {
            QSKIP("dbus-daemon is not available");
        }
        m_fake.moveToThread(&m_portalThread);
        m_portalThread.start();
        // Sessions are objects below the portal's path.
        QVERIFY(m_bus.portal().registerVirtualObject(QLatin1String(desktopPath), &m_fake,
                                                     QDBusConnection::SubPath));
        QVERIFY(m_bus.portal().registerService(QLatin1String(desktopService)));
    }

    void cleanupTestCase()
    {
        m_portalThread.quit();
        m_portalThread.wait();
    }

    void sessionRunsThroughTheCalls_data()
    {
        QTest::addColumn<uint>("cursorModes");
        QTest::addColumn<uint>("startAnswer");
        QTest::addColumn<QVariant>("cursorMode"); // what SelectSources asks for; invalid: nothing
        QTest::addColumn<bool>("cancelled");
        // With no PipeWire behind the remote, the stream fails once it reaches it.
        QTest::newRow("pointer can be hidden") << 7u << 0u << QVariant(1u) << false;
        QTest::newRow("no cursor modes said") << 0u << 0u << QVariant() << false;
        QTest::newRow("only an embedded pointer") << 2u << 0u << QVariant() << false;
        QTest::newRow("the user declines") << 7u << 1u << QVariant(1u) << true;
        QTest::newRow("the desktop fails") << 7u << 2u << QVariant(1u) << false;
    }

    void sessionRunsThroughTheCalls()
    {
        QFETCH(uint, cursorModes);
        QFETCH(uint, startAnswer);
        QFETCH(QVariant, cursorMode);
        QFETCH(bool, cancelled);
        m_fake.reset();
        m_fake.cursorModes = cursorModes;
        m_fake.startAnswer = startAnswer;

        auto stream =
            std::make_unique<PortalAreaStream>(m_bus.client(), QRect(100, 50, 300, 200), screen, 5000, 5000);
        QSignalSpy ready(stream.get(), &AreaStream::ready);
        QSignalSpy failed(stream.get(), &AreaStream::failed);
        QSignalSpy declined(stream.get(), &AreaStream::cancelled);
        QTRY_COMPARE(failed.size() + declined.size(), 1);
        QCOMPARE(declined.size(), cancelled ? 1 : 0);
        QCOMPARE(ready.size(), 0);
        QVERIFY(!stream->isReady());

        QStringList expected{QStringLiteral("Get"), QStringLiteral("CreateSession"),
                             QStringLiteral("SelectSources"), QStringLiteral("Start")};
        if (startAnswer == 0) {
            expected << QStringLiteral("OpenPipeWireRemote");
        }
        QCOMPARE(m_fake.calls(), expected);
        const QVariantMap selected = m_fake.selected();
        QCOMPARE(selected.value(QStringLiteral("types")), QVariant(1u));
        QCOMPARE(selected.value(QStringLiteral("multiple")), QVariant(false));
        QCOMPARE(selected.value(QStringLiteral("cursor_mode")), cursorMode);

        // Ending the stream closes the session the calls named, whatever happened.
        stream.reset();
        expected << QStringLiteral("Close");
        QTRY_COMPARE(m_fake.calls(), expected);
        const QStringList sessions = m_fake.sessions();
        QCOMPARE(sessions.size(), expected.size() - 2);
        for (const QString& session : sessions) {
            QCOMPARE(session, QLatin1String(sessionPath));
        }
    }

    // Deleted while the desktop still shows its dialog, the stream closes the session it asked for.
    void deletingWhileAskingClosesTheSession()
    {
        m_fake.reset();
        m_fake.holdStart = true;
        auto stream =
            std::make_unique<PortalAreaStream>(m_bus.client(), QRect(0, 0, 10, 10), screen, 5000, 5000);
        QTRY_COMPARE(m_fake.calls().value(3), QStringLiteral("Start"));
        stream.reset();
        QTRY_COMPARE(m_fake.calls().value(4), QStringLiteral("Close"));
        QCOMPARE(m_fake.sessions().constLast(), QLatin1String(sessionPath));
        m_fake.holdStart = false;
    }

    // The desktop may end the session at any time; the stream fails, and has nothing left to close.
    void sessionClosedByTheDesktopFails()
    {
        m_fake.reset();
        m_fake.closeAtStart = true;
        auto stream =
            std::make_unique<PortalAreaStream>(m_bus.client(), QRect(0, 0, 10, 10), screen, 5000, 5000);
        QSignalSpy failed(stream.get(), &AreaStream::failed);
        QVERIFY(failed.wait());
        QCOMPARE(failed.constFirst().constFirst().toString(),
                 QStringLiteral("the desktop ended the screen share"));
        stream.reset();
        QTest::qWait(200);
        QVERIFY(!m_fake.calls().contains(QStringLiteral("Close")));
        m_fake.closeAtStart = false;
    }

    // A region on no screen fails before the desktop is asked anything; it has nothing to grab.
    void regionOffTheScreensFailsAtOnce()
    {
        m_fake.reset();
        auto stream =
            std::make_unique<PortalAreaStream>(m_bus.client(), QRect(0, 0, 10, 10), std::nullopt, 5000, 5000);
        QSignalSpy failed(stream.get(), &AreaStream::failed);
        QVERIFY(failed.wait());
        QVERIFY(m_fake.calls().isEmpty());
        CaptureJob* job = stream->grab();
        QSignalSpy jobFailed(job, &CaptureJob::failed);
        QVERIFY(jobFailed.wait());
    }

private:
    PrivateBus m_bus;
    QThread m_portalThread;
    FakeScreenCastPortal m_fake;
};

QTEST_GUILESS_MAIN(TestPortalScreenCast)
#include "tst_portalscreencast.moc"
