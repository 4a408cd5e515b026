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
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <memory>

using namespace velmora;

Q_DECLARE_METATYPE(velmora::BackgroundSelection)
Q_DECLARE_METATYPE(velmora::Color)
Q_DECLARE_METATYPE(velmora::AnnotationTool)
Q_DECLARE_METATYPE(velmora::CaptureKind)

namespace {

const QStringList backgroundRows{QStringLiteral("Corner Radius"), QStringLiteral("Padding"),
                                 QStringLiteral("Inset"), QStringLiteral("Shadow"),
                                 QStringLiteral("Background Image Blur")};

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
        ok = QTest::qWaitForWindowExposed(sidebar.get());
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
    bool ok = false;
};

double sessionValue(const EditorSession& session, const QString& label)
{
    if (label == QLatin1String("Pixel Size")) {
        return session.blurRadius();
    }
    if (label == QLatin1String("Corner Radius")) {
        return session.contentCornerRadius();
    }
    if (label == QLatin1String("Padding")) {
        return session.contentPadding();
    }
    if (label == QLatin1String("Inset")) {
        return session.contentInset();
    }
    if (label == QLatin1String("Shadow")) {
        return session.windowCaptureShadow();
    }
    return session.windowCaptureBackgroundBlur();
}

RectAnnotation rectAt(double x, double y)
{
    RectAnnotation r;
    r.id = QUuid::createUuid();
    r.origin = {x, y};
    r.size = {40, 30};
    return r;
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
    // Let a grid that just grew settle, so the thumbnail is where the pointer will go.
    QCoreApplication::processEvents();
    QVERIFY(thumbnail->isVisible());
    const QPoint badge = thumbnail->badgeRect().center().toPoint();
    // Come in from outside, as a pointer does: the badge shows only while hovering.
    QTest::mouseMove(thumbnail->window(), QPoint(1, 1));
    QTest::mouseMove(thumbnail, thumbnail->rect().center());
    QTest::mouseMove(thumbnail, badge);
    QTRY_VERIFY(thumbnail->isBadgeShown());
    click(thumbnail, badge);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Exactly one thumbnail, the one for `selection`, carries the selection ring, and the ring is
// drawn in the highlight colour.
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

void writeImage(const QString& path, QColor color)
{
    QVERIFY(test::solidImage(64, 40, color).save(path));
}

QPalette darkPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(40, 40, 44));
    p.setColor(QPalette::WindowText, QColor(235, 235, 240));
    p.setColor(QPalette::Base, QColor(28, 28, 31));
    p.setColor(QPalette::AlternateBase, QColor(48, 48, 52));
    p.setColor(QPalette::Text, QColor(235, 235, 240));
    p.setColor(QPalette::Button, QColor(58, 58, 63));
    p.setColor(QPalette::ButtonText, QColor(235, 235, 240));
    p.setColor(QPalette::Highlight, QColor(64, 140, 255));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::PlaceholderText, QColor(235, 235, 240, 140));
    p.setColor(QPalette::ToolTipBase, QColor(58, 58, 63));
    p.setColor(QPalette::ToolTipText, QColor(235, 235, 240));
    return p;
}

} // namespace

class TestImageEditorSidebar : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void visibilityFollowsToolAndComposite_data();
    void visibilityFollowsToolAndComposite();
    void keysMoveTheBoundField_data();
    void keysMoveTheBoundField();
    void draggingPaddingMovesAnnotations();
    void sessionChangesAreShownNotEchoed();
    void wheelScrollsPastUnfocusedSliders();
    void resetRestoresDefaultsAndUndoes_data();
    void resetRestoresDefaultsAndUndoes();
    void clickingAThumbnailSelectsIt_data();
    void clickingAThumbnailSelectsIt();
    void removingCustomColors_data();
    void removingCustomColors();
    void addingACustomColorOpensALiveDialog_data();
    void addingACustomColorOpensALiveDialog();
    void addingAndRemovingWallpapers();
    void gridsStayEvenWithAScrollBar();
    void lookInLightAndDark();
};

void TestImageEditorSidebar::initTestCase()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
}

