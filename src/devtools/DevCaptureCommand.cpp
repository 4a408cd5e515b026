#include "DevCaptureCommand.h"

#include "DevScrollCommand.h"
#include "ScreenCapture.h"
#include "capture/CountdownOverlay.h"
#include "capture/FullScreenOverlay.h"
#include "capture/HexColor.h"
#include "capture/RegionPicker.h"
#include "capture/RegionPickerOverlay.h"
#include "capture/WindowPicker.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QTextStream>

namespace velmora {

namespace {

class ListedWindows : public WindowList
{
public:
    QList<WindowInfo> visibleWindows() const override { return windows; }
    QList<WindowInfo> windows;
};

std::optional<WindowInfo> parseWindow(const QString& text, quint32 id)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() < 4) {
        return std::nullopt;
    }
    WindowInfo window;
    window.windowID = id;
    window.frame = QRect(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt());
    window.ownerName = parts.mid(4).join(QLatin1Char(','));
    return window;
}

QList<QImage> grabScreens()
{
    QList<QImage> frozen;
    for (QScreen* screen : QGuiApplication::screens()) {
        QImage image = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(screen->devicePixelRatio());
        frozen << image;
    }
    return frozen;
}

// The framing overlay with a key to lock it, as the scrolling capture drives it.
class EditOverlay : public RegionPickerOverlay
{
public:
    using RegionPickerOverlay::RegionPickerOverlay;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_L) {
            m_locked = !m_locked;
            setLocked(m_locked);
            setCountdown(m_locked ? std::optional<int>(3) : std::nullopt);
            return;
        }
        RegionPickerOverlay::keyPressEvent(event);
    }

private:
    bool m_locked = false;
};

} // namespace

int runDevCapture(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("mode"),
                                 QStringLiteral("region, color, window, edit, countdown, scroll or stream"));
    parser.addOption(
        {QStringLiteral("window"), QStringLiteral("A fake window: X,Y,W,H,OWNER."), QStringLiteral("w")});
    parser.addOption({QStringLiteral("out"), QStringLiteral("Where a pick is written."),
                      QStringLiteral("file"), QStringLiteral("velmora-dev-capture.png")});
    parser.addOption({QStringLiteral("seconds"), QStringLiteral("Countdown length."), QStringLiteral("s"),
                      QStringLiteral("3")});
    parser.addOption({QStringLiteral("geometry"), QStringLiteral("The rectangle to scroll or stream."),
                      QStringLiteral("WxH+X+Y")});
    parser.addOption({QStringLiteral("rate"), QStringLiteral("Grabs a second of the stream."),
                      QStringLiteral("n"), QStringLiteral("12")});
    parser.addHelpOption();
    parser.process(arguments);
    const QString mode = parser.positionalArguments().value(0);
    if (mode == QLatin1String("scroll") || mode == QLatin1String("stream")) {
        static const QRegularExpression geometry(QStringLiteral("^(\\d+)x(\\d+)\\+(\\d+)\\+(\\d+)$"));
        const auto match = geometry.match(parser.value(QStringLiteral("geometry")));
        if (!match.hasMatch()) {
            QTextStream(stderr) << "--geometry WxH+X+Y is needed" << Qt::endl;
            return 2;
        }
        const QRect native(match.captured(3).toInt(), match.captured(4).toInt(), match.captured(1).toInt(),
                           match.captured(2).toInt());
        const double seconds = parser.value(QStringLiteral("seconds")).toDouble();
        return mode == QLatin1String("scroll")
                   ? runDevScroll(native, parser.value(QStringLiteral("out")), seconds)
                   : runDevStream(native, seconds, parser.value(QStringLiteral("rate")).toInt());
    }
    QTextStream out(stdout);
    const ScreenLayout layout = ScreenLayout::current();
    int status = 1;

    auto savePick = [&](const QImage& crop, int screenIndex, const QRect& native) {
        crop.save(parser.value(QStringLiteral("out")));
        const QColor centre = crop.pixelColor(crop.width() / 2, crop.height() / 2);
        out << "picked screen " << screenIndex << " native " << native.x() << ',' << native.y() << ' '
            << native.width() << 'x' << native.height() << " centre " << formatHexColor(centre.rgb())
            << Qt::endl;
        status = 0;
        QCoreApplication::quit();
    };
    auto cancelled = [&] {
        out << "cancelled" << Qt::endl;
        QCoreApplication::quit();
    };

    std::unique_ptr<QObject> running;
    ListedWindows windows;
    if (mode == QLatin1String("region") || mode == QLatin1String("color")) {
        auto* picker = new RegionPicker(mode == QLatin1String("color") ? RegionPicker::Mode::color
                                                                       : RegionPicker::Mode::region,
                                        layout, grabScreens());
        running.reset(picker);
        QObject::connect(picker, &RegionPicker::picked, savePick);
        QObject::connect(picker, &RegionPicker::cancelled, cancelled);
        picker->show();
    } else if (mode == QLatin1String("window")) {
        for (const QString& text : parser.values(QStringLiteral("window"))) {
            if (const auto window = parseWindow(text, quint32(windows.windows.size() + 1))) {
                windows.windows << *window;
            }
        }
        auto* picker = new WindowPicker(windows, layout, grabScreens());
        running.reset(picker);
        QObject::connect(picker, &WindowPicker::picked, [&](quint32 id) {
            out << "picked window " << id << Qt::endl;
            status = 0;
            QCoreApplication::quit();
        });
        QObject::connect(picker, &WindowPicker::cancelled, cancelled);
        picker->show();
    } else if (mode == QLatin1String("edit")) {
        auto* overlay = new EditOverlay(RegionPickerOverlay::Behaviour::editRegion, layout.screens().value(0),
                                        grabScreens().value(0));
        running.reset(overlay);
        QObject::connect(overlay, &RegionPickerOverlay::regionChanged, [&](const QRectF& r) {
            out << "region " << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height() << Qt::endl;
        });
        QObject::connect(overlay, &RegionPickerOverlay::regionFirstSelected, [&](const QRectF& r) {
            out << "first region " << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height()
                << Qt::endl;
        });
        QObject::connect(overlay, &RegionPickerOverlay::cancelled, cancelled);
        showFullScreenOverlay(overlay, true, true);
    } else if (mode == QLatin1String("countdown")) {
        auto* countdown = new CountdownOverlay(QGuiApplication::primaryScreen());
        running.reset(countdown);
        QObject::connect(countdown, &CountdownOverlay::finished, [&] {
            out << "finished" << Qt::endl;
            status = 0;
            QCoreApplication::quit();
        });
        countdown->start(parser.value(QStringLiteral("seconds")).toDouble());
    } else {
        QTextStream(stderr) << parser.helpText();
        return 2;
    }
    QCoreApplication::exec();
    return status;
}

} // namespace velmora
