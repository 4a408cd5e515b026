#include "editor/BackgroundAssetStore.h"
#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"
#include "preferences/SettingsStore.h"
#include "sidebar/AddSwatchButton.h"
#include "sidebar/BackgroundThumbnail.h"
#include "sidebar/ColorSwatchThumbnail.h"
#include "sidebar/ImageEditorSidebar.h"
#include "sidebar/SidebarBackgroundPickerRow.h"
#include "sidebar/SidebarSlider.h"
#include "sidebar/SidebarSliderRow.h"
#include "support/TestSupport.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QColorDialog>
#include <QLineEdit>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <map>
#include <memory>
#include <tuple>

using namespace velmora;

namespace {

const QStringList backgroundRows{"Corner Radius", "Padding", "Inset", "Shadow", "Background Image Blur"};

// A session over isolated settings and a wallpaper folder of its own, with the sidebar shown.
struct Fixture
{
    explicit Fixture(bool composite, CaptureKind kind = CaptureKind::region,
                     std::optional<QImage> desktopWallpaper = std::nullopt, int height = 1100)
    {
        const QImage image = test::solidImage(400, 300, QColor(40, 120, 200));
        session = std::make_unique<EditorSession>(image, kind,
                                                  CaptureBackgroundAssets{image, desktopWallpaper, 30, true},
                                                  composite, EditorSession::Services{settings, wallpapers});
        sidebar = std::make_unique<ImageEditorSidebar>(session.get(), &tools);
        sidebar->resize(ImageEditorSidebar::sidebarWidth, height);
        sidebar->show();
        QVERIFY(QTest::qWaitForWindowExposed(sidebar.get()));
    }

    SidebarSliderRow* row(const QString& label) const { return sidebar->sliderRow(label); }
    SidebarBackgroundPickerRow* picker() const { return sidebar->backgroundPicker(); }

    test::IsolatedHome home;
    QTemporaryDir dir;
    MemorySettingsStore settings;
    BackgroundAssetStore wallpapers{dir.filePath(QStringLiteral("wallpapers"))};
    EditorToolState tools{settings};
    std::unique_ptr<EditorSession> session;
    std::unique_ptr<ImageEditorSidebar> sidebar;
};

double sessionValue(const EditorSession& session, const QString& label)
{
    static const std::map<QString, double (EditorSession::*)() const> getters{
        {"Pixel Size", &EditorSession::blurRadius},
        {"Corner Radius", &EditorSession::contentCornerRadius},
        {"Padding", &EditorSession::contentPadding},
        {"Inset", &EditorSession::contentInset},
        {"Shadow", &EditorSession::windowCaptureShadow},
        {"Background Image Blur", &EditorSession::windowCaptureBackgroundBlur}};
    return (session.*getters.at(label))();
}

QPointF firstOrigin(const EditorSession& session)
{
    return std::get<RectAnnotation>(session.annotations().front()).origin;
}

void click(QWidget* widget, QPoint at = {})
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at.isNull() ? widget->rect().center() : at);
}

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

// Exactly one thumbnail, the one for `selection`, carries the selection ring, drawn in the
// highlight colour.
void verifyOnlySelected(SidebarBackgroundPickerRow* picker, const BackgroundSelection& selection)
{
    BackgroundThumbnail* chosen = picker->thumbnail(selection);
    QVERIFY(chosen);
    for (const auto& [choice, thumbnail] : picker->thumbnails()) {
        QCOMPARE(thumbnail->isSelected(), thumbnail == chosen);
    }
    const QImage pixels = chosen->grab().toImage();
    const QColor ring = pixels.pixelColor(int(pixels.width() / 2), int(1 * pixels.devicePixelRatio()));
    const QColor highlight = chosen->palette().color(QPalette::Highlight);
    QVERIFY2(std::abs(ring.red() - highlight.red()) < 40 && std::abs(ring.blue() - highlight.blue()) < 40,
             qPrintable(ring.name()));
}

} // namespace

class TestImageEditorSidebar : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(QApplication::style()->standardPalette());
    }
    void visibilityFollowsToolAndComposite();
    void keysMoveTheBoundField_data();
    void keysMoveTheBoundField();
    void paddingFollowsDragWheelAndSession();
    void resetRestoresDefaultsAndUndoes_data();
    void resetRestoresDefaultsAndUndoes();
    void choosingAndAddingBackgrounds();
    void removingCustomColors_data();
    void removingCustomColors();
    void addingACustomColorOpensALiveDialog();
    void gridsStayEvenWithAScrollBar();
    void lookInLightAndDark_data();
    void lookInLightAndDark();
};

