#include "DesktopPictureReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace velmora {
namespace {

// gsettings answers in a few milliseconds; a hung session bus must not hold up a capture.
constexpr int kGsettingsTimeoutMs = 1500;
// Settings files are small; anything larger is not one of them.
constexpr qint64 kMaxSettingsFileBytes = 4 * 1024 * 1024;

QString readSmallFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxSettingsFileBytes) {
        return {};
    }
    return QString::fromUtf8(file.read(kMaxSettingsFileBytes));
}

std::optional<QString> runGsettings(const QString& program, const QString& schema, const QString& key)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, {QStringLiteral("get"), schema, key});
    if (!process.waitForFinished(kGsettingsTimeoutMs)) {
        process.kill();
        process.waitForFinished(kGsettingsTimeoutMs);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return std::nullopt;
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

struct GsettingsKeys
{
    const char* schema;
    const char* picture;
    const char* darkPicture; // null: the desktop has no dark variant
};

GsettingsKeys keysOf(DesktopPictureSource source)
{
    switch (source) {
    case DesktopPictureSource::cinnamon:
        return {"org.cinnamon.desktop.background", "picture-uri", nullptr};
    case DesktopPictureSource::mate:
        return {"org.mate.background", "picture-filename", nullptr};
    default:
        return {"org.gnome.desktop.background", "picture-uri", "picture-uri-dark"};
    }
}

QString gsettingsSource(DesktopPictureSource source, const DesktopPictureEnvironment& environment)
{
    if (!environment.gsettings) {
        return {};
    }
    const GsettingsKeys keys = keysOf(source);
    const QString schema = QLatin1String(keys.schema);
    const auto get = [&](const QString& s, const char* key) {
        return environment.gsettings(s, QLatin1String(key)).value_or(QString());
    };
    const QString picture = get(schema, keys.picture);
    if (picture.isEmpty()) {
        return {}; // schema not installed or gsettings unavailable: ask nothing more
    }
    const QString options = get(schema, "picture-options");
    if (!keys.darkPicture) {
        return gsettingsPicture(picture, QString(), options, QString());
    }
    const QString scheme = get(QStringLiteral("org.gnome.desktop.interface"), "color-scheme");
    const QString dark =
        scheme.contains(QLatin1String("prefer-dark")) ? get(schema, keys.darkPicture) : QString();
    return gsettingsPicture(picture, dark, options, scheme);
}

// Plasma's own wallpapers are packages: a folder with contents/images/<width>x<height>.<ext>. The
// desktop shows the smallest that covers the screen's pixels, else the largest.
QString plasmaPackageImage(const QString& folder, const QSize& screenPixels)
{
    static const QRegularExpression sizeName(QStringLiteral("^(\\d{1,5})x(\\d{1,5})\\.[A-Za-z]+$"));
    QString covering;
    qint64 coveringArea = 0;
    QString largest;
    qint64 largestArea = 0;
    const QFileInfoList entries =
        QDir(QDir::cleanPath(folder + QStringLiteral("/contents/images"))).entryInfoList(QDir::Files);
    for (const QFileInfo& entry : entries) {
        const QRegularExpressionMatch match = sizeName.match(entry.fileName());
        if (!match.hasMatch()) {
            continue;
        }
        const QSize size(match.captured(1).toInt(), match.captured(2).toInt());
        const qint64 area = qint64(size.width()) * size.height();
        if (area > largestArea) {
            largest = entry.filePath();
            largestArea = area;
        }
        if (size.width() >= screenPixels.width() && size.height() >= screenPixels.height() &&
            (covering.isEmpty() || area < coveringArea)) {
            covering = entry.filePath();
            coveringArea = area;
        }
    }
    return covering.isEmpty() ? largest : covering;
}

QString plasmaSource(const DesktopPictureEnvironment& environment, const ScreenGeometry& screen)
{
    const QString appletsrc =
        readSmallFile(environment.configHome + QStringLiteral("/plasma-org.kde.plasma.desktop-appletsrc"));
    if (appletsrc.isEmpty()) {
        return {};
    }
    // Without a connector list (a single screen, an older Plasma) the first screen is 0.
    const int index =
        plasmaScreenIndex(readSmallFile(environment.configHome + QStringLiteral("/plasmashellrc")),
                          screen.name)
            .value_or(0);
    const QString named = plasmaPicture(appletsrc, index);
    const QString path = localPicturePath(named);
    return !path.isEmpty() && QFileInfo(path).isDir() ? plasmaPackageImage(path, screen.nativeRect().size())
                                                      : named;
}

} // namespace

DesktopPictureEnvironment DesktopPictureEnvironment::system()
{
    DesktopPictureEnvironment environment;
    environment.currentDesktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    environment.home = QDir::homePath();
    environment.configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!environment.configHome.startsWith(u'/')) {
        environment.configHome = environment.home + QStringLiteral("/.config");
    }
    const QString program = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    if (!program.isEmpty()) {
        environment.gsettings = [program](const QString& schema, const QString& key) {
            return runGsettings(program, schema, key);
        };
    }
    return environment;
}

QString desktopPictureNamedBy(DesktopPictureSource source, const DesktopPictureEnvironment& environment,
                              const ScreenGeometry& screen)
{
    switch (source) {
    case DesktopPictureSource::gnome:
    case DesktopPictureSource::cinnamon:
    case DesktopPictureSource::mate:
        return gsettingsSource(source, environment);
    case DesktopPictureSource::plasma:
        return plasmaSource(environment, screen);
    case DesktopPictureSource::xfce:
        return xfcePicture(
            readSmallFile(environment.configHome +
                          QStringLiteral("/xfce4/xfconf/xfce-perchannel-xml/xfce4-desktop.xml")),
            screen.name);
    case DesktopPictureSource::feh:
        return fehPicture(readSmallFile(environment.home + QStringLiteral("/.fehbg")));
    }
    return {};
}

QString desktopPictureFile(const DesktopPictureEnvironment& environment, const ScreenGeometry& screen)
{
    for (const DesktopPictureSource source : desktopPictureSourceOrder(environment.currentDesktop)) {
        const QString path = localPicturePath(desktopPictureNamedBy(source, environment, screen));
        if (!path.isEmpty() && QFileInfo(path).isFile()) {
            return path;
        }
    }
    return {};
}

} // namespace velmora
