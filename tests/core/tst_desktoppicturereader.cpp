#include "capture/DesktopPictureReader.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace velmora;

namespace {

const QStringList kPictures = {"light one.jpg", "dark.jpg",      "cinnamon.png",
                               "mate pic.png",  "kde zero.jpg",  "kde one%20.png",
                               "xfce-dp.jpg",   "xfce-hdmi.jpg", "feh's.jpg"};

// A Plasma wallpaper package: one picture per screen size, and a file that is not one of them.
const QStringList kPackage = {"Next/contents/images/1280x800.png", "Next/contents/images/1920x1080.png",
                              "Next/contents/images/3840x2160.jpg", "Next/contents/images/9000x9000.txt.bak"};

const char* const kAppletsrc = R"([ActionPlugins][0]
RightButton;NoModifier=org.kde.contextmenu

[Containments][7]
lastScreen=1
plugin=org.kde.plasma.folder
wallpaperplugin=org.kde.image

[Containments][7][Wallpaper][org.kde.image][General]
Image=@D@/kde one%20.png

[Containments][2]
lastScreen=0
plugin=org.kde.plasma.folder
wallpaperplugin=org.kde.image

[Containments][2][Wallpaper][org.kde.image][General]
Image[$e]=file://@U@/kde%20zero.jpg
SlidePaths=/usr/share/wallpapers/

[Containments][3]
lastScreen=0
plugin=org.kde.panel
)";

const char* const kPlasmashellrc = "[ScreenConnectors]\n0=DP-1\n1=HDMI-1\n";

const char* const kXfce = R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-desktop" version="1.0">
  <property name="backdrop" type="empty">
    <property name="screen0" type="empty">
      <property name="monitorDP-1" type="empty">
        <property name="workspace0" type="empty">
          <property name="color-style" type="int" value="0"/>
          <property name="image-style" type="int" value="5"/>
          <property name="last-image" type="string" value="@D@/xfce-dp.jpg"/>
        </property>
      </property>
      <property name="monitorHDMI-1" type="empty">
        <property name="workspace0" type="empty">
          <property name="last-image" type="string" value="@D@/xfce-hdmi.jpg"/>
          <property name="image-style" type="int" value="@STYLE@"/>
        </property>
      </property>
    </property>
  </property>
</channel>
)";

const char* const kFehbg = "#!/bin/sh\nfeh --no-fehbg --bg-fill '@D@/feh'\\''s.jpg' \n";

// A home folder with real picture files and the settings files a row asks for.
class Home
{
public:
    Home()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("pictures/folder.jpg"));
        QDir(m_dir.path()).mkpath(QStringLiteral("home/.config/xfce4/xfconf/xfce-perchannel-xml"));
        QDir(m_dir.path()).mkpath(QStringLiteral("pictures/Next/contents/images"));
        for (const QString& name : kPictures + kPackage) {
            QFile file(pictures() + u'/' + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not decoded here");
        }
    }
    QString pictures() const { return m_dir.path() + QStringLiteral("/pictures"); }
    QString home() const { return m_dir.path() + QStringLiteral("/home"); }
    QString expand(QString text) const
    {
        return text.replace(QStringLiteral("@D@"), pictures())
            .replace(QStringLiteral("@U@"), QString::fromUtf8(QUrl::toPercentEncoding(pictures(), "/")));
    }
    void write(const QString& relative, const QString& text) const
    {
        QFile file(home() + u'/' + relative);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(expand(text).toUtf8());
    }

private:
    QTemporaryDir m_dir;
};

} // namespace

class TestDesktopPictureReader : public QObject
{
    Q_OBJECT

private slots:
    // The whole reading, on real files: which picture each desktop's settings lead to, and the
    // fall-through when a source names nothing usable.
    void pictureFile_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QStringList>("gsettings"); // "schema key value"
        QTest::addColumn<QStringList>("files");     // "relative path", "content", …
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("expected");

