#include "preferences/GeneralPreferences.h"
#include "preferences/SettingsStore.h"
#include "shell/PillNotification.h"
#include "shell/PinnedCloseButton.h"
#include "shell/PinnedGeometry.h"
#include "shell/PinnedImageWindow.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
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
#include <QWindow>

#include <unistd.h>

using namespace velmora;

namespace {

const QColor topLeft(220, 60, 50), bottomRight(240, 200, 40);

// A picture with distinct quadrants, so a drawing that is cropped, stretched or mirrored shows.
QImage quadrantImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(40, 90, 200));
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, topLeft);
    painter.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, bottomRight);
    return image;
}

// Right-clicks the window and picks the item whose text begins with `choice`.
void chooseFromContextMenu(QWidget* window, const QString& choice)
{
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        poll.stop();
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator() && action->text().startsWith(choice))
                return QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        }
        menu->close();
        QFAIL("No such menu item");
    });
    poll.start();
    const QPoint local = window->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, local, window->mapToGlobal(local));
    QApplication::sendEvent(window, &event);
}

// A shown, active pinned window whose copies, closes and Save As dialog the test stands in for.
struct PinnedFixture
{
    explicit PinnedFixture(const QImage& image, const QRect& frame)
        : window(image, frame, pill, preferences, [this](PinnedImageWindow* closed) { closedBy << closed; })
    {
        window.setCopier([this](const QImage& copiedImage) { copied << copiedImage; });
        window.setPathChooser([this](QWidget* parent, const QString& folder, const QString& name) {
            offeredFolder = folder;
            suggested = name;
            // The dialog belongs to the pinned window, so it stays above it.
            return parent == &window ? savePath : QString();
        });
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    PillNotification pill{PillNotification::Timing{10, 10}};
    QTemporaryDir saveFolder;
    MemorySettingsStore settings;
    GeneralPreferences preferences{settings, saveFolder.path()};
    QList<PinnedImageWindow*> closedBy;
    QList<QImage> copied;
    QString savePath, suggested; // an empty path cancels
    QString offeredFolder;       // where the dialog would have opened
    PinnedImageWindow window;
};

} // namespace

class TestPinnedImageWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wheelZoomsAroundThePointerWithinLimits_data();
    void wheelZoomsAroundThePointerWithinLimits();
    void copyHandsOverTheImageAndShowsThePill();
    void saveAsWritesAPngOrReportsFailure_data();
    void saveAsWritesAPngOrReportsFailure();
    void closeButtonShowsWhileThePointerIsOver();
    void cursorShowsTheZoneUnderThePointer_data();
    void cursorShowsTheZoneUnderThePointer();
    void draggingResizesInProportionOrMoves_data();
    void draggingResizesInProportionOrMoves();
    void hoverGivesTheKeyboard_data();
    void hoverGivesTheKeyboard();
};

void TestPinnedImageWindow::wheelZoomsAroundThePointerWithinLimits_data()
{
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<int>("notches");
    QTest::addColumn<int>("width"); // 0: the screen's width
    // The window starts 200 wide.
    QTest::newRow("one notch in") << QSize(100, 50) << 1 << 210;
    QTest::newRow("one notch out") << QSize(100, 50) << -1 << 190;
    QTest::newRow("far in: three times the image") << QSize(100, 50) << 60 << 300;
    QTest::newRow("far in: the screen's width") << QSize(2000, 1000) << 200 << 0;
    QTest::newRow("far out: the minimum width") << QSize(100, 50) << -60 << pinned::minimumWidth;
}

