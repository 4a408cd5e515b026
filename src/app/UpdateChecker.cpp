#include "UpdateChecker.h"

#include "preferences/SettingsStore.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QVersionNumber>

namespace velmora {

namespace {

// A feed is a few hundred bytes; anything much larger is not one.
constexpr qint64 maxFeedBytes = 64 * 1024;

} // namespace

UpdateChecker::UpdateChecker(SettingsStore& settings, QString currentVersion, QObject* parent)
    : QObject(parent), m_settings(settings), m_currentVersion(std::move(currentVersion))
{}

UpdateChecker::~UpdateChecker() = default;

QString UpdateChecker::feedKey()
{
    return QStringLiteral("updates.feedURL");
}

bool UpdateChecker::isNewer(const QString& candidate, const QString& current)
{
    return QVersionNumber::compare(QVersionNumber::fromString(candidate),
                                   QVersionNumber::fromString(current)) > 0;
}

void UpdateChecker::check(std::function<void(const Result&)> done)
{
    const QString feed = m_settings.string(feedKey()).value_or(QString()).trimmed();
    if (feed.isEmpty()) {
        done({Result::Kind::noFeed, QStringLiteral("Updates come from your package manager"), {}});
        return;
    }
    const QUrl url(feed);
    if (!url.isValid() || url.scheme().isEmpty()) {
        done({Result::Kind::failed, QStringLiteral("The update feed address is not valid"), {}});
        return;
    }
    // A new manager drops the reply of a check still running with the old one.
    m_network = std::make_unique<QNetworkAccessManager>();
    QNetworkRequest request(url);
    request.setTransferTimeout(15000);
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > maxFeedBytes) {
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, done = std::move(done)] {
        reply->deleteLater();
        if (reply->error() != QNetworkReply::NoError) {
            done({Result::Kind::failed,
                  QStringLiteral("Could not check for updates: %1").arg(reply->errorString()),
                  {}});
            return;
        }
        const QJsonObject feed = QJsonDocument::fromJson(reply->read(maxFeedBytes)).object();
        const QString version = feed.value(QStringLiteral("version")).toString().trimmed();
        if (QVersionNumber::fromString(version).isNull()) {
            done({Result::Kind::failed,
                  QStringLiteral("Could not check for updates: the feed names no version"),
                  {}});
            return;
        }
        if (!isNewer(version, m_currentVersion)) {
            done({Result::Kind::upToDate,
                  QStringLiteral("Velmora %1 is up to date").arg(m_currentVersion),
                  {}});
            return;
        }
        const QUrl page(feed.value(QStringLiteral("url")).toString());
        const bool webPage =
            page.scheme() == QLatin1String("https") || page.scheme() == QLatin1String("http");
        done({Result::Kind::available, QStringLiteral("Velmora %1 is available").arg(version),
              webPage ? page : QUrl()});
    });
}

} // namespace velmora
