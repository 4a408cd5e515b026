#include "X11TestSupport.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QRegularExpression>
#include <QTimer>

#include <xcb/xcb.h>

#include <cstdio>

namespace velmora::x11test {

namespace {

class PatternWindow : public QRasterWindow
{
public:
    explicit PatternWindow(int seed) : m_seed(seed) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).drawImage(0, 0, pattern(size(), m_seed));
        if (!m_announced) {
            m_announced = true;
            std::printf("ready %llu\n", static_cast<unsigned long long>(winId()));
            std::fflush(stdout);
        }
    }

private:
    int m_seed;
    bool m_announced = false;
};

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

} // namespace

// The pixels a test window shows: different in every column and row, so an offset shows.
QImage pattern(QSize size, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(
                x, y,
                qRgb((x * 3 + seed * 40) & 255, (y * 5 + seed * 80) & 255, ((x ^ y) + seed * 16) & 255));
        }
    }
    return image;
}

// --window SEED X Y W H TITLE [KIND]: KIND "bypass" makes an override-redirect window, which no
// window manager restacks; "csd" an undecorated one that declares shadow margins as GTK does.
int runWindow(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("VelmoraTestHelper"));
    PatternWindow window(QByteArray(argv[2]).toInt());
    window.setGeometry(QByteArray(argv[3]).toInt(), QByteArray(argv[4]).toInt(), QByteArray(argv[5]).toInt(),
                       QByteArray(argv[6]).toInt());
    window.setTitle(QString::fromUtf8(argv[7]));
    const QByteArray kind = argc > 8 ? QByteArray(argv[8]) : QByteArray();
    if (kind == "bypass") {
        window.setFlags(Qt::Window | Qt::BypassWindowManagerHint);
    } else if (kind == "csd") {
        window.setFlags(Qt::Window | Qt::FramelessWindowHint);
        window.create();
        xcb_connection_t* x = xcb_connect(nullptr, nullptr);
        const char name[] = "_GTK_FRAME_EXTENTS";
        auto* atom = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, sizeof(name) - 1, name), nullptr);
        xcb_change_property(x, XCB_PROP_MODE_REPLACE, xcb_window_t(window.winId()), atom->atom,
                            XCB_ATOM_CARDINAL, 32, 4, shadow);
        std::free(atom);
        std::free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
        xcb_disconnect(x);
    }
    window.show();
    return app.exec();
}

// What an independent tool reads from the screen.
QImage importRoot()
{
    QProcess process;
    process.start(QStringLiteral("import"),
                  {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")});
    process.waitForFinished(20000);
    return QImage::fromData(process.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

// The client's true origin as xwininfo reports it.
QRect clientRect(quint32 window)
{
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    const auto number = [&](const char* label) {
        return QRegularExpression(QString::fromLatin1(label) + QStringLiteral(":\\s+(-?\\d+)"))
            .match(info)
            .captured(1)
            .toInt();
    };
    return QRect(number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"),
                 number("Height"));
}

// The decorations openbox put around the client: left, right, top, bottom.
QMargins frameExtents(quint32 window)
{
    const QString value = run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window),
                                                        QStringLiteral("_NET_FRAME_EXTENTS")});
    const QStringList parts = value.section(QLatin1Char('='), 1).split(QLatin1Char(','));
    if (parts.size() != 4) {
        return {};
    }
    return QMargins(parts[0].trimmed().toInt(), parts[2].trimmed().toInt(), parts[1].trimmed().toInt(),
                    parts[3].trimmed().toInt());
}

Outcome await(CaptureJob* job)
{
    Outcome outcome;
    QEventLoop loop;
    QObject::connect(job, &CaptureJob::done, &loop, [&] {
        outcome.images = job->images();
        loop.quit();
    });
    QObject::connect(job, &CaptureJob::failed, &loop, [&](const QString& message) {
        outcome.error = message;
        loop.quit();
    });
    QTimer::singleShot(15000, &loop, &QEventLoop::quit);
    loop.exec();
    return outcome;
}

// Pixels equal, ignoring alpha; on a difference, says where.
bool samePixels(const QImage& actual, const QImage& expected, QString* where)
{
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage b = expected.convertToFormat(QImage::Format_RGB32);
    if (a.size() != b.size()) {
        *where = QStringLiteral("size %1x%2, expected %3x%4")
                     .arg(a.width())
                     .arg(a.height())
                     .arg(b.width())
                     .arg(b.height());
        return false;
    }
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                *where = QStringLiteral("pixel (%1, %2): %3, expected %4")
                             .arg(x)
                             .arg(y)
                             .arg(a.pixel(x, y), 8, 16)
                             .arg(b.pixel(x, y), 8, 16);
                return false;
            }
        }
    }
    return true;
}

} // namespace velmora::x11test
