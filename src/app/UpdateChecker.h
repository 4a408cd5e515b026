#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QNetworkAccessManager;

namespace velmora {

class SettingsStore;

// "Check for Updates…": reads a small JSON feed ({"version": "1.4.0", "url": "https://…"}) named by
// the setting "updates.feedURL" and says what it found. Without a feed, packages bring the updates.
class UpdateChecker : public QObject
{
    Q_OBJECT

public:
    struct Result
    {
        enum class Kind { noFeed, upToDate, available, failed };
        Kind kind = Kind::noFeed;
        QString message; // what the user is told
        QUrl page;       // available: where the new version is described
    };

    UpdateChecker(SettingsStore& settings, QString currentVersion, QObject* parent = nullptr);
    ~UpdateChecker() override;

    static QString feedKey();

    // Starts a check; `done` runs once on this object's thread. A check still running is dropped.
    void check(std::function<void(const Result&)> done);

    // Whether `candidate` ("1.10.2") is newer than `current` ("1.9"); missing parts count as 0.
    static bool isNewer(const QString& candidate, const QString& current);

private:
    SettingsStore& m_settings;
    QString m_currentVersion;
    std::unique_ptr<QNetworkAccessManager> m_network;
};

} // namespace velmora
