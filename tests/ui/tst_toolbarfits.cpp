#include "editor/EditorToolState.h"
#include "icons/LucideIcon.h"
#include "support/EditorFixture.h"
#include "support/TestSupport.h"
#include "toolbar/AnnotationToolbar.h"
#include "toolbar/ArrowStylePill.h"
#include "toolbar/ColorPill.h"
#include "toolbar/FontSizePill.h"
#include "toolbar/HoverableToolbarIcon.h"
#include "toolbar/PillPopover.h"
#include "toolbar/PinButton.h"
#include "toolbar/StrokeWidthPill.h"
#include "toolbar/TextStylePill.h"
#include "toolbar/ToolbarOverflowButton.h"
#include "toolbar/ToolbarStyle.h"
#include "toolbar/WhiteStrokeToggle.h"

#include <QLayout>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace velmora;

namespace {

// An editor on a region capture that could show the composite (so the background tool is there),
// with its window exactly `width` points wide.
struct Fixture : test::EditorFixture
{
    explicit Fixture(int width)
        : EditorFixture(test::solidImage(400, 300, Qt::darkCyan),
                        {.backgroundAssets = true, .windowSize = {width, 600}})
    {}

    void resize(int width)
    {
        view->resize(width, 600);
        settle();
    }
};

// Every button the toolbar shows in its own window (the pills' panels are windows of their own).
QList<QAbstractButton*> shownButtons(AnnotationToolbar* toolbar)
{
    QList<QAbstractButton*> buttons;
    for (QAbstractButton* button : toolbar->findChildren<QAbstractButton*>()) {
        if (button->window() == toolbar->window() && button->isVisible()) {
            buttons.append(button);
        }
    }
    return buttons;
}

QRect rectIn(QWidget* ancestor, QWidget* widget)
{
    return {widget->mapTo(ancestor, QPoint(0, 0)), widget->size()};
}

QString describe(QAbstractButton* button)
{
    return button->toolTip().section(QStringLiteral("   "), 0, 0).section(QLatin1Char('\n'), 0, 0);
}

// The control's entry in the open overflow menu, if it has one.
QAction* menuEntry(QMenu* menu, const QString& label)
{
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator() && action->text().section(QLatin1Char('\t'), 0, 0) == label) {
            return action;
        }
    }
    return nullptr;
}

// Clicks a control where a user finds it: in the row when it is shown there, otherwise through the
// "…" menu. False when it is in neither place.
bool trigger(AnnotationToolbar* toolbar, QAbstractButton* control, const QString& label)
{
    if (control->isVisible()) {
        QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
        return true;
    }
    ToolbarOverflowButton* more = toolbar->overflowButton();
    if (!more->isVisible()) {
        return false;
    }
    QTest::mouseClick(more, Qt::LeftButton, {}, more->rect().center());
    QMenu* menu = more->menu();
    if (!QTest::qWaitForWindowExposed(menu)) {
        return false;
    }
    QAction* entry = menuEntry(menu, label);
    if (!entry) {
        menu->close();
        return false;
    }
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
    Fixture::settle();
    return true;
}

// The bounding box of the pixels of `image` inside `area` that differ from `background` by at
// least a quarter of the strongest difference there: the icon, whatever its colour.
QRect inkBox(const QImage& image, const QRect& area, QRgb background)
{
    int strongest = 0;
    const auto difference = [&](QRgb c) {
        return std::max({std::abs(qRed(c) - qRed(background)), std::abs(qGreen(c) - qGreen(background)),
                         std::abs(qBlue(c) - qBlue(background))});
    };
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            strongest = std::max(strongest, difference(image.pixel(x, y)));
        }
    }
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (strongest > 0 && difference(image.pixel(x, y)) * 4 >= strongest) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

// The same for an icon by itself, by its coverage.
QRect inkBox(const QPixmap& icon)
{
    const QImage image = icon.toImage().convertToFormat(QImage::Format_ARGB32);
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) * 4 >= 255) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

