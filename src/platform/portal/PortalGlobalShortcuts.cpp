#include "portal/PortalGlobalShortcuts.h"

#include "PlatformLog.h"
#include "portal/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include <algorithm>
#include <array>

namespace velmora::portal {

namespace {

constexpr char shortcutsInterface[] = "org.freedesktop.portal.GlobalShortcuts";

struct KeysymName
{
    const char* key; // Hotkey::keyName
    const char* keysym;
};

// Keys whose keysym name is not their own lower-case name.
constexpr std::array<KeysymName, 20> keysyms{{
    {"=", "equal"},      {"-", "minus"},      {"]", "bracketright"},   {"[", "bracketleft"},
    {"'", "apostrophe"}, {";", "semicolon"},  {"\\", "backslash"},     {",", "comma"},
    {"/", "slash"},      {".", "period"},     {"`", "grave"},          {"\u21A9", "Return"},
    {"\u21E5", "Tab"},   {"\u2423", "space"}, {"\u232B", "BackSpace"}, {"\u238B", "Escape"},
    {"\u2190", "Left"},  {"\u2192", "Right"}, {"\u2193", "Down"},      {"\u2191", "Up"},
}};

} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

std::optional<QString> portalTrigger(const Hotkey& hotkey)
{
    const QString name = Hotkey::keyName(hotkey.keyCode);
    QString key;
    if (name.startsWith(QLatin1String("Key"))) {
        return std::nullopt;
    }
    for (const KeysymName& entry : keysyms) {
        if (name == QString::fromUtf8(entry.key)) {
            key = QLatin1String(entry.keysym);
        }
    }
    if (key.isEmpty()) {
        // Letters are the lower-case keysyms; digits and F-keys are their own names.
        key = name.size() == 1 ? name.toLower() : name;
    }
    QString trigger;
    const quint64 bits = hotkey.modifierRawValue;
    if (bits & Hotkey::control) {
        trigger += QLatin1String("LOGO+");
    }
    if (bits & Hotkey::command) {
        trigger += QLatin1String("CTRL+");
    }
    if (bits & Hotkey::option) {
        trigger += QLatin1String("ALT+");
    }
    if (bits & Hotkey::shift) {
        trigger += QLatin1String("SHIFT+");
    }
    return trigger + key;
}

PortalGlobalShortcuts::PortalGlobalShortcuts(QDBusConnection bus, int timeoutMs, QObject* parent)
    : DesktopShortcuts(parent), m_bus(std::move(bus)), m_timeoutMs(timeoutMs)
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

uint globalShortcutsVersion(QDBusConnection bus, int timeoutMs, QString* why)
{
    if (!bus.isConnected()) {
        if (why) {
            *why = QStringLiteral("no session bus");
        }
        return 0;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        QLatin1String(desktopService), QLatin1String(desktopPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QLatin1String(shortcutsInterface) << QStringLiteral("version");
    const QDBusMessage reply = bus.call(get, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        if (why) {
            *why = reply.errorMessage();
        }
        return 0;
    }
    // A portal that answers without a usable number still has the interface: its first version.
    const uint version = qdbus_cast<QDBusVariant>(reply.arguments().value(0)).variant().toUInt();
    return std::max(version, 1u);
}

bool globalShortcutsOffered(QDBusConnection bus, int timeoutMs, QString* why)
{
    return globalShortcutsVersion(std::move(bus), timeoutMs, why) > 0;
}

void PortalGlobalShortcuts::bind(const QList<Request>& requests)
{
    m_requests = requests;
    if (m_state == State::unknown) {
        // Asked once, when the tray instance first binds its shortcuts. Said here rather than where
        // it is found out: only the tray instance binds shortcuts, and a one-shot command must stay
        // silent.
        QString why = QStringLiteral("the desktop offers none");
        if (m_offered != false) {
            m_version = globalShortcutsVersion(m_bus, 3000, &why);
            // Known to be offered, but silent now: the first version's calls are the safe guess.
            if (m_offered == true) {
                m_version = std::max(m_version, 1u);
            }
        }
        if (m_version == 0) {
            qCWarning(lcPlatform).noquote() << "[Velmora] No GlobalShortcuts portal:" << why;
            setState(State::unavailable);
            return;
        }
        m_bus.connect(QLatin1String(desktopService), QLatin1String(desktopPath),
                      QLatin1String(shortcutsInterface), QStringLiteral("Activated"), this,
                      SLOT(onActivated(QDBusMessage)));
        m_bus.connect(QLatin1String(desktopService), QLatin1String(desktopPath),
                      QLatin1String(shortcutsInterface), QStringLiteral("ShortcutsChanged"), this,
                      SLOT(onShortcutsChanged(QDBusMessage)));
        setState(State::creating);
        createSession();
        return;
    }
    if (m_state == State::ready) {
        bindShortcuts();
    }
    // While the session is being made, it binds the latest requests once it exists.
}

DesktopShortcuts::Change PortalGlobalShortcuts::change() const
{
    if (m_state != State::ready) {
        return Change::desktopSettings;
    }
    if (m_version >= 2 && !m_configureRefused) {
        return Change::configure;
    }
    return m_rebindRefused ? Change::desktopSettings : Change::rebind;
}

void PortalGlobalShortcuts::requestChange()
{
    switch (change()) {
    case Change::configure:
        configureShortcuts();
        break;
    case Change::rebind:
        bindShortcuts();
        break;
    case Change::desktopSettings:
        break;
    }
}

void PortalGlobalShortcuts::refresh()
{
    if (m_state == State::ready) {
        listShortcuts();
    }
}

void PortalGlobalShortcuts::setState(State state)
{
    m_state = state;
    Q_EMIT assignmentsChanged();
}

QList<PortalShortcut> PortalGlobalShortcuts::shortcuts() const
{
    QList<PortalShortcut> list;
    for (const Request& request : m_requests) {
        QVariantMap properties{{QStringLiteral("description"), request.description}};
        if (const std::optional<QString> trigger =
                request.preferred ? portalTrigger(*request.preferred) : std::nullopt) {
            properties.insert(QStringLiteral("preferred_trigger"), *trigger);
        }
        list.append({request.id, properties});
    }
    return list;
}

void PortalGlobalShortcuts::createSession()
{
    QVariantMap options;
    options.insert(QStringLiteral("session_handle_token"), newHandleToken());
    // Some desktops read the shortcuts here and ignore BindShortcuts.
    options.insert(QStringLiteral("shortcuts"), QVariant::fromValue(shortcuts()));
    auto* request = PortalRequest::start(m_bus, QLatin1String(shortcutsInterface),
                                         QStringLiteral("CreateSession"), {}, options, m_timeoutMs, this);
    connect(request, &PortalRequest::finished, this, [this](const PortalResponse& response) {
        const QVariant handle = response.results.value(QStringLiteral("session_handle"));
        m_session =
            handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path() : handle.toString();
        if (response.outcome != PortalResponse::Outcome::done || m_session.isEmpty()) {
            qCWarning(lcPlatform).noquote()
                << "[Velmora] Shortcut registration failed: no GlobalShortcuts session" << response.error;
            setState(State::unavailable);
            return;
        }
        setState(State::ready);
        bindShortcuts();
    });
}

void PortalGlobalShortcuts::bindShortcuts()
{
    auto* request = PortalRequest::start(
        m_bus, QLatin1String(shortcutsInterface), QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts()), QString()}, {},
        m_timeoutMs, this);
    connect(request, &PortalRequest::finished, this, [this](const PortalResponse& response) {
        switch (response.outcome) {
        case PortalResponse::Outcome::done:
            takeAssignments(response.results.value(QStringLiteral("shortcuts")));
            return;
        case PortalResponse::Outcome::cancelled:
            // The user closed the desktop's dialog: whatever it held before still holds.
            listShortcuts();
            return;
        case PortalResponse::Outcome::failed:
            break;
        }
        qCWarning(lcPlatform).noquote()
            << "[Velmora] Shortcut registration failed:"
            << (response.error.isEmpty() ? QStringLiteral("declined") : response.error);
        if (m_assigned) {
            // Bound before, refused now: this desktop takes the shortcuts once per session.
            m_rebindRefused = true;
            Q_EMIT assignmentsChanged();
        }
        listShortcuts();
    });
}

void PortalGlobalShortcuts::listShortcuts()
{
    auto* request =
        PortalRequest::start(m_bus, QLatin1String(shortcutsInterface), QStringLiteral("ListShortcuts"),
                             {QVariant::fromValue(QDBusObjectPath(m_session))}, {}, m_timeoutMs, this);
    connect(request, &PortalRequest::finished, this, [this](const PortalResponse& response) {
        if (response.outcome == PortalResponse::Outcome::done) {
            takeAssignments(response.results.value(QStringLiteral("shortcuts")));
        }
    });
}

void PortalGlobalShortcuts::configureShortcuts()
{
    // The dialog belongs to the desktop; what the user picks there arrives as ShortcutsChanged.
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(desktopService), QLatin1String(desktopPath), QLatin1String(shortcutsInterface),
        QStringLiteral("ConfigureShortcuts"));
    call << QVariant::fromValue(QDBusObjectPath(m_session)) << QString() << QVariantMap();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_timeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        if (watcher->isError()) {
            qCWarning(lcPlatform).noquote()
                << "[Velmora] The desktop did not open its shortcut settings:" << watcher->error().message();
            m_configureRefused = true;
            Q_EMIT assignmentsChanged();
        }
    });
}

