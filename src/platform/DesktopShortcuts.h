#pragma once

#include "preferences/Hotkey.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

#include <optional>

namespace velmora {

// Shortcuts that the desktop binds and assigns keys to (Wayland's GlobalShortcuts portal). Velmora
// names each shortcut and says which combination it would like; the desktop, often the user in
// its own dialog, decides the keys, may change them at any time, and says by name which one was
// pressed. The names stay the same from run to run so that the desktop keeps the user's choice.
class DesktopShortcuts : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QString id;
        QString description; // shown in the desktop's list
        std::optional<Hotkey> preferred;
    };

    // How the user can change the keys from Velmora.
    enum class Change {
        configure,       // the desktop opens its own shortcut dialog when asked
        rebind,          // binding again makes the desktop ask (some show their dialog then)
        desktopSettings, // only in the desktop's keyboard settings
    };

    using QObject::QObject;

    // Binds these shortcuts in place of every earlier one; the desktop answers later.
    virtual void bind(const QList<Request>& requests) = 0;
    // The desktop's own words for the keys of each bound id ("Ctrl+Shift+2"), empty for a shortcut
    // it left without keys; nothing until the desktop has answered.
    virtual std::optional<QMap<QString, QString>> assignments() const = 0;
    virtual Change change() const = 0;
    // Asks the desktop to let the user change the keys, the way change() says.
    virtual void requestChange() = 0;
    // Asks the desktop again what it assigned, for desktops that change keys without saying so.
    virtual void refresh() = 0;

Q_SIGNALS:
    // The shortcut bound under `id` was pressed; perhaps bound in an earlier run, not this one.
    void activated(const QString& id);
    // assignments() or change() is not what it was.
    void assignmentsChanged();
};

} // namespace velmora