// What each toolbar control is called in the row and in the menu, and how to find it.
struct Control
{
    QString label;
    std::function<QAbstractButton*(AnnotationToolbar*)> find;
};

QList<Control> controls()
{
    QList<Control> list;
    for (const AnnotationToolbar::ToolInfo& info : AnnotationToolbar::tools()) {
        const AnnotationTool tool = info.tool;
        list.append(
            {QString::fromLatin1(info.label), [tool](AnnotationToolbar* t) { return t->toolButton(tool); }});
    }
    list.append({QStringLiteral("Clear All"), [](AnnotationToolbar* t) { return t->clearAllButton(); }});
    list.append({QStringLiteral("Stroke width"), [](AnnotationToolbar* t) { return t->strokeWidthPill(); }});
    list.append({QStringLiteral("Arrow style"), [](AnnotationToolbar* t) { return t->arrowStylePill(); }});
    list.append({QStringLiteral("Text size"), [](AnnotationToolbar* t) { return t->fontSizePill(); }});
    list.append({QStringLiteral("Text style"), [](AnnotationToolbar* t) { return t->textStylePill(); }});
    list.append({QStringLiteral("Color"), [](AnnotationToolbar* t) { return t->colorPill(); }});
    list.append({QStringLiteral("Enable white outline"),
                 [](AnnotationToolbar* t) { return t->whiteStrokeToggle(); }});
    list.append({QStringLiteral("Apply Crop"), [](AnnotationToolbar* t) { return t->applyCropButton(); }});
    list.append({QStringLiteral("Undo"), [](AnnotationToolbar* t) { return t->undoButton(); }});
    list.append({QStringLiteral("Redo"), [](AnnotationToolbar* t) { return t->redoButton(); }});
    list.append(
        {QStringLiteral("Background tool"), [](AnnotationToolbar* t) { return t->backgroundToolButton(); }});
    list.append({QStringLiteral("Pin to Screen"), [](AnnotationToolbar* t) { return t->pinButton(); }});
    list.append({QStringLiteral("Copy and Close"), [](AnnotationToolbar* t) { return t->copyButton(); }});
    list.append({QStringLiteral("Save to Disk"), [](AnnotationToolbar* t) { return t->saveButton(); }});
    return list;
}

const QList<int> widths{260, 380, 500, 640, 864, 1000, 1400};

} // namespace

class TestToolbarFits : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void buttonsStayInsideAndApart_data();
    void buttonsStayInsideAndApart();
    void everyControlIsReachable_data();
    void everyControlIsReachable();
    void foldedControlsComeBackWhenWider();
    void iconsAreOneSize_data();
    void iconsAreOneSize();
};

void TestToolbarFits::buttonsStayInsideAndApart_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("cropping");
    for (int width : widths) {
        QTest::addRow("%d", width) << width << false;
        // Cropping adds the apply-crop button, which must find room as well.
        QTest::addRow("%d cropping", width) << width << true;
    }
}

void TestToolbarFits::buttonsStayInsideAndApart()
{
    QFETCH(int, width);
    QFETCH(bool, cropping);
    Fixture f(width);
    if (cropping) {
        f.state().setSelectedTool(AnnotationTool::crop);
        f.state().setCropRect(QRectF(20, 20, 120, 90));
        Fixture::settle();
    }
    QCOMPARE(f.view->width(), width);
    AnnotationToolbar* toolbar = f.toolbar();
    QVERIFY(f.view->rect().contains(toolbar->geometry()));
    QCOMPARE(toolbar->width(), width);

    const QList<QAbstractButton*> buttons = shownButtons(toolbar);
    QVERIFY(buttons.size() >= 4);
    for (int i = 0; i < buttons.size(); ++i) {
        const QRect a = rectIn(toolbar, buttons[i]);
        QVERIFY2(toolbar->rect().contains(a), qPrintable(QStringLiteral("%1 at x %2..%3 leaves the toolbar")
                                                             .arg(describe(buttons[i]))
                                                             .arg(a.left())
                                                             .arg(a.right())));
        for (int j = i + 1; j < buttons.size(); ++j) {
            QVERIFY2(!a.intersects(rectIn(toolbar, buttons[j])),
                     qPrintable(describe(buttons[i]) + QStringLiteral(" overlaps ") + describe(buttons[j])));
        }
    }
}

