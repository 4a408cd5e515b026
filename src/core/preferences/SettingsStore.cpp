#include "preferences/SettingsStore.h"

#include <QStandardPaths>

#include <cmath>

namespace velmora {

std::optional<double> SettingsStore::number(const QString& key) const
{
    const QVariant v = value(key);
    if (!v.isValid()) {
        return std::nullopt;
    }
    double result = 0;
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        result = v.toDouble();
        break;
    case QMetaType::QString: {
        bool ok = false;
        result = v.toString().trimmed().toDouble(&ok);
        if (!ok) {
            return std::nullopt;
        }
        break;
    }
    default:
        return std::nullopt;
    }
    if (!std::isfinite(result)) {
        return std::nullopt;
    }
    return result;
}

std::optional<bool> SettingsStore::boolean(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::Bool) {
        return v.toBool();
    }
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        if (s == QLatin1String("true") || s == QLatin1String("1")) {
            return true;
        }
        if (s == QLatin1String("false") || s == QLatin1String("0")) {
            return false;
        }
    }
    return std::nullopt;
}

std::optional<QString> SettingsStore::string(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::QString) {
        return v.toString();
    }
    return std::nullopt;
}

std::optional<QByteArray> SettingsStore::data(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::QByteArray) {
        return v.toByteArray();
    }
    return std::nullopt;
}

SettingsStore& SettingsStore::shared()
{
    static FileSettingsStore store(FileSettingsStore::defaultPath());
    return store;
}

FileSettingsStore::FileSettingsStore(const QString& path)
    : m_settings(std::make_unique<QSettings>(path, QSettings::IniFormat))
{}

QVariant FileSettingsStore::value(const QString& key) const
{
    return m_settings->value(key);
}

void FileSettingsStore::setValue(const QString& key, const QVariant& value)
{
    m_settings->setValue(key, value);
}

void FileSettingsStore::remove(const QString& key)
{
    m_settings->remove(key);
}

bool FileSettingsStore::contains(const QString& key) const
{
    return m_settings->contains(key);
}

void FileSettingsStore::sync()
{
    m_settings->sync();
}

QString FileSettingsStore::path() const
{
    return m_settings->fileName();
}

QString FileSettingsStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Velmora/Velmora.conf");
}

} // namespace velmora
