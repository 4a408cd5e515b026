#include "capture/DesktopPictureSettings.h"

#include <QTest>

using namespace velmora;

class TestDesktopPictureSettings : public QObject
{
    Q_OBJECT

private slots:
    void gvariantString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("expected");

        QTest::newRow("uri") << "'file:///home/u/My%20Pic.jpg'\n" << true << "file:///home/u/My%20Pic.jpg";
        QTest::newRow("double quotes") << "\"it's\"" << true << "it's";
        QTest::newRow("escaped quote") << R"('it\'s')" << true << "it's";
        QTest::newRow("escaped backslash") << R"('a\\b')" << true << R"(a\b)";
        QTest::newRow("control escapes") << R"('a\tb\nc')" << true << "a\tb\nc";
        QTest::newRow("unicode") << R"('caf\u00e9 \U0001F600')" << true << QString::fromUtf8("café 😀");
        QTest::newRow("typed") << "@s 'x'" << true << "x";
        QTest::newRow("empty string") << "''" << true << "";
        QTest::newRow("not a string") << "@as []" << false << "";
        QTest::newRow("unterminated") << "'abc" << false << "";
        QTest::newRow("trailing escape") << R"('abc\)" << false << "";
        QTest::newRow("short unicode") << R"('\u00')" << false << "";
        QTest::newRow("text after") << "'a' 'b'" << false << "";
        QTest::newRow("nothing") << "" << false << "";
    }
    void gvariantString()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QString, expected);
        const std::optional<QString> parsed = parseGVariantString(text);
        QCOMPARE(parsed.has_value(), valid);
        QCOMPARE(parsed.value_or(QString()), expected);
    }

    void localPath_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QString& text, const QString& expected) {
            QTest::newRow(name) << text << expected;
        };
        row("file url", "file:///home/u/My%20Pic.jpg", "/home/u/My Pic.jpg");
        row("localhost", "file://localhost/home/u/a.png", "/home/u/a.png");
        row("plain path kept", "/home/u/100%20.png", "/home/u/100%20.png");
        row("other host", "file://server/share/a.png", "");
        row("other scheme", "https://example.org/a.png", "");
        row("relative", "pictures/a.png", "");
        row("empty", "", "");
    }
    void localPath()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(localPicturePath(text), expected);
    }

    void sourceOrder_data()
    {
        using enum DesktopPictureSource;
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QList<int>>("expected");
        const auto order = [](std::initializer_list<DesktopPictureSource> sources) {
            QList<int> list;
            for (const DesktopPictureSource source : sources) {
                list.append(int(source));
            }
            return list;
        };
        QTest::newRow("gnome") << "ubuntu:GNOME" << order({gnome, plasma, xfce, feh, cinnamon, mate});
        QTest::newRow("cinnamon") << "X-Cinnamon" << order({cinnamon, plasma, xfce, feh, gnome, mate});
        QTest::newRow("plasma") << "KDE" << order({plasma, xfce, feh, gnome, cinnamon, mate});
        QTest::newRow("window manager") << "openbox" << order({plasma, xfce, feh, gnome, cinnamon, mate});
        QTest::newRow("two named") << "XFCE:MATE:xfce" << order({xfce, mate, plasma, feh, gnome, cinnamon});
    }
    void sourceOrder()
    {
        QFETCH(QString, desktop);
        QFETCH(QList<int>, expected);
        QList<int> order;
        for (const DesktopPictureSource source : desktopPictureSourceOrder(desktop)) {
            order.append(int(source));
        }
        QCOMPARE(order, expected);
    }

    void fehLine_data()
    {
        QTest::addColumn<QString>("fehbg");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QString& fehbg, const QString& expected) {
            QTest::newRow(name) << fehbg << expected;
        };
        row("one picture", "#!/bin/sh\nfeh --no-fehbg --bg-fill '/p/a b.jpg' \n", "/p/a b.jpg");
        row("one per monitor, the last", "feh --bg-scale '/p/a.jpg' '/p/b.jpg'", "/p/b.jpg");
        row("quote inside", R"(feh --bg-max '/p/it'\''s.jpg')", "/p/it's.jpg");
        row("program path, double quotes", "/usr/bin/feh --bg-tile \"/p/\\\"x\\\".png\";", "/p/\"x\".png");
        row("commented out", "# feh --bg-fill '/p/old.jpg'\n", "");
        row("no background option", "feh '/p/a.jpg'", "");
        row("unquoted", "feh --bg-fill /p/a.jpg", "");
        row("another program", "xsetroot --bg-fill '/p/a.jpg'", "");
    }
    void fehLine()
    {
        QFETCH(QString, fehbg);
        QFETCH(QString, expected);
        QCOMPARE(fehPicture(fehbg), expected);
    }

    void plasmaValues()
    {
        const QString appletsrc =
            QStringLiteral("[Containments][4]\nlastScreen = 2\nwallpaperplugin=org.kde.slideshow\n"
                           "[Containments][4][Wallpaper][org.kde.image][General]\nImage=/p/slides.jpg\n"
                           "[Containments][5]\nlastScreen=2\n"
                           "[Containments][5][Wallpaper][org.kde.image][General]\n"
                           "Image=\\s/p/My\\tPic\\\\.jpg\n");
        // A slideshow shows no one picture; the escapes of the other containment's value decode.
        QCOMPARE(plasmaPicture(appletsrc, 2), QStringLiteral(" /p/My\tPic\\.jpg"));
        QCOMPARE(plasmaPicture(appletsrc, 0), QString());
        QCOMPARE(plasmaScreenIndex(QStringLiteral("[ScreenConnectors]\n0=eDP-1\n1=DP-2\n"),
                                   QStringLiteral("DP-2")),
                 std::optional<int>(1));
        QCOMPARE(plasmaScreenIndex(QStringLiteral("[Other]\n0=DP-2\n"), QStringLiteral("DP-2")),
                 std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestDesktopPictureSettings)
#include "tst_desktoppicturesettings.moc"
