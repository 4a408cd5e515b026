#include "shell/PillNotification.h"
#include "shell/PinnedCloseButton.h"
#include "shell/PinnedGeometry.h"
#include "shell/PinnedImageWindow.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QImageReader>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

using namespace velmora;

namespace {

// A picture with distinct quadrants, so a drawing that is cropped, stretched or mirrored shows.
QImage quadrantImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, QColor(220, 60, 50));
    painter.fillRect(width / 2, 0, width - width / 2, height / 2, QColor(40, 150, 90));
    painter.fillRect(0, height / 2, width / 2, height - height / 2, QColor(40, 90, 200));
    painter.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, QColor(240, 200, 40));
    return image;
}

void sendWheel(QWidget* window, QPointF local, QPoint angleDelta, QPoint pixelDelta = {})
{
    QWheelEvent event(local, window->mapToGlobal(local), pixelDelta, angleDelta, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(window, &event);
}

// Right-clicks the window, reads its menu and picks the item whose text begins with `choice` (none:
// the menu is closed). Returns the items, "-" for a separator.
QStringList chooseFromContextMenu(QWidget* window, const QString& choice)
{
    QStringList items;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        poll.stop();
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            items << (action->isSeparator() ? QStringLiteral("-") : action->text());
            if (!choice.isEmpty() && !action->isSeparator() && action->text().startsWith(choice))
                chosen = action;
        }
        if (chosen)
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
        else
            menu->close();
    });
    poll.start();
    const QPoint local = window->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, local, window->mapToGlobal(local));
    QApplication::sendEvent(window, &event);
    return items;
}

struct PinnedFixture
{
    explicit PinnedFixture(const QImage& image, const QRect& frame)
        : pill(PillNotification::Timing{10, 10}), window(image, frame, [this](PinnedImageWindow* closed) {
              ++closeCount;
              closedWindow = closed;
          })
    {
        window.setNotifier(&pill);
        window.setCopier([this](const QImage& copiedImage) { copied << copiedImage; });
        window.setPathChooser([](QWidget*, const QString&) {
            qFatal("No Save As expected in this test");
            return QString();
        });
    }

    bool showAndActivate()
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }

    PillNotification pill;
    PinnedImageWindow window;
    int closeCount = 0;
    PinnedImageWindow* closedWindow = nullptr;
    QList<QImage> copied;
};

} // namespace

class TestPinnedImageWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resizeKeepsTheImageProportions_data();
    void resizeKeepsTheImageProportions();
    void resizeZonesAlongTheBorder_data();
    void resizeZonesAlongTheBorder();
    void dragNearTheBorderResizesElsewhereMoves_data();
    void dragNearTheBorderResizesElsewhereMoves();
    void wheelFactor_data();
    void wheelFactor();
    void wheelZoomsAroundThePointerWithinLimits_data();
    void wheelZoomsAroundThePointerWithinLimits();
    void zoomLimitsWithoutAScreen();
    void keysClose_data();
    void keysClose();
    void copyShortcutHandsOverTheImageAndShowsThePill();
    void defaultCopierPutsPngOnTheClipboard();
    void contextMenuCopiesSavesAndCloses();
    void saveAsWritesAPng();
    void failedSaveAsIsReported_data();
    void failedSaveAsIsReported();
    void closeButtonShowsWhileThePointerIsOver();
};