void TestPinnedImageWindow::wheelZoomsAroundThePointerWithinLimits()
{
    QFETCH(QSize, imageSize);
    QFETCH(int, notches);
    QFETCH(int, width);
    PinnedFixture f(quadrantImage(imageSize.width(), imageSize.height()), QRect(200, 200, 200, 100));
    const QPoint pointer = f.window.mapToGlobal(QPoint(60, 60));
    const double aspect = double(imageSize.width()) / imageSize.height();

    for (int i = 0; i < qAbs(notches); ++i) {
        const QRect before = f.window.geometry();
        const QPointF local = f.window.mapFromGlobal(QPointF(pointer));
        QWheelEvent wheel(local, QPointF(pointer), {}, QPoint(0, notches > 0 ? 120 : -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&f.window, &wheel);
        // The point of the image under the pointer stays there, give or take a pixel of rounding.
        const QRect frame = f.window.geometry();
        const double rx = double(pointer.x() - before.x()) / before.width();
        const double ry = double(pointer.y() - before.y()) / before.height();
        QVERIFY2(qAbs(pointer.x() - rx * frame.width() - frame.x()) <= 1.0, qPrintable(QString::number(i)));
        QVERIFY2(qAbs(pointer.y() - ry * frame.height() - frame.y()) <= 1.0, qPrintable(QString::number(i)));
        QVERIFY(qAbs(frame.width() / aspect - frame.height()) <= 1.0);
    }
    QCOMPARE(f.window.width(), width ? width : f.window.screen()->availableGeometry().width());
}

void TestPinnedImageWindow::copyHandsOverTheImageAndShowsThePill()
{
    const QImage image = quadrantImage(200, 100);
    PinnedFixture f(image, QRect(100, 100, 200, 100));
    QSignalSpy requested(&f.window, &PinnedImageWindow::copyRequested);
    QTest::keyClick(&f.window, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(f.copied, QList{image});
    QCOMPARE(requested.size(), 1);
    QVERIFY(f.pill.window()->isVisible());
    QVERIFY(f.pill.isDismissalPending());
    // The offscreen platform activates every window it shows; a real window system honours the hints.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QCOMPARE(QApplication::activeWindow(), &f.window);

    // The menu copies too, and a cancelled Save As leaves the window as it was.
    chooseFromContextMenu(&f.window, QStringLiteral("Copy Image"));
    QCOMPARE(f.copied.size(), 2);
    chooseFromContextMenu(&f.window, QStringLiteral("Save As"));
    QVERIFY(f.window.isVisible());
    chooseFromContextMenu(&f.window, QStringLiteral("Close"));
    QCOMPARE(f.closedBy.size(), 1);

    // The default copier puts a PNG on the clipboard.
    PinnedImageWindow::copyToClipboard(image);
    QImage decoded;
    QVERIFY(
        decoded.loadFromData(QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("image/png"))));
    QCOMPARE(decoded.pixelColor(150, 75), bottomRight);
}

void TestPinnedImageWindow::saveAsWritesAPngOrReportsFailure_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("written"); // empty when the save fails
    QTest::newRow("written") << QStringLiteral("pinned.png") << QStringLiteral("pinned.png");
    QTest::newRow("typed without extension") << QStringLiteral("pinned") << QStringLiteral("pinned.png");
    QTest::newRow("other extension kept") << QStringLiteral("pinned.image") << QStringLiteral("pinned.image");
    QTest::newRow("folder that does not exist") << QStringLiteral("missing/pinned.png") << QString();
    QTest::newRow("name of a folder") << QStringLiteral("sub.png") << QString();
    QTest::newRow("read-only folder") << QStringLiteral("locked/pinned.png") << QString();
}

