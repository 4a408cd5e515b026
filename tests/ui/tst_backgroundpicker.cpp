#include "SidebarFixture.h"
#include "sidebar/AddSwatchButton.h"
#include "sidebar/ColorSwatchThumbnail.h"
#include "support/TestSupport.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QColorDialog>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;
using Fixture = velmora::test::SidebarFixture;
using velmora::test::click;
using velmora::test::verifyOnlySelected;

// The sidebar's background picker: its thumbnails, the wallpapers and colours added to it.

namespace {

void clickBadge(BackgroundThumbnail* thumbnail)
{
    QVERIFY(thumbnail);
    QCoreApplication::processEvents(); // let a grid that just grew settle
    QVERIFY(thumbnail->isVisible());
    const QPoint badge = thumbnail->badgeRect().center().toPoint();
    // Come in from outside, as a pointer does: the badge shows only on hover.
    QTest::mouseMove(thumbnail->window(), QPoint(1, 1));
    QTest::mouseMove(thumbnail, thumbnail->rect().center());
    QTest::mouseMove(thumbnail, badge);
    QTRY_VERIFY_WITH_TIMEOUT(thumbnail->isBadgeShown(), test::waitTimeout);
    click(thumbnail, badge);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestBackgroundPicker : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(QApplication::style()->standardPalette());
    }
    void choosingAndAddingBackgrounds();
    void removingCustomColors_data();
    void removingCustomColors();
    void addingACustomColorOpensALiveDialog();
    void gridsStayEvenWithAScrollBar();
};

void TestBackgroundPicker::choosingAndAddingBackgrounds()
{
    Fixture f(true, CaptureKind::region, test::solidImage(160, 100, QColor(90, 60, 140)));
    const BackgroundSelection desktop = BackgroundSelection::desktopWallpaper();
    f.session->setBackgroundSelection(desktop);
    for (const BackgroundSelection& selection :
         {BackgroundSelection::preset(BackgroundColorPreset::coral),
          BackgroundSelection::gradient(BackgroundGradientPreset::oceanWhisper),
          BackgroundSelection::autoColor(), BackgroundSelection::autoGradient(),
          BackgroundSelection::transparent(),
          BackgroundSelection::customColor(QStringLiteral("default-custom-color")), desktop}) {
        BackgroundThumbnail* thumbnail = f.picker()->thumbnail(selection);
        QVERIFY2(thumbnail, qPrintable(selection.persistenceValue()));
        click(thumbnail);
        QCOMPARE(f.session->backgroundSelection(), selection);
        QCOMPARE(f.settings.value(QStringLiteral("region.backgroundSelection")).toString(),
                 selection.persistenceValue());
        verifyOnlySelected(f.picker(), selection);
    }
    // The desktop thumbnail shows the picture behind the capture.
    const QImage pixels = f.picker()->thumbnail(desktop)->grab().toImage();
    QCOMPARE(pixels.pixelColor(pixels.rect().center()), QColor(90, 60, 140));

    // Cancelling the wallpaper chooser changes nothing.
    QList<QUrl> answer;
    f.sidebar->setWallpaperChooser([&](QWidget*) { return answer; });
    click(f.picker()->addWallpaperButton());
    QVERIFY(f.session->userWallpaperItems().isEmpty());
    QCOMPARE(f.session->backgroundSelection(), desktop);

    // A text file comes first: the first picture (red) is what becomes the background.
    QTemporaryDir source;
    QFile text(source.filePath(QStringLiteral("notes.txt")));
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a picture") > 0);
    text.close();
    answer = {QUrl::fromLocalFile(text.fileName())};
    for (const auto& [name, color] :
         {std::pair{"red.png", QColor(220, 40, 40)}, std::pair{"green.JPG", QColor(40, 200, 60)},
          std::pair{"blue.png", QColor(40, 60, 220)}}) {
        QVERIFY(test::solidImage(64, 40, color).save(source.filePath(QLatin1String(name))));
        answer.append(QUrl::fromLocalFile(source.filePath(QLatin1String(name))));
    }
    click(f.picker()->addWallpaperButton());
    const auto items = f.session->userWallpaperItems();
    QCOMPARE(items.size(), 3);
    const BackgroundSelection selection = f.session->backgroundSelection();
    const auto isChosen = [&](const BackgroundWallpaperItem& item) { return item.id == selection.itemId(); };
    const auto chosen = std::find_if(items.begin(), items.end(), isChosen);
    QVERIFY(selection.kind() == BackgroundSelection::Kind::userWallpaper && chosen != items.end());
    QCOMPARE(chosen->image.pixelColor(10, 10), QColor(220, 40, 40));
    verifyOnlySelected(f.picker(), selection);

    // Removing another wallpaper keeps the choice; removing the chosen one falls back to the desktop.
    clickBadge(f.picker()->thumbnail(
        BackgroundSelection::userWallpaper(std::find_if_not(items.begin(), items.end(), isChosen)->id)));
    QCOMPARE(f.session->userWallpaperItems().size(), 2);
    QCOMPARE(f.session->backgroundSelection(), selection);
    clickBadge(f.picker()->thumbnail(selection));
    QCOMPARE(f.session->userWallpaperItems().size(), 1);
    QVERIFY(!f.picker()->thumbnail(selection));
    verifyOnlySelected(f.picker(), desktop);
}

void TestBackgroundPicker::removingCustomColors_data()
{
    // Colours in the list, the selected one, the removed one, and the one selected after
    // (-1 for white).
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("removed");
    QTest::addColumn<int>("expected");
    QTest::newRow("the selected middle one: the one before") << 3 << 1 << 1 << 0;
    QTest::newRow("the selected first one: the next") << 3 << 0 << 0 << 1;
    QTest::newRow("another one: the choice stays") << 3 << 2 << 0 << 2;
    QTest::newRow("the only one: white") << 1 << 0 << 0 << -1;
}

