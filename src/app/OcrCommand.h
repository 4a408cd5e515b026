#pragma once

#include <QStringList>

namespace velmora {

// `velmora ocr IMAGE`: prints the text recognised in an image file, one line per line of text in
// reading order. Returns the exit status: 0 when text was printed, 1 when the image holds none (or
// recognition is unavailable), 2 when the arguments are wrong or the file cannot be read (one line
// on stderr says which). `arguments` starts with the program and "ocr".
int runOcr(const QStringList& arguments);

} // namespace velmora
