#include "preferences/LaunchAtLogin.h"

#include "preferences/PreferencesLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace velmora {

namespace {

// One argument of an Exec line: reserved characters put the argument in double quotes, where
// ", `, $ and \ take a backslash. The value is then escaped as a desktop-entry string, which
// doubles every backslash again.
QString execArgument(const QString& path)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString argument = path;
    argument.replace(QLatin1Char('%'), QLatin1String("%%"));
    if (std::any_of(argument.cbegin(), argument.cend(), [](QChar c) { return reserved.contains(c); })) {
        QString quoted = QStringLiteral("\"");
        for (QChar c : std::as_const(argument)) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\')) {
                quoted += QLatin1Char('\\');
            }
            quoted += c;
        }
        argument = quoted + QLatin1Char('"');
    }
    argument.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    argument.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    argument.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    argument.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return argument;
}

// Reads the [Desktop Entry] group for the two keys desktops use to switch an entry off.
bool isSwitchedOff(const QByteArray& contents)
{
    bool inMainGroup = false;
    for (const QByteArray& rawLine : contents.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inMainGroup || line.startsWith('#') || equals < 0) {
            continue;
        }
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false")) {
            return true;
        }
    }
    return false;
}

} // namespace

LaunchAtLogin::LaunchAtLogin()
    : LaunchAtLogin(defaultAutostartFolder(), QCoreApplication::applicationFilePath())
{}

LaunchAtLogin::LaunchAtLogin(const QString& autostartFolder, const QString& executable)
    : m_autostartFolder(autostartFolder), m_executable(executable)
{}

QString LaunchAtLogin::defaultAutostartFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1String("/autostart");
}

QString LaunchAtLogin::entryPath() const
{
    return m_autostartFolder + QLatin1String("/velmora.desktop");
}

bool LaunchAtLogin::isEnabled() const
{
    QFile file(entryPath());
    if (!file.exists()) {
        return false;
    }
    // An entry we cannot read still starts the application for the desktop that can.
    return !file.open(QIODevice::ReadOnly) || !isSwitchedOff(file.readAll());
}

bool LaunchAtLogin::setEnabled(bool enabled, QString* error)
{
    if (isEnabled() == enabled) {
        return true;
    }
    QString reason;
    if (enabled ? writeEntry(&reason) : removeEntry(&reason)) {
        return true;
    }
    qCWarning(lcPreferences, "[Velmora] LaunchAtLogin toggle failed: %s", qUtf8Printable(reason));
    if (error) {
        *error = reason;
    }
    return false;
}

QByteArray LaunchAtLogin::desktopEntry(const QString& executable)
{
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Velmora\n"
                                         "Comment=A lightweight tray app for capturing screenshots with "
                                         "built-in annotation.\n"
                                         "Exec=%1\n"
                                         "Icon=io.velmora.Velmora\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(execArgument(executable));
    return entry.toUtf8();
}

bool LaunchAtLogin::writeEntry(QString* error) const
{
    if (!QDir().mkpath(m_autostartFolder)) {
        *error = QStringLiteral("Cannot create the folder %1").arg(m_autostartFolder);
        return false;
    }
    // The desktop reads the folder at login: it must never find half an entry.
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(desktopEntry(m_executable)) < 0 || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

bool LaunchAtLogin::removeEntry(QString* error) const
{
    QFile file(entryPath());
    if (!file.remove()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace velmora
