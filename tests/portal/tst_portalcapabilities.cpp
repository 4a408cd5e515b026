#include "portal/PortalGlobalShortcuts.h"
#include "portal/PortalPlatform.h"

#include "PrivateBus.h"
#include "portal/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QTest>
#include <QThread>

#include <atomic>

using namespace velmora;
using namespace velmora::portal;

namespace {

// Only the questions the capability look-up asks: the GlobalShortcuts and ScreenCast interfaces'
// versions, which a desktop without that portal answers with an error.
class FakeVersionPortal final : public QDBusVirtualObject
{
public:
    std::atomic<bool> offered = true;
    std::atomic<bool> castOffered = false;
    std::atomic<int> asked = 0;

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override
    {
        if (message.member() != QLatin1String("Get")) {
            bus.send(message.createErrorReply(QDBusError::UnknownMethod, message.member()));
            return true;
        }
        ++asked;
        const QString interface = message.arguments().value(0).toString();
        const bool shortcuts = interface == QLatin1String("org.freedesktop.portal.GlobalShortcuts");
        const bool cast = interface == QLatin1String("org.freedesktop.portal.ScreenCast");
        if ((offered && shortcuts) || (castOffered && cast)) {
            bus.send(message.createReply(QVariant::fromValue(QDBusVariant(1u))));
        } else {
            bus.send(message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("no such interface")));
        }
        return true;
    }
};

} // namespace

class TestPortalCapabilities : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!m_bus.start()) {
            QSKIP("dbus-daemon is not available");
        }
        // The look-up blocks the caller's thread; the portal answers from its own.
        m_fake.moveToThread(&m_portalThread);
        m_portalThread.start();
        QVERIFY(m_bus.portal().registerVirtualObject(QLatin1String(desktopPath), &m_fake));
    }

    void cleanupTestCase()
    {
        m_portalThread.quit();
        m_portalThread.wait();
    }

    void portalBackend_data()
    {
        QTest::addColumn<bool>("portalRunning");
        QTest::addColumn<bool>("offersShortcuts");
        QTest::addColumn<bool>("desktopAssigns");
        QTest::addColumn<bool>("offersScreenCast");
        QTest::newRow("no portal on the bus") << false << false << false << false;
        QTest::newRow("portal without GlobalShortcuts or ScreenCast") << true << false << false << false;
        QTest::newRow("portal with GlobalShortcuts") << true << true << true << false;
        QTest::newRow("portal with ScreenCast") << true << false << false << true;
    }

    void portalBackend()
    {
        QFETCH(bool, portalRunning);
        QFETCH(bool, offersShortcuts);
        QFETCH(bool, desktopAssigns);
        QFETCH(bool, offersScreenCast);
        if (portalRunning) {
            QVERIFY(m_bus.portal().registerService(QLatin1String(desktopService)));
        } else {
            m_bus.portal().unregisterService(QLatin1String(desktopService));
        }
        m_fake.offered = offersShortcuts;
        m_fake.castOffered = offersScreenCast;

        const PlatformCapabilities capabilities = portalCapabilities(m_bus.client());
        QCOMPARE(capabilities.shortcuts, desktopAssigns ? PlatformCapabilities::Shortcuts::desktopAssigned
                                                        : PlatformCapabilities::Shortcuts::unavailable);
        // Whatever the desktop offers, Wayland lists no windows.
        QVERIFY(!capabilities.windowList);
        // Scrolling streams the screen, which needs the ScreenCast portal.
        QCOMPARE(capabilities.scrollingCapture, offersScreenCast);
        QCOMPARE(capabilities.scrollingUnavailableReason.contains(QLatin1String("ScreenCast portal")),
                 !offersScreenCast);
    }

    // Window capture goes through the desktop's own dialog, which the wlroots portal does not have.
    void windowPickerByDesktop_data()
    {
        QTest::addColumn<QString>("currentDesktop");
        QTest::addColumn<bool>("picks");
        QTest::newRow("GNOME") << QStringLiteral("GNOME") << true;
        QTest::newRow("KDE") << QStringLiteral("KDE") << true;
        QTest::newRow("Ubuntu's GNOME") << QStringLiteral("ubuntu:GNOME") << true;
        QTest::newRow("unset") << QString() << true;
        QTest::newRow("sway") << QStringLiteral("sway") << false;
        QTest::newRow("Hyprland, any case") << QStringLiteral("Hyprland") << false;
        QTest::newRow("sway listed second") << QStringLiteral("foo:sway") << false;
        QTest::newRow("a name containing sway") << QStringLiteral("swaybox") << true;
    }

    void windowPickerByDesktop()
    {
        QFETCH(QString, currentDesktop);
        QFETCH(bool, picks);
        QCOMPARE(desktopPicksWindows(currentDesktop), picks);
        const QByteArray saved = qgetenv("XDG_CURRENT_DESKTOP");
        qputenv("XDG_CURRENT_DESKTOP", currentDesktop.toUtf8());
        const PlatformCapabilities capabilities = portalCapabilities(m_bus.client());
        qputenv("XDG_CURRENT_DESKTOP", saved);
        QCOMPARE(capabilities.windowCapture(), picks);
        QCOMPARE(capabilities.windowUnavailableReason().isEmpty(), picks);
    }

    // The shortcuts, once told what the look-up found, do not ask the desktop a second time.
    void shortcutsTakeTheAnswerFound()
    {
        QVERIFY(m_bus.portal().registerService(QLatin1String(desktopService)));
        m_fake.offered = false;
        m_fake.castOffered = false;
        m_fake.asked = 0;
        PortalGlobalShortcuts shortcuts(m_bus.client());
        shortcuts.setOffered(false);
        shortcuts.bind({{QStringLiteral("region"), QStringLiteral("Capture Area"),
                         Hotkey{19, Hotkey::command | Hotkey::shift}}});
        QCOMPARE(m_fake.asked.load(), 0);
        QCOMPARE(shortcuts.change(), DesktopShortcuts::Change::desktopSettings);
    }

    void nullBackend()
    {
        const auto platform = createNullPlatform();
        const PlatformCapabilities& capabilities = platform->capabilities;
        QVERIFY(!capabilities.windowCapture());
        QVERIFY(!capabilities.scrollingCapture);
        QVERIFY(!capabilities.scrollingUnavailableReason.isEmpty());
        QCOMPARE(capabilities.shortcuts, PlatformCapabilities::Shortcuts::unavailable);
    }

private:
    PrivateBus m_bus;
    QThread m_portalThread;
    FakeVersionPortal m_fake;
};

QTEST_GUILESS_MAIN(TestPortalCapabilities)
#include "tst_portalcapabilities.moc"