void TestPinnedImageWindow::saveAsWritesAPngOrReportsFailure()
{
    QFETCH(QString, where);
    QFETCH(QString, written);
    if (where.startsWith(QLatin1String("locked")) && ::geteuid() == 0)
        QSKIP("root writes into read-only folders");
    const bool succeeds = !written.isEmpty();
    QTemporaryDir folder;
    const QDir dir(folder.path());
    dir.mkdir(QStringLiteral("sub.png"));
    dir.mkdir(QStringLiteral("locked"));
    QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFile::ReadOwner | QFile::ExeOwner);

    PinnedFixture f(quadrantImage(120, 60), QRect(100, 100, 240, 120));
    f.savePath = dir.filePath(where);
    // The dialog starts in the save folder the preferences hold when it opens.
    f.preferences.setSaveLocation(folder.path());
    QSignalSpy saved(&f.window, &PinnedImageWindow::imageSaved);
    QSignalSpy failed(&f.window, &PinnedImageWindow::saveFailed);
    if (!succeeds)
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^\\[Velmora\\] Save As failed: .+")));
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    chooseFromContextMenu(&f.window, QStringLiteral("Save As"));
    const auto name = QRegularExpression(QStringLiteral("^Pinned-(\\d+)\\.png$")).match(f.suggested);
    QVERIFY2(name.hasMatch() && name.captured(1).toLongLong() >= before, qPrintable(f.suggested));
    QCOMPARE(f.offeredFolder, QDir::cleanPath(folder.path()));
    QCOMPARE(saved.size(), succeeds ? 1 : 0);
    QCOMPARE(failed.size(), succeeds ? 0 : 1);
    QVERIFY(f.window.isVisible());

    // Only the chosen file is written, never a temporary file.
    const QString expectedPath = succeeds ? dir.filePath(written) : QString();
    QDirIterator files(folder.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    QStringList found;
    while (files.hasNext())
        found << files.next();
    QCOMPARE(found, succeeds ? QStringList{expectedPath} : QStringList());
    QFile::setPermissions(dir.filePath(QStringLiteral("locked")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!succeeds)
        return;
    QCOMPARE(saved.first().first().toString(), expectedPath);
    QImageReader reader(expectedPath);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage image = reader.read();
    QCOMPARE(image.size(), QSize(120, 60));
    QCOMPARE(image.pixelColor(10, 10), topLeft);
    QCOMPARE(image.pixelColor(110, 50), bottomRight);
}

void TestPinnedImageWindow::closeButtonShowsWhileThePointerIsOver()
{
    QCursor::setPos(QPoint(20, 20)); // away from where the window appears
    PinnedFixture f(quadrantImage(300, 200), QRect(100, 100, 300, 200));
    PinnedCloseButton* button = f.window.closeButton();
    QVERIFY(!button->isVisible());
    QTest::mouseMove(&f.window, QPoint(150, 100));
    QTRY_VERIFY_WITH_TIMEOUT(button->isVisible(), test::waitTimeout);

    // The image fills the window but for its clear rounded corners; the button is a dark disc.
    const QImage grab = f.window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(grab.pixelColor(250, 150), bottomRight);
    QVERIFY(grab.pixelColor(8 + 5, 8 + 11).lightness() < 130);
    QVERIFY(qAlpha(grab.pixel(0, 0)) < 40);

    QTest::mouseMove(&f.window, QPoint(150, -40)); // above the window
    QTRY_VERIFY_WITH_TIMEOUT(!button->isVisible(), test::waitTimeout);
    QTest::mouseMove(&f.window, QPoint(150, 100));
    QTRY_VERIFY_WITH_TIMEOUT(button->isVisible(), test::waitTimeout);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(11, 11));
    QVERIFY(!f.window.isVisible());
    QCOMPARE(f.closedBy.size(), 1);
}

void TestPinnedImageWindow::cursorShowsTheZoneUnderThePointer_data()
{
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<int>("shape");
    // The window is 300 × 200; corners are 14-point squares, edges 8-point strips. The close
    // button covers most of the top-left corner and keeps its own cursor.
    QTest::newRow("top-left corner") << QPoint(3, 3) << int(Qt::SizeFDiagCursor);
    QTest::newRow("top-right corner") << QPoint(296, 4) << int(Qt::SizeBDiagCursor);
    QTest::newRow("bottom-left corner") << QPoint(4, 196) << int(Qt::SizeBDiagCursor);
    QTest::newRow("bottom-right corner, at its inner edge") << QPoint(287, 187) << int(Qt::SizeFDiagCursor);
    QTest::newRow("left edge") << QPoint(2, 100) << int(Qt::SizeHorCursor);
    QTest::newRow("right edge") << QPoint(295, 60) << int(Qt::SizeHorCursor);
    QTest::newRow("top edge") << QPoint(150, 3) << int(Qt::SizeVerCursor);
    QTest::newRow("bottom edge, beside the corner") << QPoint(20, 197) << int(Qt::SizeVerCursor);
    QTest::newRow("middle") << QPoint(150, 100) << int(Qt::ArrowCursor);
    QTest::newRow("just inside the edge strip") << QPoint(9, 100) << int(Qt::ArrowCursor);
}

void TestPinnedImageWindow::cursorShowsTheZoneUnderThePointer()
{
    QFETCH(QPoint, pos);
    QFETCH(int, shape);
    PinnedFixture f(quadrantImage(300, 200), QRect(200, 150, 300, 200));
    // Through the window, as the window system delivers it; the cursor checked is the window's.
    QTest::mouseMove(f.window.windowHandle(), QPoint(150, 100));
    QTest::mouseMove(f.window.windowHandle(), pos);
    QCOMPARE(f.window.windowHandle()->cursor().shape(), Qt::CursorShape(shape));
}

