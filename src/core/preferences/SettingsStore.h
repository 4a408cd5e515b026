#pragma once

#include <QByteArray>
#include <QHash>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

namespace velmora {

// The key-value store every persisted setting goes through. The application uses the real
// settings file; tests use the in-memory twin or a QSettings file of their own.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    virtual QVariant value(const QString& key) const = 0;
    virtual void setValue(const QString& key, const QVariant& value) = 0;
    virtual void remove(const QString& key) = 0;
    virtual bool contains(const QString& key) const = 0;

    // Typed reads: a missing value, or one that does not hold the asked type, gives nothing, so
    // callers fall back to their defaults. Values written by hand into the INI file come back as
    // strings, so a string that parses cleanly counts as the type it spells.
    std::optional<double> number(const QString& key) const;
    std::optional<bool> boolean(const QString& key) const;
    std::optional<QString> string(const QString& key) const;
    std::optional<QByteArray> data(const QString& key) const;

    // The store the running application uses: ~/.config/Velmora/Velmora.conf.
    static SettingsStore& shared();
};

// QSettings in INI form at a path of the caller's choice.
class FileSettingsStore final : public SettingsStore
{
public:
    explicit FileSettingsStore(const QString& path);

    QVariant value(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    bool contains(const QString& key) const override;

    // Writes pending changes to disk now (QSettings otherwise does it lazily).
    void sync();
    QString path() const;

    // ~/.config/Velmora/Velmora.conf (honours XDG_CONFIG_HOME).
    static QString defaultPath();

private:
    std::unique_ptr<QSettings> m_settings;
};

class MemorySettingsStore final : public SettingsStore
{
public:
    QVariant value(const QString& key) const override { return m_values.value(key); }
    void setValue(const QString& key, const QVariant& value) override { m_values.insert(key, value); }
    void remove(const QString& key) override { m_values.remove(key); }
    bool contains(const QString& key) const override { return m_values.contains(key); }

private:
    QHash<QString, QVariant> m_values;
};

} // namespace velmora
