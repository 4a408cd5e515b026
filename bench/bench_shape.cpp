// Prints how long the shape mask of a rounded window takes to compute, as it is recomputed on every
// resize while no compositor runs: the row-by-row region the program uses, and for comparison a
// region made from the outline's polygon. Figures only; nothing is asserted.

#include "BenchSupport.h"
#include "RoundedWindowShape.h"

#include <QGuiApplication>
#include <QPainterPath>

#include <cstdio>

using namespace velmora;
using namespace velmora::bench;

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    struct Case
    {
        const char* what;
        QSizeF size;
        qreal radius;
    };
    const Case cases[] = {
        {"pill 300x40, capsule", QSizeF(300, 40), 20},
        {"popover 220x300, radius 10", QSizeF(220, 300), 10},
        {"pinned 800x500, radius 8", QSizeF(800, 500), 8},
        {"pinned 2560x1440, radius 8", QSizeF(2560, 1440), 8},
    };
    const int runs = 51;
    for (const Case& c : cases) {
        QPainterPath path;
        path.addRoundedRect(QRectF(QPointF(), c.size), c.radius, c.radius);
        const double rowsMs = medianMs(runs, [&] { RoundedWindowShape::regionFor(path); });
        const double polygonMs =
            medianMs(runs, [&] { QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill); });
        std::printf("%-28s rows %.3f ms   polygon %.3f ms   (%d rectangles)\n", c.what, rowsMs, polygonMs,
                    int(RoundedWindowShape::regionFor(path).rectCount()));
    }
    return 0;
}
