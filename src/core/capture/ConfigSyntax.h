#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace velmora {

// The small text formats that desktops keep their settings in, read leniently: a malformed line is
// skipped, never an error.

// KConfig files (Plasma): groups named by a path of bracketed parts ([Containments][1][Wallpaper]…)
// holding key=value lines. A group's parts are joined with kPartSeparator, which no part contains;
// key flags such as [$e] are dropped and value escapes (\s, \t, \n, \r, \\) decoded.
constexpr QChar kPartSeparator = QChar(0x1F);
using KConfigGroups = QHash<QString, QHash<QString, QString>>;
KConfigGroups parseKConfig(const QString& text);

// A shell command line split into words as sh would (single and double quotes, backslashes;
// `;` ends a word), each marked when some of it was quoted. An unterminated quote drops its word.
struct ShellWord
{
    QString text;
    bool quoted = false;
};
QList<ShellWord> shellWords(const QString& line);

} // namespace velmora