void TestImageEditorSidebar::visibilityFollowsToolAndComposite_data()
{
    QTest::addColumn<AnnotationTool>("tool");
    QTest::addColumn<bool>("composite");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("blur, composite off") << AnnotationTool::blur << false << QStringList{"Pixel Size"};
    QTest::newRow("arrow, composite off") << AnnotationTool::arrow << false << QStringList{};
    QTest::newRow("blur, composite on")
        << AnnotationTool::blur << true << QStringList{"Pixel Size"} + backgroundRows;
    QTest::newRow("rect, composite on") << AnnotationTool::rect << true << backgroundRows;
}

void TestImageEditorSidebar::visibilityFollowsToolAndComposite()
{
    QFETCH(AnnotationTool, tool);
    QFETCH(bool, composite);
    QFETCH(QStringList, rows);

    // Start from the opposite state so the change signals, not the constructor, decide.
    Fixture f(!composite);
    QVERIFY(f.ok);
    f.tools.setSelectedTool(tool == AnnotationTool::blur ? AnnotationTool::arrow : AnnotationTool::blur);
    f.session->toggleBackgroundComposite();
    f.tools.setSelectedTool(tool);

    QStringList shown;
    for (SidebarSliderRow* row : f.sidebar->sliderRows()) {
        if (row->isVisibleTo(f.sidebar.get())) {
            shown << row->label();
        }
    }
    QCOMPARE(shown, rows);
    QCOMPARE(f.sidebar->showsBackgroundControls(), composite);
    QCOMPARE(f.picker()->isVisibleTo(f.sidebar.get()), composite);
    QCOMPARE(f.sidebar->resetButton()->isVisibleTo(f.sidebar.get()), composite);
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
    QVERIFY(f.ok);
    f.tools.setSelectedTool(AnnotationTool::blur);
    f.session->setAnnotations({rectAt(100, 100)});
    SidebarSliderRow* row = f.row(label);
    QVERIFY(row);
    const double paddingBefore = f.session->contentPadding();

    row->slider()->setFocus();
    for (int i = 0; i < presses; ++i) {
        QTest::keyClick(row->slider(), Qt::Key(key));
    }

    QCOMPARE(sessionValue(*f.session, label), expected);
    QCOMPARE(row->valueText(), QString::asprintf("%.1f", expected));
    // Only the bound field moved; the padding moves the annotations with it.
    for (const QString& other : QStringList{"Pixel Size"} + backgroundRows) {
        if (other != label) {
            QCOMPARE(sessionValue(*f.session, other), f.row(other)->value());
        }
    }
    const double shift = f.session->contentPadding() - paddingBefore + f.session->contentInset();
    QCOMPARE(firstOrigin(*f.session), QPointF(100 + shift, 100 + shift));
    // Slider moves are settings, not edits: nothing was recorded for undo.
    QVERIFY(!f.session->canUndo());
}

void TestImageEditorSidebar::draggingPaddingMovesAnnotations()
{
    Fixture f(true);
    QVERIFY(f.ok);
    f.session->setAnnotations({rectAt(100, 100)});
    SidebarSliderRow* row = f.row(QStringLiteral("Padding"));
    SidebarSlider* slider = row->slider();
    QCOMPARE(f.session->contentPadding(), 50.0);

    const QRect handle = slider->handleRect();
    const QRect groove = slider->grooveRect();
    const double span = groove.width() - handle.width();
    const QPoint start = handle.center();
    const QPoint end = start + QPoint(int(std::lround(12.5 / 100 * span)), 0);
    QSignalSpy changes(f.session.get(), &EditorSession::contentPaddingChanged);
    QTest::mousePress(slider, Qt::LeftButton, {}, start);
    QTest::mouseMove(slider, start + QPoint(3, 0));
    QTest::mouseMove(slider, end);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, end);

    // The session follows the drag while it happens, not only on release.
    QVERIFY(changes.count() >= 2);
    const double padding = f.session->contentPadding();
    QVERIFY2(std::abs(padding - 62.5) <= 100 / span + 0.1, qPrintable(QString::number(padding)));
    QCOMPARE(row->valueText(), QString::asprintf("%.1f", padding));
    QCOMPARE(firstOrigin(*f.session), QPointF(100 + padding - 50, 100 + padding - 50));
}