void TestPinnedImageWindow::resizeKeepsTheImageProportions_data()
{
    QTest::addColumn<int>("edges");
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<QSizeF>("imageSize");
    QTest::addColumn<QRect>("expected");

    using E = ResizeEdge;
    const QSizeF wide(400, 200);
    // The initial frame is (100, 100, 400, 200): right edge at 500, bottom edge at 300.
    QTest::newRow("right, grows up from the bottom")
        << int(E::Right) << QPoint(100, 7) << wide << QRect(100, 50, 500, 250);
    QTest::newRow("left, right and bottom stay")
        << int(E::Left) << QPoint(-100, 0) << wide << QRect(0, 50, 500, 250);
    QTest::newRow("top up, widens to the right")
        << int(E::Top) << QPoint(-9, -50) << wide << QRect(100, 50, 500, 250);
    QTest::newRow("bottom down") << int(E::Bottom) << QPoint(0, 50) << wide << QRect(100, 100, 500, 250);
    QTest::newRow("bottom-right, mostly sideways")
        << int(E::Bottom | E::Right) << QPoint(100, 10) << wide << QRect(100, 100, 500, 250);
    QTest::newRow("bottom-left, mostly sideways: top-right stays")
        << int(E::Bottom | E::Left) << QPoint(-100, 10) << wide << QRect(0, 100, 500, 250);
    QTest::newRow("top-left, mostly up: bottom-right stays")
        << int(E::Top | E::Left) << QPoint(10, -100) << wide << QRect(-100, 0, 600, 300);
    QTest::newRow("top-right, mostly down: bottom-left stays")
        << int(E::Top | E::Right) << QPoint(5, 100) << wide << QRect(100, 200, 200, 100);
    QTest::newRow("left past the minimum")
        << int(E::Left) << QPoint(1000, 0) << wide << QRect(420, 260, 80, 40);
    QTest::newRow("bottom past the minimum")
        << int(E::Bottom) << QPoint(0, -1000) << wide << QRect(100, 100, 80, 40);
    QTest::newRow("top-right corner past the minimum")
        << int(E::Top | E::Right) << QPoint(-390, 0) << wide << QRect(100, 260, 80, 40);
    // A tall image: the minimum height follows its proportions (80 × 3).
    QTest::newRow("tall image, bottom past the minimum")
        << int(E::Bottom) << QPoint(0, -1000) << QSizeF(100, 300) << QRect(100, 100, 80, 240);
    QTest::newRow("no image: free") << int(E::Right) << QPoint(100, 0) << QSizeF()
                                    << QRect(100, 100, 500, 200);
}

void TestPinnedImageWindow::resizeKeepsTheImageProportions()
{
    QFETCH(int, edges);
    QFETCH(QPoint, delta);
    QFETCH(QSizeF, imageSize);
    QFETCH(QRect, expected);

    const QRect initial(100, 100, 400, 200);
    const QRect frame = pinned::resizedFrame(initial, ResizeEdges::fromInt(edges), delta, imageSize);
    QCOMPARE(frame, expected);
    QVERIFY(frame.width() >= pinned::minimumWidth);
    if (!imageSize.isEmpty())
        QVERIFY(qAbs(frame.width() / imageSize.width() * imageSize.height() - frame.height()) <= 1.0);
}

void TestPinnedImageWindow::resizeZonesAlongTheBorder_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<int>("edges");

    using E = ResizeEdge;
    const QSize size(300, 200);
    QTest::newRow("5 inside the left edge") << size << QPoint(5, 100) << int(E::Left);
    QTest::newRow("5 inside the right edge") << size << QPoint(294, 100) << int(E::Right);
    QTest::newRow("5 inside the top edge") << size << QPoint(150, 5) << int(E::Top);
    QTest::newRow("5 inside the bottom edge") << size << QPoint(150, 194) << int(E::Bottom);
    QTest::newRow("10 inside: moves") << size << QPoint(10, 100) << 0;
    QTest::newRow("middle: moves") << size << QPoint(150, 100) << 0;
    // The corner squares are larger than the strips.
    QTest::newRow("top-left corner square") << size << QPoint(12, 3) << int(E::Left | E::Top);
    QTest::newRow("bottom-right corner square") << size << QPoint(288, 189) << int(E::Right | E::Bottom);
    QTest::newRow("top strip beside the corner") << size << QPoint(20, 3) << int(E::Top);
    // Too flat for top and bottom zones: it can still be moved by its middle.
    QTest::newRow("flat window, near the top") << QSize(300, 20) << QPoint(150, 3) << 0;
    QTest::newRow("flat window, left edge") << QSize(300, 20) << QPoint(3, 3) << int(E::Left);
}

void TestPinnedImageWindow::resizeZonesAlongTheBorder()
{
    QFETCH(QSize, size);
    QFETCH(QPoint, pos);
    QFETCH(int, edges);
    QCOMPARE(pinned::edgesAt(pos, size).toInt(), edges);
}

