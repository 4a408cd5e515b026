#pragma once

#include "DesktopShortcuts.h"
#include "preferences/Hotkey.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QMetaType>
#include <QVariantMap>

#include <optional>

class QDBusArgument;
class QDBusMessage;

namespace velmora::portal {

// One entry of the GlobalShortcuts portal's a(sa{sv}) lists: an id of ours and its properties
// (description, preferred_trigger; the portal adds trigger_description).
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut);
const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut);

// A combination in the portal's trigger syntax: "LOGO+CTRL+ALT+SHIFT+" for the modifiers present,
// then the key's XKB keysym name ("CTRL+SHIFT+2", "ALT+k", "CTRL+Return"). Nothing for a key
// outside the name table.
std::optional<QString> portalTrigger(const Hotkey& hotkey);

// Desktop-wide shortcuts through org.freedesktop.portal.GlobalShortcuts. The first bind() asks
// which version of the interface the portal offers; if any, one session is created for the life
// of the program, with the shortcuts both in CreateSession's options (some desktops read only
// those) and bound with BindShortcuts. What the desktop assigned comes from BindShortcuts' answer,
// ListShortcuts and ShortcutsChanged; Activated becomes activated(). Version 2 opens the desktop's
// dialog with ConfigureShortcuts; before it, binding again is what makes a desktop ask.
class PortalGlobalShortcuts final : public DesktopShortcuts
{
    Q_OBJECT

public:
    explicit PortalGlobalShortcuts(QDBusConnection bus, int timeoutMs = 120'000, QObject* parent = nullptr);

    void bind(const QList<Request>& requests) override;
    std::optional<QMap<QString, QString>> assignments() const override { return m_assigned; }
    Change change() const override;
    void requestChange() override;
    void refresh() override;
    // Whether the desktop offers the interface, when that is already known: then it is asked only
    // for its version, and not at all when it offers none.
    void setOffered(bool offered) { m_offered = offered; }

private Q_SLOTS:
    void onActivated(const QDBusMessage& message);
    void onShortcutsChanged(const QDBusMessage& message);

private:
    enum class State { unknown, unavailable, creating, ready };

    QList<PortalShortcut> shortcuts() const;
    void createSession();
    void bindShortcuts();
    void listShortcuts();
    void configureShortcuts();
    void takeAssignments(const QVariant& list);
    void setState(State state);

    QDBusConnection m_bus;
    int m_timeoutMs;
    State m_state = State::unknown;
    std::optional<bool> m_offered;
    uint m_version = 0;
    QString m_session;
    QList<Request> m_requests;
    std::optional<QMap<QString, QString>> m_assigned;
    // The desktop turned down a way of changing the keys; the next one is offered instead.
    bool m_configureRefused = false;
    bool m_rebindRefused = false;
};

// Whether the desktop portal on `bus` offers org.freedesktop.portal.GlobalShortcuts, silently; `why`
// gets the reason when not. Blocks for at most `timeoutMs`; a portal that takes longer is as good
// as absent.
bool globalShortcutsOffered(QDBusConnection bus, int timeoutMs = 3000, QString* why = nullptr);
// The same question, answered with the interface's version: 0 when it is not offered.
uint globalShortcutsVersion(QDBusConnection bus, int timeoutMs = 3000, QString* why = nullptr);

} // namespace velmora::portal

Q_DECLARE_METATYPE(velmora::portal::PortalShortcut)