void TestImageEditorSidebar::sessionChangesAreShownNotEchoed()
{
    Fixture f(true);
    QVERIFY(f.ok);
    SidebarSliderRow* row = f.row(QStringLiteral("Padding"));
    QSignalSpy changes(f.session.get(), &EditorSession::contentPaddingChanged);

    f.session->setContentPadding(75);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(row->valueText(), QStringLiteral("75.0"));
    QCOMPARE(row->slider()->value(), 750);

    // A stored value beyond the slider's range is shown as it is and not clamped back.
    f.session->setContentPadding(150);
    QCOMPARE(changes.count(), 2);
    QCOMPARE(f.session->contentPadding(), 150.0);
    QCOMPARE(row->valueText(), QStringLiteral("150.0"));
    QCOMPARE(row->slider()->value(), row->slider()->maximum());
}

void TestImageEditorSidebar::wheelScrollsPastUnfocusedSliders()
{
    Fixture f(true);
    QVERIFY(f.ok);
    SidebarSlider* slider = f.row(QStringLiteral("Padding"))->slider();
    // Returns whether the slider took the event; an ignored wheel event goes on to the scroll area.
    const auto wheelOverSlider = [&] {
        const QPointF at = slider->rect().center();
        QWheelEvent wheel(at, slider->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(slider, &wheel);
        return wheel.isAccepted();
    };

    QVERIFY(!wheelOverSlider());
    QCOMPARE(f.session->contentPadding(), 50.0);

    // Once the user has picked the slider, the wheel is for it.
    f.sidebar->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.sidebar.get()));
    slider->setFocus();
    QTRY_VERIFY(slider->hasFocus());
    QVERIFY(wheelOverSlider());
    QVERIFY(f.session->contentPadding() < 50.0);
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
    QVERIFY(f.ok);
    const auto gradient = BackgroundSelection::gradient(BackgroundGradientPreset::mintBreeze);
    f.session->setContentPadding(80);
    f.session->setContentCornerRadius(12);
    f.session->setWindowCaptureShadow(30);
    f.session->setBackgroundSelection(gradient);

    QAbstractButton* reset = f.sidebar->resetButton();
    QCOMPARE(reset->text(), QStringLiteral("Reset"));
    QCOMPARE(reset->toolTip(), QStringLiteral("Reset background settings to defaults"));
    click(reset);

    QCOMPARE(f.session->contentPadding(), padding);
    QCOMPARE(f.row(QStringLiteral("Padding"))->valueText(), QString::asprintf("%.1f", padding));
    QCOMPARE(f.row(QStringLiteral("Corner Radius"))->value(), corner);
    QCOMPARE(f.row(QStringLiteral("Shadow"))->valueText(), QStringLiteral("7.0"));
    verifyOnlySelected(f.picker(), BackgroundSelection::desktopWallpaper());

    f.session->undo();
    QCOMPARE(f.session->contentPadding(), 80.0);
    QCOMPARE(f.row(QStringLiteral("Padding"))->valueText(), QStringLiteral("80.0"));
    QCOMPARE(f.row(QStringLiteral("Corner Radius"))->valueText(), QStringLiteral("12.0"));
    QCOMPARE(f.row(QStringLiteral("Shadow"))->valueText(), QStringLiteral("30.0"));
    verifyOnlySelected(f.picker(), gradient);
}

void TestImageEditorSidebar::clickingAThumbnailSelectsIt_data()
{
    QTest::addColumn<BackgroundSelection>("selection");
    QTest::addColumn<QString>("toolTip");

    const QString autoTip = QStringLiteral("Auto — adapts to the image colors");
    QTest::newRow("preset") << BackgroundSelection::preset(BackgroundColorPreset::coral) << "Coral";
    QTest::newRow("last preset") << BackgroundSelection::preset(BackgroundColorPreset::charcoal)
                                 << "Charcoal";
    QTest::newRow("gradient") << BackgroundSelection::gradient(BackgroundGradientPreset::oceanWhisper)
                              << "Ocean Whisper";
    QTest::newRow("last gradient") << BackgroundSelection::gradient(BackgroundGradientPreset::neonCitrus)
                                   << "Neon Citrus";
    QTest::newRow("auto colour") << BackgroundSelection::autoColor() << autoTip;
    QTest::newRow("auto gradient") << BackgroundSelection::autoGradient() << autoTip;
    QTest::newRow("transparent") << BackgroundSelection::transparent() << "Transparent";
    QTest::newRow("custom colour") << BackgroundSelection::customColor(QStringLiteral("default-custom-color"))
                                   << "#D3E2F7";
}