void TestImageEditorSidebar::visibilityFollowsToolAndComposite()
{
    Fixture f(false);
    const QStringList pixel{"Pixel Size"};
    for (const auto& [tool, composite, rows] :
         std::initializer_list<std::tuple<AnnotationTool, bool, QStringList>>{
             {AnnotationTool::blur, false, pixel},
             {AnnotationTool::arrow, false, {}},
             {AnnotationTool::rect, true, backgroundRows},
             {AnnotationTool::blur, true, pixel + backgroundRows},
             {AnnotationTool::blur, false, pixel}}) {
        f.tools.setSelectedTool(tool);
        f.session->setBackgroundCompositeEnabled(composite);
        QStringList shown;
        for (SidebarSliderRow* row : f.sidebar->sliderRows()) {
            if (row->isVisibleTo(f.sidebar.get())) {
                shown << row->label();
            }
        }
        QCOMPARE(shown, rows);
        QCOMPARE(f.picker()->isVisibleTo(f.sidebar.get()), composite);
        QCOMPARE(f.sidebar->resetButton()->isVisibleTo(f.sidebar.get()), composite);
    }
}

void TestImageEditorSidebar::keysMoveTheBoundField_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("presses");
    QTest::addColumn<double>("expected");
    // Defaults: blur 10, corner 24, padding 50, inset 0, shadow 7, background blur 0.
    QTest::newRow("padding 50 -> 62.5") << "Padding" << int(Qt::Key_Right) << 25 << 62.5;
    QTest::newRow("pixel size to its top") << "Pixel Size" << int(Qt::Key_End) << 1 << 30.0;
    QTest::newRow("pixel size to its bottom") << "Pixel Size" << int(Qt::Key_Home) << 1 << 2.0;
    QTest::newRow("corner radius down") << "Corner Radius" << int(Qt::Key_Left) << 3 << 22.5;
    QTest::newRow("inset page up") << "Inset" << int(Qt::Key_PageUp) << 1 << 6.0;
    QTest::newRow("shadow to its top") << "Shadow" << int(Qt::Key_End) << 1 << 40.0;
    QTest::newRow("background blur up") << "Background Image Blur" << int(Qt::Key_Right) << 3 << 1.5;
}

void TestImageEditorSidebar::keysMoveTheBoundField()
{
    QFETCH(QString, label);
    QFETCH(int, key);
    QFETCH(int, presses);
    QFETCH(double, expected);

    Fixture f(true);
    f.tools.setSelectedTool(AnnotationTool::blur);
    f.session->setAnnotations({test::rect(100, 100)});
    SidebarSliderRow* row = f.row(label);
    QVERIFY(row);
    row->slider()->setFocus();
    for (int i = 0; i < presses; ++i) {
        QTest::keyClick(row->slider(), Qt::Key(key));
    }

    QCOMPARE(sessionValue(*f.session, label), expected);
    QCOMPARE(row->valueText(), QString::asprintf("%.1f", expected));
    // Every row still shows its own field; the padding and inset move the annotations with them.
    for (const QString& other : QStringList{"Pixel Size"} + backgroundRows) {
        QCOMPARE(sessionValue(*f.session, other), f.row(other)->value());
    }
    // They move with the content, which the composite places on whole pixels.
    const double shift = f.session->contentOffset() - 50;
    QCOMPARE(shift, std::round(f.session->contentPadding()) - 50 + std::round(f.session->contentInset()));
    QCOMPARE(firstOrigin(*f.session), QPointF(100 + shift, 100 + shift));
    // Slider moves are settings, not edits: nothing was recorded for undo.
    QVERIFY(!f.session->canUndo());
}

void TestImageEditorSidebar::paddingFollowsDragWheelAndSession()
{
    Fixture f(true);
    f.session->setAnnotations({test::rect(100, 100)});
    SidebarSliderRow* row = f.row(QStringLiteral("Padding"));
    SidebarSlider* slider = row->slider();

    // An unfocused slider lets the wheel go on to the scroll area.
    const auto wheelOverSlider = [&] {
        const QPointF at = slider->rect().center();
        QWheelEvent wheel(at, slider->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(slider, &wheel);
        return wheel.isAccepted();
    };
    QVERIFY(!wheelOverSlider());
    QCOMPARE(f.session->contentPadding(), 50.0);

    // Dragging 12.5 % of the way: the session follows while the drag happens, not only on release.
    const double span = slider->grooveRect().width() - slider->handleRect().width();
    const QPoint start = slider->handleRect().center();
    const QPoint end = start + QPoint(int(std::lround(12.5 / 100 * span)), 0);
    QSignalSpy changes(f.session.get(), &EditorSession::contentPaddingChanged);
    QTest::mousePress(slider, Qt::LeftButton, {}, start);
    QTest::mouseMove(slider, start + QPoint(3, 0));
    QTest::mouseMove(slider, end);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, end);
    QVERIFY(changes.count() >= 2);
    const double padding = f.session->contentPadding();
    QVERIFY2(std::abs(padding - 62.5) <= 100 / span + 0.1, qPrintable(QString::number(padding)));
    QCOMPARE(row->valueText(), QString::asprintf("%.1f", padding));
    const double moved = std::round(padding) - 50; // the content moves by whole pixels
    QCOMPARE(firstOrigin(*f.session), QPointF(100 + moved, 100 + moved));

    // Once the user has picked the slider, the wheel is for it.
    f.sidebar->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.sidebar.get()));
    slider->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(slider->hasFocus(), test::waitTimeout);
    QVERIFY(wheelOverSlider());
    QVERIFY(f.session->contentPadding() < padding);

    // A value beyond the slider's range is held to it, in the session and on the row alike.
    f.session->setContentPadding(150);
    QCOMPARE(f.session->contentPadding(), 100.0);
    QCOMPARE(row->valueText(), QStringLiteral("100.0"));
    QCOMPARE(slider->value(), slider->maximum());
}

