#include "ConfigSyntax.h"

namespace velmora {
namespace {

QString unescapeKConfigValue(QStringView value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            result += value[i];
            continue;
        }
        const QChar next = value[++i];
        result += next == u's'   ? QChar(u' ')
                  : next == u't' ? QChar(u'\t')
                  : next == u'n' ? QChar(u'\n')
                  : next == u'r' ? QChar(u'\r')
                                 : next;
    }
    return result;
}

} // namespace

KConfigGroups parseKConfig(const QString& text)
{
    KConfigGroups groups;
    QString group;
    for (const QString& rawLine : text.split(u'\n')) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        if (line.startsWith(u'[')) {
            QStringList parts;
            qsizetype at = 0;
            while (at < line.size() && line[at] == u'[') {
                const qsizetype close = line.indexOf(u']', at);
                if (close < 0) {
                    break;
                }
                parts.append(line.mid(at + 1, close - at - 1));
                at = close + 1;
            }
            group = parts.join(kPartSeparator);
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0) {
            continue;
        }
        QString key = line.left(equals).trimmed();
        // Flags such as Image[$e]= (expand variables) do not change which key it is.
        if (const qsizetype flags = key.indexOf(QLatin1String("[$")); flags > 0) {
            key.truncate(flags);
        }
        groups[group].insert(key, unescapeKConfigValue(QStringView(line).mid(equals + 1).trimmed()));
    }
    return groups;
}

QList<ShellWord> shellWords(const QString& line)
{
    QList<ShellWord> words;
    ShellWord word;
    bool inWord = false;
    QChar quote;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (!quote.isNull()) {
            if (c == quote) {
                quote = QChar();
            } else if (quote == u'"' && c == u'\\' && i + 1 < line.size()) {
                word.text += line[++i];
            } else {
                word.text += c;
            }
        } else if (c == u'\'' || c == u'"') {
            quote = c;
            word.quoted = inWord = true;
        } else if (c == u'\\' && i + 1 < line.size()) {
            word.text += line[++i];
            inWord = true;
        } else if (c.isSpace() || c == u';') {
            if (inWord) {
                words.append(word);
            }
            word = {};
            inWord = false;
        } else {
            word.text += c;
            inWord = true;
        }
    }
    if (inWord && quote.isNull()) {
        words.append(word);
    }
    return words;
}

} // namespace velmora