void TestImageEditorSidebar::clickingAThumbnailSelectsIt()
{
    QFETCH(BackgroundSelection, selection);
    QFETCH(QString, toolTip);

    Fixture f(true, CaptureKind::region, test::solidImage(160, 100, QColor(90, 60, 140)));
    QVERIFY(f.ok);
    f.session->setBackgroundSelection(BackgroundSelection::desktopWallpaper());
    BackgroundThumbnail* thumbnail = f.picker()->thumbnail(selection);
    QVERIFY(thumbnail);
    QCOMPARE(thumbnail->toolTip(), toolTip);

    click(thumbnail);
    QCOMPARE(f.session->backgroundSelection(), selection);
    QCOMPARE(f.settings.value(QStringLiteral("region.backgroundSelection")).toString(),
             selection.persistenceValue());
    verifyOnlySelected(f.picker(), selection);

    // And back to the desktop picture, whose thumbnail shows the picture behind the capture.
    BackgroundThumbnail* desktop = f.picker()->thumbnail(BackgroundSelection::desktopWallpaper());
    click(desktop);
    verifyOnlySelected(f.picker(), BackgroundSelection::desktopWallpaper());
    const QImage pixels = desktop->grab().toImage();
    QCOMPARE(pixels.pixelColor(pixels.rect().center()), QColor(90, 60, 140));
}

void TestImageEditorSidebar::removingCustomColors_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("removed");
    QTest::addColumn<int>("expected"); // index into the original list, -1 for white

    QTest::newRow("selected middle -> first") << 3 << 1 << 1 << 0;
    QTest::newRow("selected first -> new first") << 3 << 0 << 0 << 1;
    QTest::newRow("unselected leaves selection") << 3 << 2 << 0 << 2;
    QTest::newRow("last one -> white") << 1 << 0 << 0 << -1;
}

void TestImageEditorSidebar::removingCustomColors()
{
    QFETCH(int, count);
    QFETCH(int, selected);
    QFETCH(int, removed);
    QFETCH(int, expected);

    Fixture f(true);
    QVERIFY(f.ok);
    QVector<BackgroundColorItem> items;
    for (int i = 0; i < count; ++i) {
        items.append(BackgroundColorItem::make(QStringLiteral("c%1").arg(i), Color::grey(0.2 + 0.2 * i)));
    }
    f.session->setCustomBackgroundColors(items);
    f.session->setBackgroundSelection(BackgroundSelection::customColor(items[selected].id));
    QSignalSpy rebuilt(f.session.get(), &EditorSession::customBackgroundColorsChanged);

    auto* target = f.picker()->thumbnail(BackgroundSelection::customColor(items[removed].id));
    QVERIFY(target);
    QVERIFY(target->isRemovable());
    clickBadge(target);

    QCOMPARE(rebuilt.count(), 1);
    QCOMPARE(f.session->customBackgroundColors().size(), count - 1);
    QVERIFY(!f.picker()->thumbnail(BackgroundSelection::customColor(items[removed].id)));
    const BackgroundSelection want = expected < 0 ? BackgroundSelection::preset(BackgroundColorPreset::white)
                                                  : BackgroundSelection::customColor(items[expected].id);
    QCOMPARE(f.session->backgroundSelection(), want);
    verifyOnlySelected(f.picker(), want);
}

void TestImageEditorSidebar::addingACustomColorOpensALiveDialog_data()
{
    QTest::addColumn<bool>("hasColors");
    QTest::addColumn<Color>("start");

    QTest::newRow("copies the first custom colour") << true << Color{0.5, 0.25, 0.75, 1};
    QTest::newRow("default without custom colours") << false << Color{0.83, 0.89, 0.97, 1};
}