void TestToolbarFits::everyControlIsReachable_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("control");
    const QList<Control> all = controls();
    for (int width : {380, 500, 640, 864, 1000, 1400}) {
        for (int i = 0; i < all.size(); ++i) {
            QTest::addRow("%d %s", width, qPrintable(all[i].label)) << width << i;
        }
    }
}

void TestToolbarFits::everyControlIsReachable()
{
    QFETCH(int, width);
    QFETCH(int, control);
    const Control c = controls().at(control);
    Fixture f(width);
    QCOMPARE(f.view->width(), width);
    EditorSession& session = *f.session;
    AnnotationToolbar* toolbar = f.toolbar();
    QAbstractButton* button = c.find(toolbar);
    QSignalSpy pins(f.view.get(), &EditorView::pinRequested);
    QSignalSpy copies(f.view.get(), &EditorView::copyRequested);
    QSignalSpy saves(f.view.get(), &EditorView::saveRequested);

    // What each control needs before it can act, and what it then does.
    std::function<bool()> acted;
    const QString& label = c.label;
    if (const auto tool = std::find_if(AnnotationToolbar::tools().begin(), AnnotationToolbar::tools().end(),
                                       [&](const auto& info) { return label == QLatin1String(info.label); });
        tool != AnnotationToolbar::tools().end()) {
        const AnnotationTool wanted = tool->tool;
        f.state().setSelectedTool(wanted == AnnotationTool::select ? AnnotationTool::arrow
                                                                   : AnnotationTool::select);
        acted = [&f, wanted] { return f.state().selectedTool() == wanted; };
    } else if (label == QLatin1String("Clear All") || label == QLatin1String("Undo")) {
        session.pushUndo();
        session.setAnnotations({test::rect(30, 30)});
        acted = [&session] { return session.annotations().isEmpty(); };
    } else if (label == QLatin1String("Redo")) {
        session.pushUndo();
        session.setAnnotations({test::rect(30, 30)});
        session.undo();
        acted = [&session] { return session.annotations().size() == 1; };
    } else if (label == QLatin1String("Apply Crop")) {
        f.state().setSelectedTool(AnnotationTool::crop);
        f.state().setCropRect(QRectF(20, 20, 120, 90));
        acted = [&session] { return session.displaySize() == QSizeF(120, 90); };
    } else if (auto* pill = qobject_cast<PillButton*>(button)) {
        acted = [pill] { return pill->isOpen() && pill->popover()->isVisible(); };
    } else if (label == QLatin1String("Enable white outline")) {
        acted = [&f] { return f.state().annotationHasWhiteStroke(); };
    } else if (label == QLatin1String("Background tool")) {
        acted = [&session] { return session.isBackgroundCompositeEnabled(); };
    } else if (label == QLatin1String("Pin to Screen")) {
        acted = [&pins] { return pins.count() == 1; };
    } else if (label == QLatin1String("Copy and Close")) {
        acted = [&copies] { return copies.count() == 1; };
    } else if (label == QLatin1String("Save to Disk")) {
        acted = [&saves] { return saves.count() == 1; };
    }
    QVERIFY(acted);
    Fixture::settle();
    QVERIFY(!acted());

    QVERIFY2(trigger(toolbar, button, label), "neither in the toolbar nor in its overflow menu");
    QVERIFY(acted());
    if (auto* pill = qobject_cast<PillButton*>(button)) {
        pill->setOpen(false);
    }
}

