#pragma once

#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace velmora {

// The running tray instance's name on the session bus, the same reverse-domain name as its
// desktop file.
inline constexpr char instanceServiceName[] = "io.velmora.Velmora";
inline constexpr char instancePath[] = "/io/velmora/Velmora";
inline constexpr char instanceInterface[] = "io.velmora.Velmora";

// What a command run by the instance answers: the exit status the calling process returns, what
// it prints on standard output, and the line it prints on standard error.
struct CommandReply
{
    int status = 0;
    QString output;
    QString error;
};

// The instance's side of the bus: Run(arguments, working folder) → (status, output, error). The
// reply is sent when the command has finished (a capture: once its editor opened or its text was
// copied), so the calling process can report as if it had done the work itself.
class InstanceService : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.velmora.Velmora")

public:
    using Handler = std::function<void(const QStringList& arguments, const QString& workingDirectory,
                                       std::function<void(const CommandReply&)> reply)>;

    explicit InstanceService(Handler handler, QObject* parent = nullptr);

    // Registers the object and takes the name. False when another process owns the name (or there
    // is no bus); `error` then says which.
    bool registerOnSessionBus(QString* error);

public Q_SLOTS:
    Q_SCRIPTABLE int Run(const QStringList& arguments, const QString& workingDirectory, QString& output,
                         QString& error);

private:
    Handler m_handler;
};

} // namespace velmora