        const QString bg = QStringLiteral("org.gnome.desktop.background ");
        const QString light = bg + "picture-uri 'file://@U@/light%20one.jpg'";
        const QString dark = QStringLiteral("org.gnome.desktop.interface color-scheme 'prefer-dark'");
        const QString none = bg + "picture-options 'none'";
        const QStringList feh = {".fehbg", kFehbg};
        const QStringList plasma = {".config/plasma-org.kde.plasma.desktop-appletsrc", kAppletsrc,
                                    ".config/plasmashellrc", kPlasmashellrc};
        const QString xfcePath = QStringLiteral(".config/xfce4/xfconf/xfce-perchannel-xml/xfce4-desktop.xml");
        const QString xfce = QString::fromLatin1(kXfce);
        const auto row = [](const char* name, const QString& desktop, const QStringList& gsettings,
                            const QStringList& files, const QString& screen, const QString& expected) {
            QTest::newRow(name) << desktop << gsettings << files << screen << expected;
        };

        row("gnome", "ubuntu:GNOME", {light}, feh, "", "light one.jpg");
        row("gnome dark", "GNOME", {light, dark, bg + "picture-uri-dark 'file://@U@/dark.jpg'"}, {}, "",
            "dark.jpg");
        row("gnome dark unset", "GNOME", {light, dark, bg + "picture-uri-dark ''"}, {}, "", "light one.jpg");
        row("gnome shows no picture, feh does", "GNOME", {light, none}, feh, "", "feh's.jpg");
        row("gnome shows no picture", "GNOME", {light, none}, {}, "", "");
        row("gnome names a missing file", "GNOME", {bg + "picture-uri 'file://@U@/missing.jpg'"}, feh, "",
            "feh's.jpg");
        row("gnome names a folder", "GNOME", {bg + "picture-uri 'file://@U@/folder.jpg'"}, {}, "", "");
        row("cinnamon before gnome", "X-Cinnamon",
            {light, "org.cinnamon.desktop.background picture-uri 'file://@U@/cinnamon.png'"}, {}, "",
            "cinnamon.png");
        row("mate plain path", "MATE", {"org.mate.background picture-filename '@D@/mate pic.png'"}, {}, "",
            "mate pic.png");
        row("plasma, second connector", "KDE", {light}, plasma, "HDMI-1", "kde one%20.png");
        row("plasma, first connector", "KDE", {}, plasma, "DP-1", "kde zero.jpg");
        row("plasma without connectors", "KDE", {}, plasma.mid(0, 2), "HDMI-1", "kde zero.jpg");
        const QStringList package = {
            ".config/plasma-org.kde.plasma.desktop-appletsrc",
            "[Containments][1]\nlastScreen=0\n"
            "[Containments][1][Wallpaper][org.kde.image][General]\nImage=@D@/Next/\n"};
        row("plasma package, the size that fits", "KDE", {}, package, "1920x1080@1",
            "Next/contents/images/1920x1080.png");
        row("plasma package, dense screen", "KDE", {}, package, "1920x1080@2",
            "Next/contents/images/3840x2160.jpg");
        row("plasma package, larger than all", "KDE", {}, package, "5120x2880@1",
            "Next/contents/images/3840x2160.jpg");
        row("xfce, named monitor", "XFCE", {}, {xfcePath, xfce}, "HDMI-1", "xfce-hdmi.jpg");
        row("xfce, unknown monitor takes the first", "XFCE", {}, {xfcePath, xfce}, "VGA-9", "xfce-dp.jpg");
        row("xfce, style none", "XFCE", {}, {xfcePath, QString(xfce).replace("@STYLE@", "0")}, "HDMI-1", "");
        row("feh", "openbox", {}, feh, "", "feh's.jpg");
        row("files before another desktop's gsettings", "i3", {light}, feh, "", "feh's.jpg");
        row("gsettings when nothing else", "i3", {light}, {}, "", "light one.jpg");
        row("malformed everywhere", "KDE:XFCE:GNOME",
            {bg + "picture-uri garbage", "org.mate.background picture-filename '"},
            {".config/plasma-org.kde.plasma.desktop-appletsrc", "[[[\nImage=\n[Containments][x]\nlastScreen=",
             xfcePath, "<channel><property name=\"backdrop\"><property name=", ".fehbg",
             "feh --bg-fill '/unterminated\nfeh --bg-fill\n--bg-center 'x'"},
            "DP-1", "");
    }
    void pictureFile()
    {
        QFETCH(QString, desktop);
        QFETCH(QStringList, gsettings);
        QFETCH(QStringList, files);
        QFETCH(QString, screen);
        QFETCH(QString, expected);

        Home home;
        for (int i = 0; i + 1 < files.size(); i += 2) {
            home.write(files[i],
                       QString(files[i + 1]).replace(QStringLiteral("@STYLE@"), QStringLiteral("5")));
        }
        QHash<QString, QString> answers;
        for (const QString& line : gsettings) {
            const QStringList parts = line.split(u' ');
            answers.insert(parts[0] + u' ' + parts[1], home.expand(parts.mid(2).join(u' ')) + u'\n');
        }
        QStringList asked;
        DesktopPictureEnvironment environment{
            desktop, home.home(), home.home() + QStringLiteral("/.config"),
            [&](const QString& schema, const QString& key) -> std::optional<QString> {
                asked.append(schema + u' ' + key);
                const auto it = answers.constFind(schema + u' ' + key);
                return it == answers.cend() ? std::nullopt : std::optional<QString>(*it);
            }};
        // "WxH@ratio" names a screen by its size instead.
        ScreenGeometry geometry{QRect(0, 0, 1920, 1080), 1.0, screen};
        if (const QStringList size = screen.split(QRegularExpression(QStringLiteral("[x@]")));
            size.size() == 3) {
            geometry = {QRect(0, 0, size[0].toInt(), size[1].toInt()), size[2].toDouble(), QString()};
        }
        const QString found = desktopPictureFile(environment, geometry);
        QCOMPARE(found, expected.isEmpty() ? QString() : home.pictures() + u'/' + expected);
    }

    // The reader runs the gsettings it finds on the PATH and takes what it prints; one that hangs
    // or fails gives nothing.
    void runsGsettings_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("found");
        QTest::newRow("answers") << "[ \"$1 $2 $3\" = 'get org.gnome.desktop.background picture-uri' ] && "
                                    "echo \"'file://$PICTURE'\"; exit 0"
                                 << true;
        QTest::newRow("fails") << "echo \"'file://$PICTURE'\"; exit 1" << false;
        QTest::newRow("hangs") << "exec sleep 30" << false;
    }
    void runsGsettings()
    {
        QFETCH(QString, script);
        QFETCH(bool, found);
        Home home;
        const QString bin = home.home() + QStringLiteral("/bin");
        QDir().mkpath(bin);
        QFile program(bin + QStringLiteral("/gsettings"));
        QVERIFY(program.open(QIODevice::WriteOnly));
        program.write(("#!/bin/sh\n" + script + "\n").toUtf8());
        program.close();
        program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", bin.toUtf8() + ':' + oldPath);
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        qputenv("PICTURE", (home.pictures() + QStringLiteral("/dark.jpg")).toUtf8());
        const DesktopPictureEnvironment environment = DesktopPictureEnvironment::system();
        qputenv("PATH", oldPath);
        QVERIFY(environment.gsettings);
        QCOMPARE(environment.currentDesktop, QStringLiteral("GNOME"));
        const ScreenGeometry screen{QRect(0, 0, 800, 600), 1.0, QString()};
        QCOMPARE(desktopPictureNamedBy(DesktopPictureSource::gnome, environment, screen),
                 found ? "file://" + home.pictures() + "/dark.jpg" : QString());
    }
};

QTEST_GUILESS_MAIN(TestDesktopPictureReader)
#include "tst_desktoppicturereader.moc"