void TestToolbarFits::foldedControlsComeBackWhenWider()
{
    Fixture f(1400);
    AnnotationToolbar* toolbar = f.toolbar();
    const int everything = int(shownButtons(toolbar).size());
    QVERIFY(toolbar->overflowButton()->isHidden());

    f.resize(640);
    QVERIFY(toolbar->overflowButton()->isVisible());
    QVERIFY(shownButtons(toolbar).size() < everything);
    // Nothing is offered twice: what the menu holds is not in the row.
    QTest::mouseClick(toolbar->overflowButton(), Qt::LeftButton);
    QMenu* menu = toolbar->overflowButton()->menu();
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    for (QAbstractButton* shown : shownButtons(toolbar)) {
        QVERIFY2(!menuEntry(menu, describe(shown)), qPrintable(describe(shown)));
    }
    menu->close();

    f.resize(1400);
    QVERIFY(toolbar->overflowButton()->isHidden());
    QCOMPARE(int(shownButtons(toolbar).size()), everything);

    // Folding starts exactly where the row, all shown, stops fitting: the width worked out for
    // folding is the one the layout needs.
    QCOMPARE(toolbar->layout()->minimumSize().width(), toolbar->sizeHint().width());
    f.resize(toolbar->sizeHint().width());
    QVERIFY(toolbar->overflowButton()->isHidden());
    f.resize(toolbar->sizeHint().width() - 1);
    QVERIFY(toolbar->overflowButton()->isVisible());
}

void TestToolbarFits::iconsAreOneSize_data()
{
    QTest::addColumn<int>("width");
    // Wide: every button in the row; narrow: the "…" button as well.
    QTest::newRow("wide") << 1400;
    QTest::newRow("narrow") << 640;
}

void TestToolbarFits::iconsAreOneSize()
{
    QFETCH(int, width);
    Fixture f(width);
    AnnotationToolbar* toolbar = f.toolbar();
    const QImage shot = toolbar->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(shot.devicePixelRatio(), 1.0);

    int icons = 0;
    for (QAbstractButton* button : shownButtons(toolbar)) {
        // The icon as its file draws it at the toolbar's icon size; pills show faces, not icons.
        QPixmap reference;
        QString name = describe(button);
        if (auto* icon = qobject_cast<HoverableToolbarIcon*>(button)) {
            name = icon->iconName();
            reference = LucideIcon::pixmap(name, Qt::black, toolbarstyle::iconPoints, 1.0);
        } else if (!button->icon().isNull()) {
            reference = button->icon().pixmap(toolbarstyle::iconPoints, toolbarstyle::iconPoints);
        } else {
            continue;
        }
        // Around the button's centre, clear of its rounded corners, with room for an icon larger
        // than it should be; its corner lies on the button's own fill.
        const int side = toolbarstyle::iconPoints + 9;
        QRect area(0, 0, side, side);
        area.moveCenter(rectIn(toolbar, button).center());
        area &= rectIn(toolbar, button);
        const QRgb background = shot.pixel(area.topLeft());
        const QRect drawn = inkBox(shot, area, background);
        const QRect expected = inkBox(reference);
        QVERIFY2(!expected.isEmpty(), qPrintable(name));
        QVERIFY2(std::abs(drawn.width() - expected.width()) <= 1 &&
                     std::abs(drawn.height() - expected.height()) <= 1,
                 qPrintable(QStringLiteral("%1 drawn %2×%3, a %4-point icon is %5×%6")
                                .arg(name)
                                .arg(drawn.width())
                                .arg(drawn.height())
                                .arg(toolbarstyle::iconPoints)
                                .arg(expected.width())
                                .arg(expected.height())));
        ++icons;
    }
    // The eight tools, clear all, undo, redo, background, pin, drag, copy and save when wide.
    // Every icon button of the full row: the pin is a labelled capsule and is left out above.
    QVERIFY(icons >= (width >= 1400 ? 15 : 8));
}

QTEST_MAIN(TestToolbarFits)
#include "tst_toolbarfits.moc"
