// Prints how long the desktop picture behind a capture takes to render from a 5K picture: the
// renderer as the program uses it, and for comparison the picture scaled whole with averaging and
// then cut, which is what a straightforward version would do. Figures only; nothing is asserted.

#include "BenchSupport.h"
#include "capture/WallpaperRender.h"

#include <QGuiApplication>
#include <QPainter>

#include <cstdio>

using namespace velmora;
using namespace velmora::bench;

namespace {

// The picture scaled whole to its size on the output, then the output's part copied out.
QImage scaleWholeThenCut(const QImage& picture, const ScreenGeometry& screen, const QRectF& crop,
                         const QSizeF& output)
{
    const qreal s = screen.devicePixelRatio;
    const QSizeF screenSize(screen.geometry.size());
    const qreal f = std::max(screenSize.width() / picture.width(), screenSize.height() / picture.height());
    const QSizeF placed = QSizeF(picture.size()) * f;
    const QPointF origin((screenSize.width() - placed.width()) / 2,
                         (screenSize.height() - placed.height()) / 2);
    const qreal kx = output.width() / crop.width() * s;
    const qreal ky = output.height() / crop.height() * s;
    const QImage scaled = picture.scaled(QSize(qRound(placed.width() * kx), qRound(placed.height() * ky)),
                                         Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return scaled.copy(QRect(qRound((crop.left() - origin.x()) * kx), qRound((crop.top() - origin.y()) * ky),
                             qRound(output.width() * s), qRound(output.height() * s)));
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QImage picture = uiContent(5120, 2880);
    // A 2560 × 1440 screen at density 2 shows the picture pixel for pixel.
    const ScreenGeometry screen{QRect(0, 0, 2560, 1440), 2.0, QStringLiteral("DP-1")};
    struct Case
    {
        const char* what;
        QRectF crop;
        QSizeF output;
    };
    const Case cases[] = {
        {"window behind, 1:1 (750x500 pt)", QRectF(600, 400, 750, 500), QSizeF(750, 500)},
        {"window behind, halved (1500x1000 pt)", QRectF(400, 300, 1500, 1000), QSizeF(750, 500)},
        {"whole screen reduced", QRectF(0, 0, 2560, 1440), QSizeF(750, 422)},
    };
    const int runs = 9;
    std::printf("5120x2880 picture, 2560x1440 screen at density 2, output ~1500x1000 pixels\n");
    for (const Case& c : cases) {
        const double renderMs =
            medianMs(runs, [&] { renderWallpaperImage(picture, screen, c.crop, c.output); });
        const double wholeMs = medianMs(runs, [&] { scaleWholeThenCut(picture, screen, c.crop, c.output); });
        std::printf("  %-40s render %7.1f ms   scale whole then cut %7.1f ms\n", c.what, renderMs, wholeMs);
    }
    return 0;
}
