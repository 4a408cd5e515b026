#include "preferences/GeneralPreferences.h"

#include "preferences/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace velmora {

namespace {

bool isFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

GeneralPreferences::GeneralPreferences(SettingsStore& store, const QString& defaultFolder, QObject* parent)
    : QObject(parent), m_store(store), m_defaultFolder(defaultFolder)
{
    const QString stored = storedSaveLocation();
    m_saveLocation = stored.isEmpty() ? m_defaultFolder : stored;
    m_appearance = fromRawValue<AppAppearance>(m_store.string(appearanceKey).value_or(QString()))
                       .value_or(AppAppearance::system);
}

GeneralPreferences& GeneralPreferences::shared()
{
    static GeneralPreferences preferences(SettingsStore::shared());
    return preferences;
}

QString GeneralPreferences::defaultSaveLocation()
{
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (isFolder(downloads)) {
        return QDir::cleanPath(downloads);
    }
    const QString homeDownloads = QDir::homePath() + QLatin1String("/Downloads");
    if (isFolder(homeDownloads)) {
        return homeDownloads;
    }
    // Never the shared temporary folder: other users could read the screenshots there.
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (isFolder(pictures)) {
        return QDir::cleanPath(pictures);
    }
    return QDir::homePath();
}

void GeneralPreferences::setSaveLocation(const QString& folder)
{
    // An empty path would silently become the working directory.
    if (folder.isEmpty()) {
        return;
    }
    const QString absolute = QDir::cleanPath(QDir(folder).absolutePath());
    m_store.setValue(saveLocationKey, absolute);
    updateSaveLocation(absolute);
}

void GeneralPreferences::resetSaveLocationToDefault()
{
    m_store.remove(saveLocationKey);
    updateSaveLocation(m_defaultFolder);
}

void GeneralPreferences::setAppearance(AppAppearance appearance)
{
    m_store.setValue(appearanceKey, rawValue(appearance));
    if (appearance != m_appearance) {
        m_appearance = appearance;
        Q_EMIT appearanceChanged(appearance);
    }
}

// A folder that was removed or renamed since it was chosen falls back to the default.
QString GeneralPreferences::storedSaveLocation() const
{
    const QString path = m_store.string(saveLocationKey).value_or(QString());
    return QDir::isAbsolutePath(path) && isFolder(path) ? QDir::cleanPath(path) : QString();
}

void GeneralPreferences::updateSaveLocation(const QString& folder)
{
    if (folder != m_saveLocation) {
        m_saveLocation = folder;
        Q_EMIT saveLocationChanged(folder);
    }
}

} // namespace velmora