void TestPinnedImageWindow::dragNearTheBorderResizesElsewhereMoves_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QRect>("expected");

    // Window (100, 100, 400, 200) dragged 50 to the right.
    QTest::newRow("5 inside the right edge: resizes") << QPoint(395, 100) << QRect(100, 75, 450, 225);
    QTest::newRow("10 inside the right edge: moves") << QPoint(390, 100) << QRect(150, 100, 400, 200);
}

void TestPinnedImageWindow::dragNearTheBorderResizesElsewhereMoves()
{
    QFETCH(QPoint, press);
    QFETCH(QRect, expected);

    const bool moves = expected.size() == QSize(400, 200);
    if (moves && QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("A window manager moves the window itself, following the real pointer");
    PinnedFixture f(quadrantImage(400, 200), QRect(100, 100, 400, 200));
    QVERIFY(f.showAndActivate());
    QTRY_COMPARE(f.window.geometry(), QRect(100, 100, 400, 200));
    const QPoint pressGlobal = f.window.mapToGlobal(press);
    QTest::mousePress(&f.window, Qt::LeftButton, {}, press);
    QTest::mouseMove(&f.window, f.window.mapFromGlobal(pressGlobal + QPoint(25, 0)));
    QTest::mouseMove(&f.window, f.window.mapFromGlobal(pressGlobal + QPoint(50, 0)));
    QTest::mouseRelease(&f.window, Qt::LeftButton, {}, f.window.mapFromGlobal(pressGlobal + QPoint(50, 0)));
    QCOMPARE(f.window.geometry(), expected);

    // Released: moving the pointer on changes nothing.
    QTest::mouseMove(&f.window, f.window.mapFromGlobal(pressGlobal + QPoint(80, 0)));
    QCOMPARE(f.window.geometry(), expected);
}

void TestPinnedImageWindow::wheelFactor_data()
{
    QTest::addColumn<QPoint>("angleDelta");
    QTest::addColumn<QPoint>("pixelDelta");
    QTest::addColumn<double>("factor");

    QTest::newRow("one notch up") << QPoint(0, 120) << QPoint() << 1.05;
    QTest::newRow("one notch down") << QPoint(0, -120) << QPoint() << 0.95;
    QTest::newRow("sideways notch dominates") << QPoint(240, 120) << QPoint() << 1.1;
    QTest::newRow("equal: vertical counts") << QPoint(-120, 120) << QPoint() << 1.05;
    QTest::newRow("touchpad pixels") << QPoint(0, 120) << QPoint(0, 20) << 1.1;
    QTest::newRow("no movement") << QPoint() << QPoint() << 1.0;
    QTest::newRow("absurd swipe: ignored") << QPoint() << QPoint(0, -400) << 0.0;
}

void TestPinnedImageWindow::wheelFactor()
{
    QFETCH(QPoint, angleDelta);
    QFETCH(QPoint, pixelDelta);
    QFETCH(double, factor);
    const auto result = pinned::wheelZoomFactor(angleDelta, pixelDelta);
    if (factor == 0.0) {
        QVERIFY(!result);
    } else {
        QVERIFY(result);
        QVERIFY(qFuzzyCompare(*result, factor));
    }
}

void TestPinnedImageWindow::wheelZoomsAroundThePointerWithinLimits_data()
{
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<int>("notches");
    QTest::addColumn<QString>("limit");

    QTest::newRow("one notch in") << QSize(100, 50) << 1 << QString();
    QTest::newRow("one notch out") << QSize(100, 50) << -1 << QString();
    QTest::newRow("far in: three times the image") << QSize(100, 50) << 60 << QStringLiteral("image");
    QTest::newRow("far in: the screen's width") << QSize(2000, 1000) << 200 << QStringLiteral("screen");
    QTest::newRow("far out: the minimum width") << QSize(100, 50) << -60 << QStringLiteral("minimum");
}

void TestPinnedImageWindow::wheelZoomsAroundThePointerWithinLimits()
{
    QFETCH(QSize, imageSize);
    QFETCH(int, notches);
    QFETCH(QString, limit);

    PinnedFixture f(quadrantImage(imageSize.width(), imageSize.height()), QRect(200, 200, 200, 100));
    QVERIFY(f.showAndActivate());
    // The pointer over a point 30 % across and 60 % down the image.
    const QPoint pointer = f.window.mapToGlobal(QPoint(60, 60));
    const double aspect = double(imageSize.width()) / imageSize.height();

    double expectedWidth = 200;
    for (int i = 0; i < qAbs(notches); ++i) {
        const QRect before = f.window.geometry();
        sendWheel(&f.window, f.window.mapFromGlobal(pointer), QPoint(0, notches > 0 ? 120 : -120));
        expectedWidth *= notches > 0 ? 1.05 : 0.95;
        const QRect frame = f.window.geometry();
        // The point of the image under the pointer stays there, give or take a pixel of rounding.
        const double rx = double(pointer.x() - before.x()) / before.width();
        const double ry = double(pointer.y() - before.y()) / before.height();
        QVERIFY2(qAbs(pointer.x() - rx * frame.width() - frame.x()) <= 1.0, qPrintable(QString::number(i)));
        QVERIFY2(qAbs(pointer.y() - ry * frame.height() - frame.y()) <= 1.0, qPrintable(QString::number(i)));
        QVERIFY(qAbs(frame.width() / aspect - frame.height()) <= 1.0);
    }
    if (qAbs(notches) == 1) {
        QVERIFY(qAbs(pointer.x() - f.window.x() - 0.3 * f.window.width()) <= 1.0);
        QVERIFY(qAbs(pointer.y() - f.window.y() - 0.6 * f.window.height()) <= 1.0);
    }

    const int screenWidth = f.window.screen()->availableGeometry().width();
    const int width = f.window.width();
    if (limit == QLatin1String("image"))
        QCOMPARE(width, 3 * imageSize.width());
    else if (limit == QLatin1String("screen"))
        QCOMPARE(width, screenWidth);
    else if (limit == QLatin1String("minimum"))
        QCOMPARE(width, pinned::minimumWidth);
    else
        QVERIFY(qAbs(width - expectedWidth) <= 1.0);
}

void TestPinnedImageWindow::zoomLimitsWithoutAScreen()
{
    const QRect frame(0, 0, 200, 100);
    // With no screen the window does not grow past its current width, but still shrinks.
    QCOMPARE(pinned::zoomedFrame(frame, QPointF(100, 50), 2.0, QSizeF(400, 200), std::nullopt)->width(), 200);
    QCOMPARE(pinned::zoomedFrame(frame, QPointF(100, 50), 0.5, QSizeF(400, 200), std::nullopt)->width(), 100);
    // Nothing to zoom, or no sensible factor.
    QVERIFY(!pinned::zoomedFrame(frame, QPointF(100, 50), 2.0, QSizeF(), 1000));
    QVERIFY(!pinned::zoomedFrame(frame, QPointF(100, 50), -0.5, QSizeF(400, 200), 1000));
    QVERIFY(!pinned::zoomedFrame(frame, QPointF(100, 50), qInf(), QSizeF(400, 200), 1000));
}

void TestPinnedImageWindow::keysClose_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier) << true;
    QTest::newRow("Ctrl+W") << int(Qt::Key_W) << int(Qt::ControlModifier) << true;
    QTest::newRow("Ctrl+Shift+W") << int(Qt::Key_W) << int(Qt::ControlModifier | Qt::ShiftModifier) << true;
    QTest::newRow("W alone") << int(Qt::Key_W) << int(Qt::NoModifier) << false;
    QTest::newRow("Ctrl+Q") << int(Qt::Key_Q) << int(Qt::ControlModifier) << false;
}