void TestImageEditorSidebar::addingACustomColorOpensALiveDialog()
{
    QFETCH(bool, hasColors);
    QFETCH(Color, start);

    Fixture f(true);
    QVERIFY(f.ok);
    QVector<BackgroundColorItem> items;
    if (hasColors) {
        items = {BackgroundColorItem::make(QStringLiteral("first"), start),
                 BackgroundColorItem::make(QStringLiteral("second"), Color::black())};
    }
    f.session->setCustomBackgroundColors(items);

    click(f.picker()->addColorButton());
    QCOMPARE(f.session->customBackgroundColors().size(), items.size() + 1);
    const BackgroundColorItem added = f.session->customBackgroundColors().back();
    QCOMPARE(added.color(), start);
    QCOMPARE(f.session->backgroundSelection(), BackgroundSelection::customColor(added.id));
    verifyOnlySelected(f.picker(), BackgroundSelection::customColor(added.id));

    QColorDialog* dialog = f.sidebar->colorDialog();
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QVERIFY(dialog->testOption(QColorDialog::NoButtons));
    QVERIFY(!dialog->isModal());
    QCOMPARE(dialog->currentColor().name(), start.toQColor().name());

    // Type a colour into the dialog's hex field: the swatch follows every keystroke that makes a
    // valid colour, in place.
    auto* swatch = qobject_cast<ColorSwatchThumbnail*>(
        f.picker()->thumbnail(BackgroundSelection::customColor(added.id)));
    QVERIFY(swatch);
    QLineEdit* hex = nullptr;
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
        if (!qobject_cast<QAbstractSpinBox*>(edit->parentWidget())) {
            hex = edit;
        }
    }
    QVERIFY(hex);
    hex->setFocus();
    hex->selectAll();
    QTest::keyClicks(hex, QStringLiteral("#336699"));
    const Color typed = f.session->customBackgroundColors().back().color();
    QCOMPARE(typed.hexRgb(), QStringLiteral("#336699"));
    QCOMPARE(f.session->customBackgroundColors().back().id, added.id);
    QCOMPARE(f.picker()->thumbnail(BackgroundSelection::customColor(added.id)), swatch);
    QCOMPARE(swatch->color().hexRgb(), QStringLiteral("#336699"));

    // Working elsewhere closes the dialog.
    f.sidebar->activateWindow();
    QTRY_VERIFY(!f.sidebar->colorDialog());
}

void TestImageEditorSidebar::addingAndRemovingWallpapers()
{
    Fixture f(true);
    QVERIFY(f.ok);
    QTemporaryDir source;
    const QString text = source.filePath(QStringLiteral("notes.txt"));
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    writeImage(source.filePath(QStringLiteral("red.png")), QColor(220, 40, 40));
    writeImage(source.filePath(QStringLiteral("green.JPG")), QColor(40, 200, 60));
    writeImage(source.filePath(QStringLiteral("blue.png")), QColor(40, 60, 220));

    int asked = 0;
    QList<QUrl> answer;
    f.sidebar->setWallpaperChooser([&](QWidget* parent) {
        ++asked;
        Q_ASSERT(parent == f.sidebar.get());
        return answer;
    });

    // Cancelling changes nothing.
    click(f.picker()->addWallpaperButton());
    QCOMPARE(asked, 1);
    QVERIFY(f.session->userWallpaperItems().isEmpty());
    QCOMPARE(f.session->backgroundSelection(), BackgroundSelection::desktopWallpaper());

    answer = {QUrl::fromLocalFile(text), QUrl::fromLocalFile(source.filePath(QStringLiteral("red.png"))),
              QUrl::fromLocalFile(source.filePath(QStringLiteral("green.JPG"))),
              QUrl::fromLocalFile(source.filePath(QStringLiteral("blue.png")))};
    click(f.picker()->addWallpaperButton());
    QCOMPARE(asked, 2);
    QCOMPARE(f.session->userWallpaperItems().size(), 3);

    // The first imported picture (red; the text file is not a picture) becomes the background.
    const BackgroundSelection selection = f.session->backgroundSelection();
    QCOMPARE(selection.kind(), BackgroundSelection::Kind::userWallpaper);
    const auto items = f.session->userWallpaperItems();
    const auto chosen = std::find_if(items.begin(), items.end(), [&](const BackgroundWallpaperItem& item) {
        return item.id == selection.itemId();
    });
    QVERIFY(chosen != items.end());
    QCOMPARE(chosen->image.pixelColor(10, 10), QColor(220, 40, 40));
    verifyOnlySelected(f.picker(), selection);

    // Removing another wallpaper keeps the choice; removing the chosen one falls back to the desktop.
    const auto other = std::find_if(items.begin(), items.end(), [&](const BackgroundWallpaperItem& item) {
        return item.id != selection.itemId();
    });
    clickBadge(f.picker()->thumbnail(BackgroundSelection::userWallpaper(other->id)));
    QCOMPARE(f.session->userWallpaperItems().size(), 2);
    QCOMPARE(f.session->backgroundSelection(), selection);

    clickBadge(f.picker()->thumbnail(selection));
    QCOMPARE(f.session->userWallpaperItems().size(), 1);
    QVERIFY(!f.picker()->thumbnail(selection));
    verifyOnlySelected(f.picker(), BackgroundSelection::desktopWallpaper());
}

