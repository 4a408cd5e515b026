#pragma once

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

// A dbus-daemon of the test's own, which starts no service by itself (so the desktop's real portal
// never answers in place of a stand-in), and two connections to it: one for the stand-in portal,
// one for the code under test. Ended with the object.
class PrivateBus
{
public:
    // False when no dbus-daemon could be started.
    bool start()
    {
        QFile config(m_folder.filePath(QStringLiteral("bus.conf")));
        if (!config.open(QIODevice::WriteOnly)) {
            return false;
        }
        config.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                     " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                     "<busconfig><type>session</type><listen>unix:dir=" +
                     m_folder.path().toUtf8() +
                     "</listen><auth>EXTERNAL</auth>"
                     "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                     "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        config.close();
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted() || !m_daemon.waitForReadyRead(10000)) {
            return false;
        }
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        m_portal = QDBusConnection::connectToBus(m_address, QStringLiteral("portal"));
        m_client = QDBusConnection::connectToBus(m_address, QStringLiteral("client"));
        return m_portal.isConnected() && m_client.isConnected();
    }

    ~PrivateBus()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    QDBusConnection& portal() { return m_portal; }
    QDBusConnection& client() { return m_client; }
    // For processes of the test's own that serve on the bus.
    const QString& address() const { return m_address; }

private:
    QTemporaryDir m_folder;
    QProcess m_daemon;
    QString m_address;
    QDBusConnection m_portal{QString()};
    QDBusConnection m_client{QString()};
};
