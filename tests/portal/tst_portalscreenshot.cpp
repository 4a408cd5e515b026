#include "portal/PortalScreenCapture.h"

#include "CaptureJob.h"
#include "PrivateBus.h"
#include "portal/PortalRequest.h"
#include "support/TestSupport.h"

#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

// The portal client against the stand-in desktop run as its own process on a private bus.
class TestPortalScreenshot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!m_bus.start()) {
            QSKIP("dbus-daemon is not available");
        }
        m_picture = m_folder.filePath(QStringLiteral("desktop.png"));
        QVERIFY(test::solidImage(64, 48, Qt::darkCyan).save(m_picture));
    }

    void cleanup()
    {
        m_portal.kill();
        m_portal.waitForFinished();
    }

    // A desktop that refuses screenshots without its dialog: the capture goes on through the
    // dialog, and the user hears of it once, not at every capture.
    void aRefusalWithoutTheDialogIsSaidOnce()
    {
        startPortal(QStringLiteral("refuse-plain"));
        const ScreenLayout layout{{{QRect(0, 0, 64, 48), 1.0, QStringLiteral("only")}}};
        portal::PortalScreenCapture capture(m_bus.client(), [layout] { return layout; });
        QStringList notices;
        capture.setNotifier([&notices](const QString& message) { notices.append(message); });
        for (int i = 0; i < 2; ++i) {
            CaptureJob* job = capture.grabScreens(layout.screens());
            QSignalSpy done(job, &CaptureJob::done);
            QVERIFY(done.wait(10000));
            QCOMPARE(job->images().value(0).pixelColor(10, 10), QColor(Qt::darkCyan));
        }
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices.first().contains(QLatin1String("screenshot dialog")));
    }

private:
    void startPortal(const QString& mode)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus.address());
        m_portal.setProcessEnvironment(environment);
        m_portal.setProcessChannelMode(QProcess::ForwardedChannels);
        m_portal.start(QStringLiteral(FAKE_PORTAL),
                       {QStringLiteral("--picture"), m_picture, QStringLiteral("--mode"), mode});
        QVERIFY(m_portal.waitForStarted());
        QVERIFY(QTest::qWaitFor(
            [this] {
                return m_bus.client().interface()->isServiceRegistered(QLatin1String(portal::desktopService));
            },
            test::waitTimeout));
    }

    PrivateBus m_bus;
    QTemporaryDir m_folder;
    QString m_picture;
    QProcess m_portal;
};

QTEST_GUILESS_MAIN(TestPortalScreenshot)
#include "tst_portalscreenshot.moc"