void TestImageEditorSidebar::gridsStayEvenWithAScrollBar()
{
    // Short enough that the content scrolls: the scroll bar takes width from the grids.
    Fixture f(true, CaptureKind::region, std::nullopt, 420);
    QVERIFY(f.ok);
    f.tools.setSelectedTool(AnnotationTool::blur);
    auto* scrollArea = f.sidebar->findChild<QScrollArea*>();
    QTRY_VERIFY(scrollArea->verticalScrollBar()->isVisible());
    const int viewportRight =
        scrollArea->viewport()->mapTo(f.sidebar.get(), QPoint(scrollArea->viewport()->width(), 0)).x();

    for (const auto& [selection, thumbnail] : f.picker()->thumbnails()) {
        const QRect inSidebar(thumbnail->mapTo(f.sidebar.get(), QPoint(0, 0)), thumbnail->size());
        QVERIFY2(inSidebar.right() < viewportRight, qPrintable(selection.persistenceValue()));
        QVERIFY(inSidebar.width() >= 26);
    }
    // Square swatches of one size in the colour grid, from the automatic colour to the add swatch.
    const QSize first = f.picker()->thumbnail(BackgroundSelection::autoColor())->size();
    QVERIFY(std::abs(first.width() - first.height()) <= 1);
    for (const auto& [selection, thumbnail] : f.picker()->thumbnails()) {
        if (selection.kind() == BackgroundSelection::Kind::preset) {
            QVERIFY(std::abs(thumbnail->width() - first.width()) <= 1);
            QCOMPARE(thumbnail->height(), first.height());
        }
    }
    QCOMPARE(f.picker()->addColorButton()->height(), first.height());
}

void TestImageEditorSidebar::lookInLightAndDark()
{
    const QPalette light = QApplication::palette();
    QImage wallpaper(320, 200, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < wallpaper.height(); ++y) {
        for (int x = 0; x < wallpaper.width(); ++x) {
            wallpaper.setPixelColor(x, y, QColor(30 + x / 2, 60 + y / 2, 160));
        }
    }
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? darkPalette() : light);
        // The dark one also shows the placeholder of a desktop picture that is not there yet.
        Fixture f(true, CaptureKind::region, dark ? std::nullopt : std::optional(wallpaper));
        QVERIFY(f.ok);
        f.tools.setSelectedTool(AnnotationTool::blur);
        f.session->setCustomBackgroundColors(
            {BackgroundColorItem::make(QStringLiteral("a"), Color{0.83, 0.89, 0.97, 1}),
             BackgroundColorItem::make(QStringLiteral("b"), Color{0.9, 0.4, 0.3, 0.6})});
        f.session->setBackgroundSelection(
            BackgroundSelection::gradient(BackgroundGradientPreset::sunsetGlow));
        QTemporaryDir source;
        writeImage(source.filePath(QStringLiteral("a.png")), QColor(240, 180, 90));
        f.session->addWallpapers({QUrl::fromLocalFile(source.filePath(QStringLiteral("a.png")))});
        f.session->setBackgroundSelection(
            BackgroundSelection::gradient(BackgroundGradientPreset::sunsetGlow));
        QTest::mouseMove(f.picker()->thumbnail(BackgroundSelection::customColor(QStringLiteral("b"))));
        QCoreApplication::processEvents();

        const QImage image = f.sidebar->grab().toImage();
        test::dump(image, dark ? QStringLiteral("sidebar-dark") : QStringLiteral("sidebar-light"));
        // The panel is drawn in the palette's window colour: dark stays dark, light stays light.
        const QColor panel = image.pixelColor(image.width() - 4, image.height() - 4);
        QCOMPARE(panel.lightnessF() < 0.5, dark);
        QCOMPARE(image.width(), int(ImageEditorSidebar::sidebarWidth * image.devicePixelRatio()));
    }
    QApplication::setPalette(light);
}

QTEST_MAIN(TestImageEditorSidebar)
#include "tst_imageeditorsidebar.moc"
