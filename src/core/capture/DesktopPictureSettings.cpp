#include "DesktopPictureSettings.h"
#include "ConfigSyntax.h"

#include <QHash>
#include <QStringList>
#include <QUrl>
#include <QXmlStreamReader>

#include <algorithm>

namespace velmora {
namespace {

std::optional<DesktopPictureSource> sourceOfDesktop(const QString& desktop)
{
    const QString name = desktop.trimmed().toLower();
    if (name == u"gnome" || name.startsWith(u"gnome-") || name == u"unity" || name == u"budgie" ||
        name == u"pantheon") {
        return DesktopPictureSource::gnome;
    }
    if (name == u"x-cinnamon" || name == u"cinnamon") {
        return DesktopPictureSource::cinnamon;
    }
    if (name == u"mate") {
        return DesktopPictureSource::mate;
    }
    if (name == u"kde") {
        return DesktopPictureSource::plasma;
    }
    if (name == u"xfce") {
        return DesktopPictureSource::xfce;
    }
    return std::nullopt;
}

} // namespace

QList<DesktopPictureSource> desktopPictureSourceOrder(const QString& currentDesktop)
{
    QList<DesktopPictureSource> order;
    for (const QString& desktop : currentDesktop.split(u':', Qt::SkipEmptyParts)) {
        if (const auto source = sourceOfDesktop(desktop); source && !order.contains(*source)) {
            order.append(*source);
        }
    }
    using enum DesktopPictureSource;
    for (const DesktopPictureSource source : {plasma, xfce, feh, gnome, cinnamon, mate}) {
        if (!order.contains(source)) {
            order.append(source);
        }
    }
    return order;
}

std::optional<QString> parseGVariantString(const QString& text)
{
    QStringView rest = QStringView(text).trimmed();
    if (rest.startsWith(QLatin1String("@s"))) {
        rest = rest.mid(2).trimmed();
    }
    if (rest.size() < 2 || (rest[0] != u'\'' && rest[0] != u'"')) {
        return std::nullopt;
    }
    const QChar quote = rest[0];
    QString value;
    for (qsizetype i = 1; i < rest.size(); ++i) {
        const QChar c = rest[i];
        if (c == quote) {
            return rest.mid(i + 1).trimmed().isEmpty() ? std::optional<QString>(value) : std::nullopt;
        }
        if (c != u'\\') {
            value += c;
            continue;
        }
        if (++i == rest.size()) {
            break;
        }
        const QChar e = rest[i];
        if (e == u'u' || e == u'U') {
            const int digits = e == u'u' ? 4 : 8;
            bool ok = false;
            const uint code = rest.mid(i + 1, digits).toUInt(&ok, 16);
            if (!ok || rest.mid(i + 1, digits).size() != digits || code > 0x10FFFF) {
                return std::nullopt;
            }
            const char32_t point = code;
            value += QString::fromUcs4(&point, 1);
            i += digits;
            continue;
        }
        static const QHash<QChar, QChar> simple = {{u'a', u'\a'}, {u'b', u'\b'}, {u'f', u'\f'}, {u'n', u'\n'},
                                                   {u'r', u'\r'}, {u't', u'\t'}, {u'v', u'\v'}};
        value += simple.value(e, e);
    }
    return std::nullopt; // no closing quote
}

QString localPicturePath(const QString& uriOrPath)
{
    const QString text = uriOrPath.trimmed();
    if (text.startsWith(u'/')) {
        return text;
    }
    if (!text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        return {};
    }
    QUrl url(text);
    if (!url.isValid() || !url.isLocalFile()) {
        return {};
    }
    if (url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) {
        url.setHost(QString());
    }
    if (!url.host().isEmpty()) {
        return {}; // a file on another machine
    }
    const QString path = url.toLocalFile();
    return path.startsWith(u'/') ? path : QString();
}

QString gsettingsPicture(const QString& pictureUri, const QString& darkPictureUri, const QString& options,
                         const QString& colorScheme)
{
    if (parseGVariantString(options).value_or(QString()) == u"none") {
        return {};
    }
    if (parseGVariantString(colorScheme).value_or(QString()) == u"prefer-dark") {
        const QString dark = parseGVariantString(darkPictureUri).value_or(QString());
        if (!dark.isEmpty()) {
            return dark;
        }
    }
    return parseGVariantString(pictureUri).value_or(QString());
}

std::optional<int> plasmaScreenIndex(const QString& plasmashellrc, const QString& screenName)
{
    const QHash<QString, QString> connectors =
        parseKConfig(plasmashellrc).value(QStringLiteral("ScreenConnectors"));
    for (auto it = connectors.cbegin(); it != connectors.cend(); ++it) {
        bool ok = false;
        const int index = it.key().toInt(&ok);
        if (ok && !screenName.isEmpty() && it.value() == screenName) {
            return index;
        }
    }
    return std::nullopt;
}

QString plasmaPicture(const QString& appletsrc, int screenIndex)
{
    const KConfigGroups groups = parseKConfig(appletsrc);
    QList<int> containments;
    for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
        const QStringList path = it.key().split(kPartSeparator);
        bool ok = false;
        const int id = path.size() == 2 && path[0] == u"Containments" ? path[1].toInt(&ok) : 0;
        const QString plugin = it.value().value(QStringLiteral("wallpaperplugin"));
        if (ok && it.value().value(QStringLiteral("lastScreen")).toInt(&ok) == screenIndex && ok &&
            (plugin.isEmpty() || plugin == u"org.kde.image")) {
            containments.append(id);
        }
    }
    // Several activities each have a containment per screen; the lowest number is the oldest.
    std::sort(containments.begin(), containments.end());
    for (const int id : containments) {
        const QStringList path = {QStringLiteral("Containments"), QString::number(id),
                                  QStringLiteral("Wallpaper"), QStringLiteral("org.kde.image"),
                                  QStringLiteral("General")};
        const QString image = groups.value(path.join(kPartSeparator)).value(QStringLiteral("Image"));
        if (!image.isEmpty()) {
            return image;
        }
    }
    return {};
}

