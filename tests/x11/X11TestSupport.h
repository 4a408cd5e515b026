#pragma once

// What the X11 platform test needs around the backend: windows of known pixels shown by child
// processes, and independent readers of the screen (ImageMagick's import, xwininfo, xprop).

#include "CaptureJob.h"

#include <QImage>
#include <QList>
#include <QMargins>
#include <QRect>
#include <QString>
#include <QTest>

namespace velmora::x11test {

// Invisible shadow margins of the client-side decorated test window: left, right, top, bottom.
inline constexpr quint32 shadow[4] = {10, 20, 5, 15};

// The pixels a test window shows: different in every column and row, so an offset shows.
QImage pattern(QSize size, int seed);

// The child process's side: --window SEED X Y W H TITLE [KIND]. KIND "bypass" makes an
// override-redirect window, which no window manager restacks; "csd" an undecorated one that
// declares shadow margins as GTK does. Prints "ready <window id>" once it has painted.
int runWindow(int argc, char** argv);

// What an independent tool reads from the whole screen.
QImage importRoot();
// The client's true origin and size as xwininfo reports them.
QRect clientRect(quint32 window);
// The decorations the window manager put around the client.
QMargins frameExtents(quint32 window);

struct Outcome
{
    QList<QImage> images;
    QString error;
};
// Waits (up to 15 s) for a capture job to end.
Outcome await(CaptureJob* job);

// Pixels equal, ignoring alpha; on a difference, says where.
bool samePixels(const QImage& actual, const QImage& expected, QString* where);

} // namespace velmora::x11test

#define COMPARE_PIXELS(actual, expected)                                                                     \
    do {                                                                                                     \
        QString where;                                                                                       \
        QVERIFY2(velmora::x11test::samePixels((actual), (expected), &where), qPrintable(where));             \
    } while (false)
