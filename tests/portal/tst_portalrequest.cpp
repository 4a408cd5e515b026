#include "portal/PortalRequest.h"

#include "PrivateBus.h"
#include "support/TestSupport.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace velmora::portal;
using Outcome = PortalResponse::Outcome;

namespace {

// The desktop portal's side of a request, served on its own connection to a private bus.
class FakeDesktop final : public QDBusVirtualObject
{
public:
    enum class Answer { beforeReply, afterReplyElsewhere, never, refuse };
    Answer answer = Answer::beforeReply;
    uint code = 0;
    QStringList closed;
    QStringList tokens;

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override
    {
        if (message.member() == QLatin1String("Close")) {
            closed.append(message.path());
            bus.send(message.createReply());
            return true;
        }
        if (answer == Answer::refuse) {
            bus.send(message.createErrorReply(QDBusError::AccessDenied, QStringLiteral("not for you")));
            return true;
        }
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().constLast());
        const QString token = options.value(QStringLiteral("handle_token")).toString();
        tokens.append(token);
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
        if (answer == Answer::afterReplyElsewhere) {
            path = QStringLiteral("/org/freedesktop/portal/desktop/request/old/1");
        }
        const auto respond = [message, path, bus, code = code] {
            QDBusMessage response = QDBusMessage::createTargetedSignal(
                message.service(), path, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"));
            response << code << QVariantMap{{QStringLiteral("uri"), QStringLiteral("file:///x.png")}};
            bus.send(response);
        };
        if (answer == Answer::beforeReply) {
            respond();
        }
        bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(path))));
        if (answer == Answer::afterReplyElsewhere) {
            // Such a portal answers once the user has acted, well after its reply.
            QTimer::singleShot(200, [respond] { respond(); });
        }
        return true;
    }
};

PortalResponse run(const QDBusConnection& bus, int timeoutMs = 5000)
{
    auto* request = PortalRequest::start(bus, QStringLiteral("org.freedesktop.portal.Screenshot"),
                                         QStringLiteral("Screenshot"), {QString()}, {}, timeoutMs);
    QSignalSpy finished(request, &PortalRequest::finished);
    if (!finished.wait(velmora::test::waitTimeout)) {
        return {};
    }
    return finished.at(0).at(0).value<PortalResponse>();
}

} // namespace

class TestPortalRequest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!m_bus.start()) {
            QSKIP("dbus-daemon is not available");
        }
        m_portal = &m_bus.portal();
        m_client = &m_bus.client();
        QVERIFY(
            m_portal->registerVirtualObject(QLatin1String(desktopPath), &m_fake, QDBusConnection::SubPath));
    }

    void init()
    {
        m_fake.answer = FakeDesktop::Answer::beforeReply;
        m_fake.code = 0;
        m_fake.closed.clear();
        m_fake.tokens.clear();
        if (!m_portal->interface()->isServiceRegistered(QLatin1String(desktopService))) {
            QVERIFY(m_portal->registerService(QLatin1String(desktopService)));
        }
    }

    void requestPathFromSender_data()
    {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("expected");
        QTest::newRow("usual") << ":1.42"
                               << "velmora_1"
                               << "/org/freedesktop/portal/desktop/request/1_42/velmora_1";
        QTest::newRow("every dot") << ":1.2.3"
                                   << "t"
                                   << "/org/freedesktop/portal/desktop/request/1_2_3/t";
        QTest::newRow("without colon") << "5.6"
                                       << "t"
                                       << "/org/freedesktop/portal/desktop/request/5_6/t";
    }

    void requestPathFromSender()
    {
        QFETCH(QString, sender);
        QFETCH(QString, token);
        QFETCH(QString, expected);
        QCOMPARE(requestPath(sender, token), expected);
    }

    void tokensAreUniqueAndValid()
    {
        static const QRegularExpression valid(QStringLiteral("^[A-Za-z0-9_]+$"));
        QSet<QString> seen;
        for (int i = 0; i < 100; ++i) {
            const QString token = newHandleToken();
            QVERIFY2(valid.match(token).hasMatch(), qPrintable(token));
            QVERIFY(!seen.contains(token));
            seen.insert(token);
        }
    }

    // The Response arrives before the reply to the call: only a subscription made before the
    // call catches it.
    void responseCodes_data()
    {
        QTest::addColumn<uint>("code");
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("done") << 0u << Outcome::done;
        QTest::newRow("cancelled") << 1u << Outcome::cancelled;
        QTest::newRow("failed") << 2u << Outcome::failed;
    }

    void responseCodes()
    {
        QFETCH(uint, code);
        QFETCH(Outcome, outcome);
        m_fake.code = code;
        const PortalResponse response = run(*m_client);
        QCOMPARE(response.outcome, outcome);
        QCOMPARE(response.code, int(code));
        QCOMPARE(response.results.value(QStringLiteral("uri")).toString(), QStringLiteral("file:///x.png"));
        QCOMPARE(m_fake.tokens.size(), 1);
        QVERIFY(!m_fake.tokens.at(0).isEmpty());
    }

    // A portal that puts the request at a path of its own choosing is followed there.
    void requestElsewhere()
    {
        m_fake.answer = FakeDesktop::Answer::afterReplyElsewhere;
        const PortalResponse response = run(*m_client);
        QCOMPARE(response.outcome, Outcome::done);
    }

    void silentPortalTimesOutAndCloses()
    {
        m_fake.answer = FakeDesktop::Answer::never;
        const PortalResponse response = run(*m_client, 300);
        QCOMPARE(response.outcome, Outcome::failed);
        QCOMPARE(response.code, -1);
        QVERIFY(response.error.contains(QLatin1String("did not answer")));
        QTRY_COMPARE(m_fake.closed.size(), 1);
        QCOMPARE(m_fake.closed.at(0), requestPath(m_client->baseService(), m_fake.tokens.at(0)));
    }

    void portalLeaving()
    {
        m_fake.answer = FakeDesktop::Answer::never;
        auto* request = PortalRequest::start(*m_client, QStringLiteral("org.freedesktop.portal.Screenshot"),
                                             QStringLiteral("Screenshot"), {QString()}, {}, 60000);
        QSignalSpy finished(request, &PortalRequest::finished);
        QTRY_COMPARE(m_fake.tokens.size(), 1);
        QVERIFY(m_portal->unregisterService(QLatin1String(desktopService)));
        QVERIFY(finished.wait(velmora::test::waitTimeout));
        const auto response = finished.at(0).at(0).value<PortalResponse>();
        QCOMPARE(response.outcome, Outcome::failed);
        QVERIFY(response.error.contains(QLatin1String("left")));
    }

    void refusedOrAbsentPortal()
    {
        m_fake.answer = FakeDesktop::Answer::refuse;
        PortalResponse response = run(*m_client);
        QCOMPARE(response.outcome, Outcome::failed);
        QVERIFY(response.error.contains(QLatin1String("not for you")));

        QVERIFY(m_portal->unregisterService(QLatin1String(desktopService)));
        response = run(*m_client);
        QCOMPARE(response.outcome, Outcome::failed);
        QCOMPARE(response.code, -1);
    }

private:
    PrivateBus m_bus;
    FakeDesktop m_fake;
    QDBusConnection* m_portal = nullptr;
    QDBusConnection* m_client = nullptr;
};

QTEST_GUILESS_MAIN(TestPortalRequest)
#include "tst_portalrequest.moc"
