// The page for the scrolling capture's end-to-end test, and the check of its result.
//
//   scroll_page --show PAGE.png GEOMETRY.txt   writes the page, shows it in a scrolling window and
//                                              writes the viewport's screen rectangle "X Y W H"
//   scroll_page --check OUT.png PAGE.png       exit 0 when OUT is a contiguous run of the page's
//                                              rows, from near its top to near its end
//
// Every row of the page differs from every other (noise in 4-pixel cells), so a row found in the
// result names its place in the page unambiguously, and a row lost or doubled breaks the run.

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

constexpr int pageWidth = 480;
constexpr int pageHeight = 2400;
// Rows the test may lose at each end: the picked region lies a few pixels inside the viewport.
constexpr int endSlack = 24;

QImage makePage()
{
    QImage page(pageWidth, pageHeight, QImage::Format_RGB32);
    QRandomGenerator random(20261206);
    for (int y = 0; y < pageHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(page.scanLine(y));
        // Horizontal bands of changing hue, so that a person looking at it sees it move.
        const int band = (y / 120) % 6;
        for (int x = 0; x < pageWidth; x += 4) {
            const int shade = int(random.bounded(90));
            const QRgb colour =
                qRgb(60 + shade + band * 20, 80 + (shade * 7) % 90, 200 - band * 25 + shade / 3);
            std::fill(line + x, line + x + 4, colour);
        }
    }
    return page;
}

bool sameRow(const QImage& a, int ay, int ax, const QImage& b, int by, int width)
{
    return std::memcmp(a.constScanLine(ay) + ax * 4, b.constScanLine(by), std::size_t(width) * 4) == 0;
}

int check(const QString& outPath, const QString& pagePath)
{
    const QImage out = QImage(outPath).convertToFormat(QImage::Format_RGB32);
    const QImage page = QImage(pagePath).convertToFormat(QImage::Format_RGB32);
    if (out.isNull() || page.isNull() || out.width() > page.width()) {
        std::fprintf(stderr, "cannot read %s or %s, or the result is wider than the page\n",
                     qPrintable(outPath), qPrintable(pagePath));
        return 1;
    }
    // Where the result's first row lies in the page: its column offset and row.
    std::optional<std::pair<int, int>> start;
    for (int x = 0; x + out.width() <= page.width() && !start; ++x) {
        for (int y = 0; y < page.height(); ++y) {
            if (sameRow(page, y, x, out, 0, out.width())) {
                start = std::pair(x, y);
                break;
            }
        }
    }
    if (!start) {
        std::fprintf(stderr, "the result's first row is nowhere in the page\n");
        return 1;
    }
    const auto [left, top] = *start;
    for (int y = 0; y < out.height(); ++y) {
        if (top + y >= page.height() || !sameRow(page, top + y, left, out, y, out.width())) {
            std::fprintf(stderr, "row %d of the result is not page row %d (the run starts at page row %d)\n",
                         y, top + y, top);
            return 1;
        }
    }
    const int bottom = top + out.height();
    std::printf("result: page rows %d to %d of %d, columns from %d\n", top, bottom, page.height(), left);
    if (top > endSlack || bottom < page.height() - endSlack) {
        std::fprintf(stderr, "the result does not span the page from top to end\n");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--check") == 0) {
        QGuiApplication app(argc, argv);
        return check(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    if (argc != 4 || std::strcmp(argv[1], "--show") != 0) {
        std::fprintf(stderr, "usage: scroll_page --show PAGE.png GEOMETRY.txt | --check OUT.png PAGE.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QImage page = makePage();
    if (!page.save(QString::fromLocal8Bit(argv[2]))) {
        return 2;
    }
    QScrollArea area;
    area.setWindowTitle(QStringLiteral("scroll page"));
    area.setFrameShape(QFrame::NoFrame);
    area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* label = new QLabel;
    label->setPixmap(QPixmap::fromImage(page));
    label->setFixedSize(page.size());
    area.setWidget(label);
    // Three 20-pixel steps a wheel click: many small moves, as in a browser.
    area.verticalScrollBar()->setSingleStep(20);
    area.resize(pageWidth + area.verticalScrollBar()->sizeHint().width(), 420);
    area.move(200, 150);
    area.show();
    const QString geometryPath = QString::fromLocal8Bit(argv[3]);
    // Once the window manager has placed the window, say where the page shows.
    QTimer::singleShot(700, &area, [&area, geometryPath] {
        QWidget* viewport = area.viewport();
        const QPoint origin = viewport->mapToGlobal(QPoint(0, 0));
        QFile file(geometryPath);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QStringLiteral("%1 %2 %3 %4\n")
                           .arg(origin.x())
                           .arg(origin.y())
                           .arg(viewport->width())
                           .arg(viewport->height())
                           .toUtf8());
        }
    });
    return app.exec();
}