void TestPinnedImageWindow::draggingResizesInProportionOrMoves_data()
{
    QTest::addColumn<QPoint>("press"); // in the window
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<QRect>("expected");
    // The window is (200, 150, 300, 200) showing a 3:2 image. A corner follows whichever of width
    // and height the pointer changed more, and the opposite corner stays put; an edge keeps the
    // opposite edge; 10 points inside the border is no longer a resize zone.
    QTest::newRow("bottom-right, mostly sideways")
        << QPoint(292, 192) << QPoint(60, 6) << QRect(200, 150, 360, 240);
    QTest::newRow("top-left, mostly up") << QPoint(5, 5) << QPoint(-9, -60) << QRect(110, 90, 390, 260);
    QTest::newRow("top-right, mostly sideways")
        << QPoint(295, 6) << QPoint(30, -3) << QRect(200, 130, 330, 220);
    QTest::newRow("bottom-left, mostly down")
        << QPoint(6, 194) << QPoint(-3, 45) << QRect(132, 150, 368, 245);
    QTest::newRow("bottom-right, shrunk past the minimum")
        << QPoint(292, 192) << QPoint(-280, -20) << QRect(200, 150, 80, 54);
    QTest::newRow("right edge: grows up from the bottom")
        << QPoint(295, 100) << QPoint(60, 0) << QRect(200, 110, 360, 240);
    QTest::newRow("middle: moves") << QPoint(10, 100) << QPoint(40, 25) << QRect(240, 175, 300, 200);
}

void TestPinnedImageWindow::draggingResizesInProportionOrMoves()
{
    QFETCH(QPoint, press);
    QFETCH(QPoint, delta);
    QFETCH(QRect, expected);
    PinnedFixture f(quadrantImage(300, 200), QRect(200, 150, 300, 200));
    QWindow* window = f.window.windowHandle();
    QTRY_COMPARE_WITH_TIMEOUT(f.window.geometry(), QRect(200, 150, 300, 200), test::waitTimeout);
    const QPoint start = f.window.mapToGlobal(press);
    QTest::mouseMove(window, press);
    QTest::mousePress(window, Qt::LeftButton, {}, press);
    // The window changes under the pointer: each position is taken in the window as it is then.
    for (const QPoint step : {delta / 2, delta})
        QTest::mouseMove(window, f.window.mapFromGlobal(start + step));
    QTest::mouseRelease(window, Qt::LeftButton, {}, f.window.mapFromGlobal(start + delta));
    QCOMPARE(f.window.geometry(), expected);
    // Released: moving the pointer on changes nothing.
    QTest::mouseMove(window, f.window.mapFromGlobal(start + delta * 2));
    QCOMPARE(f.window.geometry(), expected);
}

void TestPinnedImageWindow::hoverGivesTheKeyboard_data()
{
    QTest::addColumn<QKeyCombination>("keys");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("copies");
    QTest::newRow("Escape") << QKeyCombination(Qt::Key_Escape) << true << false;
    QTest::newRow("Ctrl+W") << QKeyCombination(Qt::ControlModifier, Qt::Key_W) << true << false;
    QTest::newRow("Ctrl+C") << QKeyCombination(Qt::ControlModifier, Qt::Key_C) << false << true;
    QTest::newRow("W alone") << QKeyCombination(Qt::Key_W) << false << false;
    QTest::newRow("Ctrl+Q") << QKeyCombination(Qt::ControlModifier, Qt::Key_Q) << false << false;
}

void TestPinnedImageWindow::hoverGivesTheKeyboard()
{
    QFETCH(QKeyCombination, keys);
    QFETCH(bool, closes);
    QFETCH(bool, copies);
    PinnedFixture f(quadrantImage(300, 200), QRect(100, 100, 300, 200));
    // Another window has the keyboard, and the pointer rests on it.
    QWidget other;
    other.setGeometry(450, 350, 200, 150);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    // The platform's own pointer, so that it leaves one window and enters the other.
    QCursor::setPos(other.mapToGlobal(QPoint(100, 75)));
    QVERIFY(!f.window.isActiveWindow());

    // The pointer moves onto the pinned window: no click, and the keys go there.
    QCursor::setPos(f.window.mapToGlobal(QPoint(150, 100)));
    QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::focusWindow(), f.window.windowHandle(), test::waitTimeout);
    QTest::keyClick(QGuiApplication::focusWindow(), keys.key(), keys.keyboardModifiers());
    QCOMPARE(f.window.isVisible(), !closes);
    QCOMPARE(f.closedBy, closes ? QList{&f.window} : QList<PinnedImageWindow*>());
    QCOMPARE(f.copied.size(), copies ? 1 : 0);
    QCOMPARE(f.window.image().isNull(), closes); // a closed window lets go of its image
    if (!closes)
        return;
    // Closing again does not notify the owner again, and a closed window copies nothing.
    f.window.close();
    QCOMPARE(f.closedBy.size(), 1);
    QTest::keyClick(&f.window, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(f.copied.isEmpty());
}

QTEST_MAIN(TestPinnedImageWindow)
#include "tst_pinnedimagewindow.moc"
