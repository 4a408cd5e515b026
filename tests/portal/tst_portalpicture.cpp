#include "portal/PortalPicture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <unistd.h>

using namespace velmora;
using namespace velmora::portal;

namespace {

// Every pixel tells where it is, so a picture cut one pixel off shows.
QImage coded(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            line[x] = qRgb(x % 256, y % 256, (x / 256) * 16 + y / 256);
        }
    }
    return image;
}

ScreenGeometry screen(QRect geometry, qreal ratio = 1.0)
{
    return ScreenGeometry{geometry, ratio, QStringLiteral("S%1").arg(geometry.x())};
}

bool isBlank(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0) {
                return false;
            }
        }
    }
    return true;
}

// Where in the picture each wanted screen is expected; an empty rectangle is a blank screen.
using Sources = QList<QRect>;

} // namespace

class TestPortalPicture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cutIntoScreens_data()
    {
        QTest::addColumn<QList<ScreenGeometry>>("layout");
        QTest::addColumn<QList<int>>("wanted");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("focused"); // -1: unknown
        QTest::addColumn<Sources>("sources");

        const QList<ScreenGeometry> pair{screen({0, 0, 800, 600}), screen({800, 0, 1024, 768})};
        QTest::newRow("one screen") << QList{screen({0, 0, 800, 600})} << QList{0} << QSize(800, 600) << -1
                                    << Sources{{0, 0, 800, 600}};
        QTest::newRow("every output in one picture") << pair << QList{0, 1} << QSize(1824, 768) << -1
                                                     << Sources{{0, 0, 800, 600}, {800, 0, 1024, 768}};
        QTest::newRow("one of the outputs asked for")
            << pair << QList{1} << QSize(1824, 768) << -1 << Sources{{800, 0, 1024, 768}};
        QTest::newRow("layout left of the origin")
            << QList{screen({-800, 0, 800, 600}), screen({0, 0, 800, 600})} << QList{0, 1} << QSize(1600, 600)
            << -1 << Sources{{0, 0, 800, 600}, {800, 0, 800, 600}};
        QTest::newRow("ratio 2, picture in pixels")
            << QList{screen({0, 0, 800, 600}, 2), screen({800, 0, 1024, 768}, 2)} << QList{0, 1}
            << QSize(3648, 1536) << -1 << Sources{{0, 0, 1600, 1200}, {1600, 0, 2048, 1536}};
        QTest::newRow("only the focused output")
            << pair << QList{0, 1} << QSize(1024, 768) << -1 << Sources{{}, {0, 0, 1024, 768}};
        QTest::newRow("equal screens, focus decides")
            << QList{screen({0, 0, 800, 600}), screen({800, 0, 800, 600})} << QList{0, 1} << QSize(800, 600)
            << 1 << Sources{{}, {0, 0, 800, 600}};
        QTest::newRow("equal screens, focus unknown")
            << QList{screen({0, 0, 800, 600}), screen({800, 0, 800, 600})} << QList{0, 1} << QSize(800, 600)
            << -1 << Sources{{0, 0, 800, 600}, {}};
    }

    void cutIntoScreens()
    {
        QFETCH(QList<ScreenGeometry>, layout);
        QFETCH(QList<int>, wanted);
        QFETCH(QSize, picture);
        QFETCH(int, focused);
        QFETCH(Sources, sources);

        QList<ScreenGeometry> wantedScreens;
        for (int index : wanted) {
            wantedScreens.append(layout[index]);
        }
        const QImage source = coded(picture);
        QString error;
        const auto images = screensFromPicture(source, ScreenLayout(layout), wantedScreens,
                                               focused < 0 ? std::nullopt : std::optional(focused), &error);
        QVERIFY2(images, qPrintable(error));
        QCOMPARE(images->size(), wantedScreens.size());
        for (int i = 0; i < images->size(); ++i) {
            const QImage& image = images->at(i);
            const ScreenGeometry& want = wantedScreens[i];
            QCOMPARE(image.size(), want.nativeRect().size());
            QCOMPARE(image.devicePixelRatio(), want.devicePixelRatio);
            if (sources[i].isEmpty()) {
                QVERIFY(isBlank(image));
                continue;
            }
            QImage expected = source.copy(sources[i]);
            expected.setDevicePixelRatio(want.devicePixelRatio);
            QCOMPARE(image, expected);
        }
    }

    // A picture at the outputs' logical size on a ratio-2 screen is enlarged to the screen's pixels.
    void logicalPictureEnlarged()
    {
        const QList<ScreenGeometry> layout{screen({0, 0, 400, 300}, 2)};
        QImage source(400, 300, QImage::Format_ARGB32_Premultiplied);
        source.fill(QColor(10, 200, 30));
        QString error;
        const auto images = screensFromPicture(source, ScreenLayout(layout), layout, std::nullopt, &error);
        QVERIFY2(images, qPrintable(error));
        QCOMPARE(images->at(0).size(), QSize(800, 600));
        QCOMPARE(images->at(0).devicePixelRatio(), 2.0);
        QCOMPARE(images->at(0).pixel(799, 599), qRgb(10, 200, 30));
    }

    void unfitPictureRefused_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::newRow("another size") << QSize(500, 500);
        QTest::newRow("a part of a screen") << QSize(800, 300);
        QTest::newRow("empty") << QSize();
    }

    void unfitPictureRefused()
    {
        QFETCH(QSize, picture);
        const QList<ScreenGeometry> layout{screen({0, 0, 800, 600}), screen({800, 0, 1024, 768})};
        QString error;
        const QImage source = picture.isEmpty() ? QImage() : coded(picture);
        QVERIFY(!screensFromPicture(source, ScreenLayout(layout), layout, std::nullopt, &error));
        QVERIFY(!error.isEmpty());
    }

    // An area across two screens of different heights: what the shorter one does not show is
    // transparent, the rest is the desktop's pixels.
    void areaAcrossScreens()
    {
        const QList<ScreenGeometry> screens{screen({0, 0, 800, 600}), screen({800, 0, 1024, 768})};
        const ScreenLayout layout(screens);
        const QImage desktop = coded({1824, 768});
        QString error;
        const auto pictures = screensFromPicture(desktop, layout, screens, std::nullopt, &error);
        QVERIFY2(pictures, qPrintable(error));
        const QRect area(700, 500, 300, 200);
        const QImage image = desktopArea(*pictures, layout, area);
        QCOMPARE(image.size(), area.size());
        QCOMPARE(image.pixel(0, 0), desktop.pixel(700, 500));
        QCOMPARE(image.pixel(99, 99), desktop.pixel(799, 599));
        QCOMPARE(qAlpha(image.pixel(99, 100)), 0); // below the 600-high screen
        QCOMPARE(image.pixel(100, 150), desktop.pixel(800, 650));
        QCOMPARE(image.copy(100, 0, 200, 200), desktop.copy(800, 500, 200, 200));
    }

    void disposable_data()
    {
        QTest::addColumn<QString>("file"); // relative to a temporary folder; "link:" makes a link
        QTest::addColumn<bool>("listed");  // whether that folder counts as temporary
        QTest::addColumn<int>("uidOffset");
        QTest::addColumn<bool>("expected");

        QTest::newRow("own file in a temporary folder") << "shot.png" << true << 0 << true;
        QTest::newRow("further down") << "sub/shot.png" << true << 0 << true;
        QTest::newRow("among the user's files") << "shot.png" << false << 0 << false;
        QTest::newRow("someone else's") << "shot.png" << true << 1 << false;
        QTest::newRow("a link") << "link:shot.png" << true << 0 << false;
        QTest::newRow("missing") << "missing:shot.png" << true << 0 << false;
    }

    void disposable()
    {
        QFETCH(QString, file);
        QFETCH(bool, listed);
        QFETCH(int, uidOffset);
        QFETCH(bool, expected);

        QTemporaryDir folder;
        QTemporaryDir elsewhere;
        const bool link = file.startsWith(QLatin1String("link:"));
        const bool missing = file.startsWith(QLatin1String("missing:"));
        file = file.section(QLatin1Char(':'), -1);
        const QString path = folder.filePath(file);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (link) {
            const QString target = elsewhere.filePath(QStringLiteral("target.png"));
            QFile(target).open(QIODevice::WriteOnly);
            QVERIFY(QFile::link(target, path));
        } else if (!missing) {
            QFile(path).open(QIODevice::WriteOnly);
        }
        const QStringList folders = listed ? QStringList{folder.path()} : QStringList{elsewhere.path()};
        QCOMPARE(isDisposable(path, folders, uint(::getuid()) + uint(uidOffset)), expected);
    }

    // The picture is read whole, then the file goes when it lies in a temporary folder and stays
    // when it lies among the user's files.
    void takePictureReadsAndRemoves()
    {
        const QImage picture = coded({64, 48});
        QTemporaryDir temporary;
        const QString disposable = temporary.filePath(QStringLiteral("shot.png"));
        QVERIFY(picture.save(disposable));
        if (!temporaryFolders().contains(QFileInfo(temporary.path()).absolutePath())) {
            QSKIP("the temporary folder is not under the shared temporary folders");
        }
        QString error;
        auto taken = takePicture(QUrl::fromLocalFile(disposable).toString(), &error);
        QVERIFY2(taken, qPrintable(error));
        QCOMPARE(taken->convertToFormat(QImage::Format_ARGB32_Premultiplied), picture);
        QVERIFY(!QFile::exists(disposable));

        const QString kept = QDir(QDir::currentPath()).filePath(QStringLiteral("tst_portalpicture-kept.png"));
        QVERIFY(picture.save(kept));
        if (isDisposable(kept, temporaryFolders(), uint(::getuid()))) {
            QFile::remove(kept);
            QSKIP("the working folder is a temporary one");
        }
        taken = takePicture(QUrl::fromLocalFile(kept).toString(), &error);
        QVERIFY2(taken, qPrintable(error));
        QVERIFY(QFile::exists(kept));
        QFile::remove(kept);
    }

    void takePictureRefusesWhatIsNoPicture_data()
    {
        QTest::addColumn<QString>("uri");
        QTest::newRow("not a file") << "https://example.invalid/shot.png";
        QTest::newRow("no such file") << "file:///nonexistent/velmora/shot.png";
        QTest::newRow("empty") << "";
    }

    void takePictureRefusesWhatIsNoPicture()
    {
        QFETCH(QString, uri);
        QString error;
        QVERIFY(!takePicture(uri, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPortalPicture)
#include "tst_portalpicture.moc"