void TestPinnedImageWindow::keysClose()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, closes);
    PinnedFixture f(quadrantImage(200, 100), QRect(100, 100, 200, 100));
    QVERIFY(f.showAndActivate());
    QTest::keyClick(&f.window, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(f.window.isVisible(), !closes);
    QCOMPARE(f.closeCount, closes ? 1 : 0);
    QCOMPARE(f.window.image().isNull(), closes);
    if (!closes)
        return;
    QCOMPARE(f.closedWindow, &f.window);

    // Closing again does not notify the owner again, and a closed window copies nothing.
    f.window.close();
    QCOMPARE(f.closeCount, 1);
    QTest::keyClick(&f.window, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(f.copied.isEmpty());
}

void TestPinnedImageWindow::copyShortcutHandsOverTheImageAndShowsThePill()
{
    const QImage image = quadrantImage(200, 100);
    PinnedFixture f(image, QRect(100, 100, 200, 100));
    QVERIFY(f.showAndActivate());
    QSignalSpy requested(&f.window, &PinnedImageWindow::copyRequested);

    QTest::keyClick(&f.window, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(f.copied.size(), 1);
    QCOMPARE(f.copied.first(), image);
    QCOMPARE(requested.size(), 1);
    QCOMPARE(requested.first().first().value<QImage>(), image);
    QCOMPARE(f.pill.message(), QStringLiteral("Copied to clipboard"));
    QVERIFY(f.pill.window()->isVisible());
    QVERIFY(f.pill.isDismissalPending());
    // The pill does not take the keys away from the pinned window.
    QTRY_COMPARE(f.pill.state(), PillNotification::State::Visible);
    // The offscreen platform activates every window it shows; a real window system honours the hints.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QCOMPARE(QApplication::activeWindow(), &f.window);
}

void TestPinnedImageWindow::defaultCopierPutsPngOnTheClipboard()
{
    const QImage image = quadrantImage(64, 32);
    PinnedImageWindow::copyToClipboard(image);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QVERIFY(data->hasFormat(QStringLiteral("image/png")));
    QImage decoded;
    QVERIFY(decoded.loadFromData(data->data(QStringLiteral("image/png")), "PNG"));
    QCOMPARE(decoded.size(), image.size());
    QCOMPARE(decoded.pixelColor(48, 24), QColor(240, 200, 40));
}

void TestPinnedImageWindow::contextMenuCopiesSavesAndCloses()
{
    PinnedFixture f(quadrantImage(200, 100), QRect(100, 100, 200, 100));
    QVERIFY(f.showAndActivate());
    int chooserCalls = 0;
    f.window.setPathChooser([&](QWidget*, const QString&) {
        ++chooserCalls;
        return QString(); // cancelled
    });

    const QStringList items = chooseFromContextMenu(&f.window, QStringLiteral("Copy Image"));
    QCOMPARE(items, (QStringList{QStringLiteral("Copy Image\tCtrl+C"), QStringLiteral("Save As…"),
                                 QStringLiteral("-"), QStringLiteral("Close\tCtrl+W")}));
    QCOMPARE(f.copied.size(), 1);

    chooseFromContextMenu(&f.window, QStringLiteral("Save As"));
    QCOMPARE(chooserCalls, 1);
    QVERIFY(f.window.isVisible());

    chooseFromContextMenu(&f.window, QStringLiteral("Close"));
    QVERIFY(!f.window.isVisible());
    QCOMPARE(f.closeCount, 1);
}

void TestPinnedImageWindow::saveAsWritesAPng()
{
    QTemporaryDir folder;
    const QImage image = quadrantImage(120, 60);
    PinnedFixture f(image, QRect(100, 100, 240, 120));
    QVERIFY(f.showAndActivate());
    QString suggested;
    const QString path = folder.filePath(QStringLiteral("pinned.png"));
    f.window.setPathChooser([&](QWidget* parent, const QString& name) {
        suggested = name;
        // The dialog belongs to the pinned window, so it stays above it.
        return parent == &f.window ? path : QString();
    });
    QSignalSpy saved(&f.window, &PinnedImageWindow::imageSaved);

    const qint64 before = QDateTime::currentSecsSinceEpoch();
    chooseFromContextMenu(&f.window, QStringLiteral("Save As"));
    const qint64 after = QDateTime::currentSecsSinceEpoch();

    const QRegularExpressionMatch name =
        QRegularExpression(QStringLiteral("^Pinned-(\\d+)\\.png$")).match(suggested);
    QVERIFY2(name.hasMatch(), qPrintable(suggested));
    QVERIFY(name.captured(1).toLongLong() >= before && name.captured(1).toLongLong() <= after);
    QCOMPARE(saved.size(), 1);
    QCOMPARE(saved.first().first().toString(), path);

    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage written = reader.read();
    QCOMPARE(written.size(), image.size());
    QCOMPARE(written.pixelColor(10, 10), QColor(220, 60, 50));
    QCOMPARE(written.pixelColor(110, 50), QColor(240, 200, 40));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("pinned.png")});
}

