#pragma once

#include "preferences/AppAppearance.h"

#include <QObject>
#include <QString>

namespace velmora {

class SettingsStore;

// The save folder and the appearance. Both are written to the store as soon as they change.
class GeneralPreferences : public QObject
{
    Q_OBJECT
public:
    static inline const QString saveLocationKey = QStringLiteral("saveLocation");
    static inline const QString appearanceKey = QStringLiteral("appearance");

    // defaultFolder is used whenever no usable folder is stored.
    explicit GeneralPreferences(SettingsStore& store, const QString& defaultFolder = defaultSaveLocation(),
                                QObject* parent = nullptr);

    // The instance the application uses, on the application's settings file.
    static GeneralPreferences& shared();

    // The Downloads folder (the desktop's configured one, else ~/Downloads) when it exists, else
    // the temporary folder.
    static QString defaultSaveLocation();

    // Absolute path of the folder the save shortcut writes into.
    QString saveLocation() const { return m_saveLocation; }
    void setSaveLocation(const QString& folder);
    void resetSaveLocationToDefault();

    AppAppearance appearance() const { return m_appearance; }
    void setAppearance(AppAppearance appearance);

Q_SIGNALS:
    void saveLocationChanged(const QString& folder);
    void appearanceChanged(velmora::AppAppearance appearance);

private:
    QString storedSaveLocation() const;
    void updateSaveLocation(const QString& folder);

    SettingsStore& m_store;
    QString m_defaultFolder;
    QString m_saveLocation;
    AppAppearance m_appearance = AppAppearance::system;
};

} // namespace velmora