void TestImageEditorSidebar::resetRestoresDefaultsAndUndoes_data()
{
    QTest::addColumn<CaptureKind>("kind");
    QTest::addColumn<double>("padding");
    QTest::addColumn<double>("corner");
    QTest::newRow("region") << CaptureKind::region << 50.0 << 24.0;
    QTest::newRow("window") << CaptureKind::window << 45.0 << 0.0;
}

void TestImageEditorSidebar::resetRestoresDefaultsAndUndoes()
{
    QFETCH(CaptureKind, kind);
    QFETCH(double, padding);
    QFETCH(double, corner);
    Fixture f(true, kind);
    const auto gradient = BackgroundSelection::gradient(BackgroundGradientPreset::mintBreeze);
    f.session->setContentPadding(80);
    f.session->setContentCornerRadius(12);
    f.session->setWindowCaptureShadow(30);
    f.session->setBackgroundSelection(gradient);
    f.session->setBlurRadius(30);
    const auto expectShown = [&](double padding, double corner, double shadow) {
        QCOMPARE(f.session->contentPadding(), padding);
        QCOMPARE(f.row(QStringLiteral("Padding"))->value(), padding);
        QCOMPARE(f.row(QStringLiteral("Corner Radius"))->value(), corner);
        QCOMPARE(f.row(QStringLiteral("Shadow"))->value(), shadow);
    };
    click(f.sidebar->resetButton());
    expectShown(padding, corner, 7);
    QCOMPARE(f.row(QStringLiteral("Pixel Size"))->value(), 10.0);
    QVERIFY(f.session->isBackgroundCompositeEnabled());
    verifyOnlySelected(f.picker(), BackgroundSelection::desktopWallpaper());
    f.session->undo();
    expectShown(80, 12, 30);
    verifyOnlySelected(f.picker(), gradient);
}

void TestImageEditorSidebar::choosingAndAddingBackgrounds()
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

void TestImageEditorSidebar::removingCustomColors_data()
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

void TestImageEditorSidebar::removingCustomColors()
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

void TestImageEditorSidebar::addingACustomColorOpensALiveDialog()
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

void TestImageEditorSidebar::gridsStayEvenWithAScrollBar()
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

void TestImageEditorSidebar::lookInLightAndDark_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("light") << false;
    QTest::newRow("dark") << true;
}

void TestImageEditorSidebar::lookInLightAndDark()
{
    QFETCH(bool, dark);
    const QPalette light = QApplication::palette();
    QApplication::setPalette(dark ? QPalette(QColor(58, 58, 63), QColor(40, 40, 44)) : light);
    const auto restore = qScopeGuard([&] { QApplication::setPalette(light); });
    // The dark one also shows the placeholder of a desktop picture that is not there yet.
    Fixture f(true, CaptureKind::region,
              dark ? std::nullopt : std::optional(test::solidImage(320, 200, QColor(90, 110, 160))));
    f.tools.setSelectedTool(AnnotationTool::blur);

    const QImage image = f.sidebar->grab().toImage();
    test::dump(image, dark ? QStringLiteral("sidebar-dark") : QStringLiteral("sidebar-light"));
    // The panel is drawn in the palette's window colour: dark stays dark, light stays light.
    const QColor panel = image.pixelColor(image.width() - 4, image.height() - 4);
    QCOMPARE(panel.lightnessF() < 0.5, dark);
    QCOMPARE(image.width(), int(ImageEditorSidebar::sidebarWidth * image.devicePixelRatio()));
}

QTEST_MAIN(TestImageEditorSidebar)
#include "tst_imageeditorsidebar.moc"
