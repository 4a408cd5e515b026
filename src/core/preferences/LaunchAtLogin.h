#pragma once

#include <QByteArray>
#include <QString>

namespace velmora {

// Starting Velmora when the user logs in, through an XDG autostart entry "velmora.desktop".
// The entry file is the only state: nothing else is stored.
class LaunchAtLogin
{
public:
    // The user's autostart folder and this process's executable.
    LaunchAtLogin();
    LaunchAtLogin(const QString& autostartFolder, const QString& executable);

    // $XDG_CONFIG_HOME/autostart.
    static QString defaultAutostartFolder();

    QString entryPath() const;

    // The entry exists and the user has not switched it off (Hidden=true, or GNOME's
    // X-GNOME-Autostart-enabled=false).
    bool isEnabled() const;

    // Writes or removes the entry; nothing is touched when it already is as asked. A failure is
    // logged and gives false, with the reason in `error` when one is given (for showing the user).
    bool setEnabled(bool enabled, QString* error = nullptr);

    // The entry that starts the given executable.
    static QByteArray desktopEntry(const QString& executable);

private:
    bool writeEntry(QString* error) const;
    bool removeEntry(QString* error) const;

    QString m_autostartFolder;
    QString m_executable;
};

} // namespace velmora