void PortalGlobalShortcuts::takeAssignments(const QVariant& list)
{
    QList<PortalShortcut> assigned;
    if (list.canConvert<QDBusArgument>()) {
        list.value<QDBusArgument>() >> assigned;
    } else {
        assigned = list.value<QList<PortalShortcut>>();
    }
    QMap<QString, QString> triggers;
    for (const PortalShortcut& shortcut : std::as_const(assigned)) {
        triggers.insert(shortcut.id,
                        shortcut.properties.value(QStringLiteral("trigger_description")).toString());
    }
    // Ours that the desktop does not list have no keys.
    for (const Request& request : std::as_const(m_requests)) {
        if (!triggers.contains(request.id)) {
            triggers.insert(request.id, QString());
        }
    }
    if (m_assigned != triggers) {
        m_assigned = triggers;
        Q_EMIT assignmentsChanged();
    }
}

void PortalGlobalShortcuts::onActivated(const QDBusMessage& message)
{
    // (o session_handle, s shortcut_id, t timestamp, a{sv} options)
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || qdbus_cast<QDBusObjectPath>(arguments[0]).path() != m_session) {
        return;
    }
    // Not only the ids bound this run: a desktop keeps the keys of a shortcut bound in an earlier
    // one, and whoever listens says why that capture does not run here.
    Q_EMIT activated(arguments[1].toString());
}

void PortalGlobalShortcuts::onShortcutsChanged(const QDBusMessage& message)
{
    // (o session_handle, a(sa{sv}) shortcuts)
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || qdbus_cast<QDBusObjectPath>(arguments[0]).path() != m_session) {
        return;
    }
    takeAssignments(arguments[1]);
}

} // namespace velmora::portal