void TestPinnedImageWindow::failedSaveAsIsReported_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("folder that does not exist") << QStringLiteral("missing/pinned.png");
    QTest::newRow("name of a folder") << QStringLiteral("sub");
    QTest::newRow("read-only folder") << QStringLiteral("locked/pinned.png");
}

void TestPinnedImageWindow::failedSaveAsIsReported()
{
    QFETCH(QString, where);
    QTemporaryDir folder;
    QDir(folder.path()).mkdir(QStringLiteral("sub"));
    QDir(folder.path()).mkdir(QStringLiteral("locked"));
    const QString locked = folder.filePath(QStringLiteral("locked"));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    if (where.startsWith(QLatin1String("locked")) && ::geteuid() == 0)
        QSKIP("root writes into read-only folders");

    PinnedFixture f(quadrantImage(120, 60), QRect(100, 100, 240, 120));
    QVERIFY(f.showAndActivate());
    f.window.setPathChooser([&](QWidget*, const QString&) { return folder.filePath(where); });
    QSignalSpy saved(&f.window, &PinnedImageWindow::imageSaved);
    QSignalSpy failed(&f.window, &PinnedImageWindow::saveFailed);

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("^\\[Velmora\\] Save As failed: .+")));
    chooseFromContextMenu(&f.window, QStringLiteral("Save As"));
    QCOMPARE(failed.size(), 1);
    QCOMPARE(saved.size(), 0);
    QVERIFY(f.window.isVisible());

    // Nothing written anywhere, not even a temporary file.
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{QStringLiteral("locked"), QStringLiteral("sub")}));
    QVERIFY(QDir(locked).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    QVERIFY(QDir(folder.filePath(QStringLiteral("sub")))
                .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestPinnedImageWindow::closeButtonShowsWhileThePointerIsOver()
{
    PinnedFixture f(quadrantImage(300, 200), QRect(100, 100, 300, 200));
    QCursor::setPos(QPoint(20, 20)); // away from where the window appears
    QVERIFY(f.showAndActivate());
    PinnedCloseButton* button = f.window.closeButton();
    QVERIFY(!button->isVisible());

    QTest::mouseMove(&f.window, QPoint(150, 100));
    QTRY_VERIFY(button->isVisible());
    QCOMPARE(button->geometry(), QRect(8, 8, 22, 22));

    const QImage grab = f.window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    test::dump(grab, QStringLiteral("pinned-hover"));
    // The image fills the window; the button is a dark disc with a white cross over it.
    QCOMPARE(grab.pixelColor(70, 50), QColor(220, 60, 50));
    QCOMPARE(grab.pixelColor(250, 150), QColor(240, 200, 40));
    const QColor disc = grab.pixelColor(8 + 5, 8 + 11);
    QVERIFY(disc.lightness() < 130);
    QVERIFY(grab.pixelColor(8 + 11, 8 + 11).lightness() > 200);
    // Rounded corners: the very corner is clear.
    QVERIFY(qAlpha(grab.pixel(0, 0)) < 40);

    QTest::mouseMove(&f.window, QPoint(150, -40)); // above the window
    QTRY_VERIFY(!button->isVisible());

    QTest::mouseMove(&f.window, QPoint(150, 100));
    QTRY_VERIFY(button->isVisible());
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(11, 11));
    QVERIFY(!f.window.isVisible());
    QCOMPARE(f.closeCount, 1);
}

QTEST_MAIN(TestPinnedImageWindow)
#include "tst_pinnedimagewindow.moc"
