#include "portal/PortalGlobalShortcuts.h"

#include "PlatformLog.h"
#include "portal/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>

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

QString portalShortcutId(const Hotkey& hotkey)
{
    return QStringLiteral("hotkey-%1-%2").arg(hotkey.keyCode).arg(hotkey.modifierRawValue);
}

PortalGlobalShortcuts::PortalGlobalShortcuts(QDBusConnection bus, int timeoutMs, QObject* parent)
    : GlobalShortcuts(parent), m_bus(std::move(bus)), m_timeoutMs(timeoutMs)
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

bool globalShortcutsOffered(QDBusConnection bus, int timeoutMs, QString* why)
{
    if (!bus.isConnected()) {
        if (why) {
            *why = QStringLiteral("no session bus");
        }
        return false;
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
        return false;
    }
    return true;
}

bool PortalGlobalShortcuts::offersInterface() const
{
    QString why = QStringLiteral("the desktop offers none");
    // Asked once, when the tray instance first takes its shortcuts, unless already known. Said
    // here rather than where it is found out: only the tray instance takes shortcuts, and a
    // one-shot command must stay silent.
    if (m_offered ? *m_offered : globalShortcutsOffered(m_bus, 3000, &why)) {
        return true;
    }
    qCWarning(lcPlatform).noquote() << "[Velmora] No GlobalShortcuts portal:" << why;
    return false;
}

QList<Hotkey> PortalGlobalShortcuts::grab(const QList<Hotkey>& hotkeys)
{
    m_hotkeys.clear();
    QList<Hotkey> refused;
    for (const Hotkey& hotkey : hotkeys) {
        if (portalTrigger(hotkey)) {
            m_hotkeys.append(hotkey);
        } else {
            refused.append(hotkey);
        }
    }
    if (m_state == State::unknown) {
        m_state = offersInterface() ? State::creating : State::unavailable;
        if (m_state == State::creating) {
            m_bus.connect(QLatin1String(desktopService), QLatin1String(desktopPath),
                          QLatin1String(shortcutsInterface), QStringLiteral("Activated"), this,
                          SLOT(onActivated(QDBusMessage)));
            createSession();
        }
    }
    switch (m_state) {
    case State::unavailable:
        return hotkeys;
    case State::ready:
        bind();
        break;
    case State::creating: // bound once the session exists
    case State::unknown:
        break;
    }
    return refused;
}

QList<PortalShortcut> PortalGlobalShortcuts::shortcuts() const
{
    QList<PortalShortcut> list;
    for (const Hotkey& hotkey : m_hotkeys) {
        list.append(
            {portalShortcutId(hotkey),
             {{QStringLiteral("description"), QStringLiteral("Velmora: %1").arg(hotkey.displayString())},
              {QStringLiteral("preferred_trigger"), *portalTrigger(hotkey)}}});
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
            m_state = State::unavailable;
            return;
        }
        m_state = State::ready;
        bind();
    });
}

void PortalGlobalShortcuts::bind()
{
    auto* request = PortalRequest::start(
        m_bus, QLatin1String(shortcutsInterface), QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts()), QString()}, {},
        m_timeoutMs, this);
    connect(request, &PortalRequest::finished, this, [this](const PortalResponse& response) {
        if (response.outcome != PortalResponse::Outcome::done) {
            qCWarning(lcPlatform).noquote()
                << "[Velmora] Shortcut registration failed:"
                << (response.error.isEmpty() ? QStringLiteral("declined") : response.error);
            return;
        }
        const QVariant assigned = response.results.value(QStringLiteral("shortcuts"));
        QList<PortalShortcut> list;
        if (assigned.canConvert<QDBusArgument>()) {
            assigned.value<QDBusArgument>() >> list;
        } else {
            list = assigned.value<QList<PortalShortcut>>();
        }
        Q_EMIT bound(list);
    });
}

void PortalGlobalShortcuts::onActivated(const QDBusMessage& message)
{
    // (o session_handle, s shortcut_id, t timestamp, a{sv} options)
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || qdbus_cast<QDBusObjectPath>(arguments[0]).path() != m_session) {
        return;
    }
    const QString id = arguments[1].toString();
    for (const Hotkey& hotkey : std::as_const(m_hotkeys)) {
        if (portalShortcutId(hotkey) == id) {
            Q_EMIT pressed(hotkey);
            return;
        }
    }
}

} // namespace velmora::portal