QString xfcePicture(const QString& channelXml, const QString& monitorName)
{
    struct Monitor
    {
        QString name;
        QString image;
        bool none = false;
    };
    QList<Monitor> monitors;
    QStringList path;
    QXmlStreamReader xml(channelXml);
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"property" && !path.isEmpty()) {
            path.removeLast();
        }
        if (token != QXmlStreamReader::StartElement || xml.name() != u"property") {
            continue;
        }
        path.append(xml.attributes().value(QLatin1String("name")).toString());
        if (path.size() != 5 || path[0] != u"backdrop" || path[1] != u"screen0" ||
            !path[2].startsWith(u"monitor") || path[3] != u"workspace0") {
            continue;
        }
        const QString name = path[2].mid(int(qstrlen("monitor")));
        auto monitor =
            std::find_if(monitors.begin(), monitors.end(), [&](const Monitor& m) { return m.name == name; });
        if (monitor == monitors.end()) {
            monitor = monitors.insert(monitors.end(), Monitor{name, {}, false});
        }
        const QString value = xml.attributes().value(QLatin1String("value")).toString();
        if (path[4] == u"last-image") {
            monitor->image = value;
        } else if (path[4] == u"image-style") {
            monitor->none = value.trimmed() == u"0";
        }
    }
    if (xml.hasError()) {
        return {};
    }
    const auto named = std::find_if(monitors.cbegin(), monitors.cend(), [&](const Monitor& m) {
        return m.name == monitorName && !m.image.isEmpty();
    });
    const auto first =
        std::find_if(monitors.cbegin(), monitors.cend(), [](const Monitor& m) { return !m.image.isEmpty(); });
    const auto chosen = named != monitors.cend() ? named : first;
    return chosen == monitors.cend() || chosen->none ? QString() : chosen->image;
}

QString fehPicture(const QString& fehbg)
{
    for (const QString& line : fehbg.split(u'\n')) {
        if (line.trimmed().startsWith(u'#')) {
            continue;
        }
        const QList<ShellWord> words = shellWords(line);
        const auto command = std::find_if(words.cbegin(), words.cend(), [](const ShellWord& w) {
            return !w.quoted && (w.text == u"feh" || w.text.endsWith(QLatin1String("/feh")));
        });
        const auto option = std::find_if(command, words.cend(), [](const ShellWord& w) {
            return w.text.startsWith(QLatin1String("--bg-"));
        });
        QString last;
        for (auto it = option; it != words.cend(); ++it) {
            if (it->quoted && !it->text.isEmpty()) {
                last = it->text;
            }
        }
        if (command != words.cend() && option != words.cend() && !last.isEmpty()) {
            return last;
        }
    }
    return {};
}

} // namespace velmora