void TestBackgroundPicker::removingCustomColors()
{
    QFETCH(int, count);
    QFETCH(int, selected);
    QFETCH(int, removed);
    QFETCH(int, expected);
    Fixture f(true);
    QVector<BackgroundColorItem> items;
    for (int i = 0; i < count; ++i) {
        items.append(BackgroundColorItem::make(QStringLiteral("c%1").arg(i), Color::grey(0.2 + 0.2 * i)));
    }
    f.session->setCustomBackgroundColors(items);
    f.session->setBackgroundSelection(BackgroundSelection::customColor(items[selected].id));
    const auto removedChoice = BackgroundSelection::customColor(items[removed].id);
    clickBadge(f.picker()->thumbnail(removedChoice));

    QCOMPARE(f.session->customBackgroundColors().size(), count - 1);
    QVERIFY(!f.picker()->thumbnail(removedChoice));
    const auto want = expected < 0 ? BackgroundSelection::preset(BackgroundColorPreset::white)
                                   : BackgroundSelection::customColor(items[expected].id);
    QCOMPARE(f.session->backgroundSelection(), want);
    verifyOnlySelected(f.picker(), want);
}

void TestBackgroundPicker::addingACustomColorOpensALiveDialog()
{
    Fixture f(true);
    // Without custom colours the new one starts from the default, selected, in a modeless dialog.
    f.session->setCustomBackgroundColors({});
    click(f.picker()->addColorButton());
    QCOMPARE(f.session->customBackgroundColors().size(), 1);
    const auto choice = BackgroundSelection::customColor(f.session->customBackgroundColors()[0].id);
    QCOMPARE(f.session->customBackgroundColors()[0].color().toQColor().name(), QStringLiteral("#d4e3f7"));
    QCOMPARE(f.session->backgroundSelection(), choice);
    verifyOnlySelected(f.picker(), choice);
    QColorDialog* dialog = f.sidebar->colorDialog();
    QVERIFY(dialog && QTest::qWaitForWindowExposed(dialog) && !dialog->isModal());
    QCOMPARE(dialog->currentColor().name(), QStringLiteral("#d4e3f7"));

    // Typing into the dialog's hex field updates the same swatch in place.
    auto* swatch = qobject_cast<ColorSwatchThumbnail*>(f.picker()->thumbnail(choice));
    QVERIFY(swatch);
    QLineEdit* hex = nullptr;
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
        hex = qobject_cast<QAbstractSpinBox*>(edit->parentWidget()) ? hex : edit;
    }
    QVERIFY(hex);
    hex->setFocus();
    hex->selectAll();
    QTest::keyClicks(hex, QStringLiteral("#336699"));
    QCOMPARE(f.session->customBackgroundColors().size(), 1);
    QCOMPARE(f.session->customBackgroundColors()[0].color().hexRgb(), QStringLiteral("#336699"));
    QCOMPARE(f.picker()->thumbnail(choice), swatch);
    QCOMPARE(swatch->color().hexRgb(), QStringLiteral("#336699"));

    // Working elsewhere closes the dialog.
    f.sidebar->activateWindow();
    QTRY_VERIFY_WITH_TIMEOUT(!f.sidebar->colorDialog(), test::waitTimeout);

    // With custom colours the new one copies the first, not the last.
    f.session->setCustomBackgroundColors(
        f.session->customBackgroundColors() +
        QVector<BackgroundColorItem>{BackgroundColorItem::make("black", Color::black())});
    click(f.picker()->addColorButton());
    QCOMPARE(f.session->customBackgroundColors().size(), 3);
    QCOMPARE(f.session->customBackgroundColors().back().color().hexRgb(), QStringLiteral("#336699"));
    QVERIFY(f.sidebar->colorDialog());
    QCOMPARE(f.sidebar->colorDialog()->currentColor().name(), QStringLiteral("#336699"));
}

void TestBackgroundPicker::gridsStayEvenWithAScrollBar()
{
    // Short enough that the content scrolls: the scroll bar takes width from the grids.
    Fixture f(true, CaptureKind::region, std::nullopt, 420);
    f.tools.setSelectedTool(AnnotationTool::blur);
    auto* scrollArea = f.sidebar->findChild<QScrollArea*>();
    QTRY_VERIFY_WITH_TIMEOUT(scrollArea->verticalScrollBar()->isVisible(), test::waitTimeout);
    QWidget* viewport = scrollArea->viewport();
    const int viewportRight = viewport->mapTo(f.sidebar.get(), QPoint(viewport->width(), 0)).x();

    // Square swatches of one size in the colour grid, from the automatic colour to the add swatch.
    const QSize first = f.picker()->thumbnail(BackgroundSelection::autoColor())->size();
    QVERIFY(std::abs(first.width() - first.height()) <= 1);
    QCOMPARE(f.picker()->addColorButton()->height(), first.height());
    for (const auto& [selection, thumbnail] : f.picker()->thumbnails()) {
        const QRect inSidebar(thumbnail->mapTo(f.sidebar.get(), QPoint(0, 0)), thumbnail->size());
        QVERIFY2(inSidebar.right() < viewportRight, qPrintable(selection.persistenceValue()));
        QVERIFY(inSidebar.width() >= 26);
        if (selection.kind() == BackgroundSelection::Kind::preset) {
            QVERIFY(std::abs(thumbnail->width() - first.width()) <= 1);
            QCOMPARE(thumbnail->height(), first.height());
        }
    }
}

QTEST_MAIN(TestBackgroundPicker)
#include "tst_backgroundpicker.moc"
