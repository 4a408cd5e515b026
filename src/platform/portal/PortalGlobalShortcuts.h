#pragma once

#include "GlobalShortcuts.h"

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

// Desktop-wide shortcuts through org.freedesktop.portal.GlobalShortcuts. The first grab() asks
// whether the portal offers the interface; if so one session is created for the life of the
// program, with the shortcuts both in CreateSession's options (some desktops read only those) and
// bound with BindShortcuts; Activated becomes pressed(). The desktop, not Velmora, decides which
// keys finally trigger them, and may ask the user first.
class PortalGlobalShortcuts final : public GlobalShortcuts
{
    Q_OBJECT

public:
    explicit PortalGlobalShortcuts(QDBusConnection bus, int timeoutMs = 120'000, QObject* parent = nullptr);

    // Returns every combination when the desktop has no GlobalShortcuts portal; otherwise none,
    // since the desktop's answer comes later (and may be the user's).
    QList<Hotkey> grab(const QList<Hotkey>& hotkeys) override;
    // Whether the desktop offers the interface, when that is already known: not asked again.
    void setOffered(bool offered) { m_offered = offered; }

Q_SIGNALS:
    // The desktop answered BindShortcuts; `shortcuts` is what it assigned.
    void bound(const QList<velmora::portal::PortalShortcut>& shortcuts);

private Q_SLOTS:
    void onActivated(const QDBusMessage& message);

private:
    enum class State { unknown, unavailable, creating, ready };

    bool offersInterface() const;
    QList<PortalShortcut> shortcuts() const;
    void createSession();
    void bind();

    QDBusConnection m_bus;
    int m_timeoutMs;
    State m_state = State::unknown;
    QString m_session;
    QList<Hotkey> m_hotkeys;
    std::optional<bool> m_offered;
};

// Whether the desktop portal on `bus` offers org.freedesktop.portal.GlobalShortcuts, silently; `why`
// gets the reason when not. Blocks for at most `timeoutMs`; a portal that takes longer is as good
// as absent.
bool globalShortcutsOffered(QDBusConnection bus, int timeoutMs = 3000, QString* why = nullptr);

// The id a hotkey is bound under.
QString portalShortcutId(const Hotkey& hotkey);

} // namespace velmora::portal

Q_DECLARE_METATYPE(velmora::portal::PortalShortcut)
