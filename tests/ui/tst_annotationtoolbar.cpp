#include "editor/BackgroundAssetStore.h"
#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"
#include "preferences/HotkeyPreferences.h"
#include "preferences/SettingsStore.h"
#include "support/EditorFixture.h"
#include "support/TestSupport.h"
#include "toolbar/AnnotationToolbar.h"
#include "toolbar/ArrowStylePill.h"
#include "toolbar/ColorPill.h"
#include "toolbar/ColorSwatchButton.h"
#include "toolbar/FontSizePill.h"
#include "toolbar/HoverableToolbarIcon.h"
#include "toolbar/HsvColorPicker.h"
#include "toolbar/PillOptionRow.h"
#include "toolbar/PillPopover.h"
#include "toolbar/PinButton.h"
#include "toolbar/StrokeWidthPill.h"
#include "toolbar/TextStylePill.h"
#include "toolbar/WhiteStrokeToggle.h"

#include <QApplication>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QtTest>

using namespace velmora;
using velmora::test::checkedRows;
using velmora::test::rowsOf;

namespace {

QVector<int> selectedSwatches(const ColorPill* pill)
{
    QVector<int> indexes;
    const auto& swatches = pill->swatchGrid()->swatches();
    for (int i = 0; i < swatches.size(); ++i) {
        if (swatches[i]->isSelected()) {
            indexes.append(i);
        }
    }
    return indexes;
}

} // namespace

class TestAnnotationToolbar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion"))); }
    void init();
    void cleanup();

    void toolButtonsSelectOnlyTheirTool();
    void pillsShowAndWriteTheirSetting_data();
    void pillsShowAndWriteTheirSetting();
    void pillsShowAWidthThatIsNoPreset();
    void clickingTheOpenPillOnlyClosesIt();
    void swatchIsSelectedOnlyForTheExactColour_data();
    void swatchIsSelectedOnlyForTheExactColour();
    void customColourIsLiveAndTheTenthSwatch();
    void togglesFollowAndWriteTheState();
    void actionButtonsAskTheHost_data();
    void actionButtonsAskTheHost();
    void saveNamesTheShortcutInForce();
    void looksRightInLightAndDark_data();
    void looksRightInLightAndDark();

private:
    std::unique_ptr<test::IsolatedHome> m_home;
    std::unique_ptr<MemorySettingsStore> m_settings;
    std::unique_ptr<BackgroundAssetStore> m_wallpapers;
    std::unique_ptr<EditorSession> m_session;
    std::unique_ptr<EditorToolState> m_state;
    std::unique_ptr<AnnotationToolbar> m_toolbar;

    void makeToolbar(std::optional<CaptureBackgroundAssets> assets = std::nullopt);
    PillButton* pillNamed(const QString& name) const;
    QAbstractButton* actionNamed(const QString& name) const;
};

void TestAnnotationToolbar::init()
{
    m_home = std::make_unique<test::IsolatedHome>();
    m_settings = std::make_unique<MemorySettingsStore>();
    m_wallpapers = std::make_unique<BackgroundAssetStore>(m_home->path() + QStringLiteral("/wallpapers"));
    makeToolbar();
}

void TestAnnotationToolbar::makeToolbar(std::optional<CaptureBackgroundAssets> assets)
{
    m_toolbar.reset();
    m_state.reset();
    m_session =
        std::make_unique<EditorSession>(test::solidImage(200, 120, Qt::gray), CaptureKind::region, assets,
                                        false, EditorSession::Services{*m_settings, *m_wallpapers});
    m_state = std::make_unique<EditorToolState>(*m_settings);
    m_toolbar = std::make_unique<AnnotationToolbar>(m_session.get(), m_state.get());
    m_toolbar->resize(1180, AnnotationToolbar::toolbarHeight);
    m_toolbar->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_toolbar.get()));
}

void TestAnnotationToolbar::cleanup()
{
    m_toolbar.reset();
    m_state.reset();
    m_session.reset();
    QApplication::setPalette(QApplication::style()->standardPalette());
}

void TestAnnotationToolbar::toolButtonsSelectOnlyTheirTool()
{
    // Start from the last tool, so every click has something to change.
    m_state->setSelectedTool(AnnotationToolbar::tools().back().tool);
    for (const auto& clicked : AnnotationToolbar::tools()) {
        QTest::mouseClick(m_toolbar->toolButton(clicked.tool), Qt::LeftButton);
        QCOMPARE(m_state->selectedTool(), clicked.tool);
        for (const auto& info : AnnotationToolbar::tools()) {
            QCOMPARE(m_toolbar->toolButton(info.tool)->isSelected(), info.tool == clicked.tool);
        }
    }
    // A change from elsewhere (a key in the editor) moves the highlight too.
    m_state->setSelectedTool(AnnotationTool::ellipse);
    QVERIFY(m_toolbar->toolButton(AnnotationTool::ellipse)->isSelected());
    QVERIFY(!m_toolbar->toolButton(AnnotationToolbar::tools().back().tool)->isSelected());
}

PillButton* TestAnnotationToolbar::pillNamed(const QString& name) const
{
    const std::map<QString, PillButton*> pills{{"stroke width", m_toolbar->strokeWidthPill()},
                                               {"font size", m_toolbar->fontSizePill()},
                                               {"text style", m_toolbar->textStylePill()},
                                               {"arrow style", m_toolbar->arrowStylePill()},
                                               {"colour", m_toolbar->colorPill()}};
    return pills.at(name);
}

void TestAnnotationToolbar::pillsShowAndWriteTheirSetting_data()
{
    // The pill, its default row, the row chosen, the setting and the value it stores.
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::newRow("stroke width") << "8 pt"
                                  << "2 pt"
                                  << "region.strokeWidth"
                                  << "2";
    QTest::newRow("font size") << "32 pt"
                               << "64 pt"
                               << "region.fontSize"
                               << "64";
    QTest::newRow("text style") << "Standard"
                                << "Rounded Box"
                                << "region.textStyle"
                                << "roundedBox";
    QTest::newRow("arrow style") << "Sketch arrow"
                                 << "Double head"
                                 << "annotationArrowStyle"
                                 << "double";
}

void TestAnnotationToolbar::pillsShowAndWriteTheirSetting()
{
    QFETCH(QString, current);
    QFETCH(QString, chosen);
    QFETCH(QString, key);
    QFETCH(QString, stored);
    m_state->setSelectedTool(AnnotationTool::arrow);
    PillButton* button = pillNamed(QString::fromUtf8(QTest::currentDataTag()));
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(button->isOpen() && button->popover()->isVisible());
    QCOMPARE(checkedRows(button), QStringList{current});
    // The popover opens below the pill, and Escape closes it.
    QVERIFY(button->popover()->geometry().top() >= button->mapToGlobal(QPoint(0, button->height())).y());
    QTest::keyClick(button->popover(), Qt::Key_Escape);
    QVERIFY(!button->isOpen());

    QTest::mouseClick(button, Qt::LeftButton);
    const QVector<PillOptionRow*> rows = rowsOf(button);
    const auto target = std::find_if(rows.begin(), rows.end(), [&](auto* r) { return r->text() == chosen; });
    QVERIFY(target != rows.end());
    QTest::mouseClick(*target, Qt::LeftButton);
    QVERIFY(!button->isOpen() && !button->popover()->isVisible());
    QCOMPARE(m_settings->value(key).toString(), stored);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(checkedRows(button), QStringList{chosen});
    button->setOpen(false);
    // The state the editor reads agrees with the store.
    const std::map<QString, QString> read{{"stroke width", QString::number(m_session->strokeWidth())},
                                          {"font size", QString::number(m_session->fontSize())},
                                          {"text style", rawValue(m_session->textStyle())},
                                          {"arrow style", rawValue(m_state->arrowStyle())}};
    QCOMPARE(read.at(QString::fromUtf8(QTest::currentDataTag())), stored);
}

void TestAnnotationToolbar::pillsShowAWidthThatIsNoPreset()
{
    // A selected annotation may carry any width; the pill shows it without claiming a preset.
    m_session->setStrokeWidth(5);
    m_session->setFontSize(32.5);
    QCOMPARE(m_toolbar->strokeWidthPill()->strokeWidth(), 5.0);
    for (PillButton* button :
         std::initializer_list<PillButton*>{m_toolbar->strokeWidthPill(), m_toolbar->fontSizePill()}) {
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(checkedRows(button).isEmpty());
        button->setOpen(false);
    }
}

void TestAnnotationToolbar::clickingTheOpenPillOnlyClosesIt()
{
    // While a popover is open it receives every press, as the window system routes them to the
    // popup. A press outside closes it, and on X11 is then replayed to what lies under the pointer:
    // on the pill itself that replay must not reopen it.
    ArrowStylePill* pill = m_toolbar->arrowStylePill();
    QSignalSpy openChanges(pill, &PillButton::openChanged);
    QTest::mouseClick(pill, Qt::LeftButton);
    QVERIFY(pill->isOpen());
    const QPoint global = pill->mapToGlobal(pill->rect().center());
    QTest::mousePress(pill->popover(), Qt::LeftButton, {}, pill->popover()->mapFromGlobal(global));
    QTest::mouseRelease(pill, Qt::LeftButton);
    QVERIFY(!pill->isOpen());
    QVERIFY(!pill->popover()->isVisible());
    QCOMPARE(openChanges.count(), 2);
}

void TestAnnotationToolbar::swatchIsSelectedOnlyForTheExactColour_data()
{
    QTest::addColumn<Color>("color");
    QTest::addColumn<QVector<int>>("selected");
    const QVector<Color>& presets = ColorPill::presets();
    Color nudged = presets[0];
    nudged.green += 1e-9;
    QTest::newRow("red preset") << presets[0] << QVector<int>{0};
    QTest::newRow("near-black preset") << presets[7] << QVector<int>{7};
    QTest::newRow("white preset") << presets[8] << QVector<int>{8};
    // Near-black through a 16-bit QColor: 0.1 comes back as 6554 / 65535.
    QTest::newRow("near-black through QColor") << Color::fromQColor(presets[7].toQColor()) << QVector<int>{};
    QTest::newRow("red off by rounding") << nudged << QVector<int>{};
    QTest::newRow("no preset") << Color{0.3, 0.6, 0.9, 1} << QVector<int>{};
}

void TestAnnotationToolbar::swatchIsSelectedOnlyForTheExactColour()
{
    QFETCH(Color, color);
    QFETCH(QVector<int>, selected);
    ColorPill* pill = m_toolbar->colorPill();
    m_state->setAnnotationColor(color);
    QTest::mouseClick(pill, Qt::LeftButton);
    QCOMPARE(pill->swatchGrid()->swatches().size(), 9);
    QCOMPARE(selectedSwatches(pill), selected);
    pill->setOpen(false);
}

void TestAnnotationToolbar::customColourIsLiveAndTheTenthSwatch()
{
    ColorPill* pill = m_toolbar->colorPill();
    // Near-black does not survive a trip through QColor: opening the picker must not write that
    // rounded copy back as a choice.
    const Color nearBlack = ColorPill::presets()[7];
    m_state->setAnnotationColor(nearBlack);
    QTest::mouseClick(pill, Qt::LeftButton);
    QVERIFY(!rowsOf(pill).isEmpty());
    QTest::mouseClick(rowsOf(pill).first(), Qt::LeftButton); // "Custom…"
    QVERIFY(!pill->isOpen());
    HsvColorPicker* picker = pill->colorPicker();
    QVERIFY(picker && picker->isVisible());
    QCOMPARE(picker->currentColor().rgb(), nearBlack.toQColor().rgb());
    QCOMPARE(m_state->annotationColor(), nearBlack);
    QVERIFY(!m_state->customAnnotationColor());

    for (const QColor& picked : {QColor(12, 200, 90), QColor(200, 30, 140)}) {
        picker->setCurrentColor(picked);
        QCOMPARE(m_state->annotationColor().toQColor(), picked);
        QCOMPARE(m_state->customAnnotationColor(), std::optional<Color>(m_state->annotationColor()));
        QCOMPARE(m_settings->value(QStringLiteral("customAnnotationColor.g")).toDouble(), picked.greenF());
    }
    const Color custom = m_state->annotationColor();

    // The custom colour is the tenth swatch, ending the second row of five.
    QTest::mouseClick(pill, Qt::LeftButton);
    const auto swatches = pill->swatchGrid()->swatches();
    QCOMPARE(swatches.size(), 10);
    QCOMPARE(swatches.last()->color(), custom);
    QCOMPARE(swatches.last()->geometry().top(), swatches[5]->geometry().top());
    QCOMPARE(selectedSwatches(pill), QVector<int>{9});
    // A preset click replaces the colour, not the custom colour; the tenth swatch brings it back.
    QTest::mouseClick(swatches[4], Qt::LeftButton);
    QCOMPARE(m_state->annotationColor(), ColorPill::presets()[4]);
    QCOMPARE(m_state->customAnnotationColor(), std::optional<Color>(custom));
    QTest::mouseClick(pill, Qt::LeftButton);
    QTest::mouseClick(pill->swatchGrid()->swatches().last(), Qt::LeftButton);
    QVERIFY(!pill->isOpen());
    QCOMPARE(m_state->annotationColor(), custom);
    QCOMPARE(m_settings->value(QStringLiteral("annotationColor.b")).toDouble(), custom.blue);

    // Reopening the picker starts from the custom colour even when a preset is in use.
    m_state->setAnnotationColor(ColorPill::presets()[1]);
    pill->openCustomColorPanel();
    QCOMPARE(pill->colorPicker(), picker);
    QCOMPARE(picker->currentColor().rgb(), QColor(200, 30, 140).rgb());
    QCOMPARE(m_state->annotationColor(), ColorPill::presets()[1]);
    pill->customColorPopover()->hide();
}

void TestAnnotationToolbar::togglesFollowAndWriteTheState()
{
    WhiteStrokeToggle* toggle = m_toolbar->whiteStrokeToggle();
    QVERIFY(!toggle->isOn());
    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(m_state->annotationHasWhiteStroke());
    QCOMPARE(m_settings->value(QStringLiteral("annotationHasWhiteStroke")).toBool(), true);
    m_state->setAnnotationHasWhiteStroke(false);
    QVERIFY(!toggle->isOn());

    // The background tool shows only when there is something to compose, lit while it is on.
    QVERIFY(!m_toolbar->showsBackgroundTool());
    QVERIFY(!m_toolbar->backgroundToolButton()->isVisible());

    makeToolbar(CaptureBackgroundAssets{test::solidImage(200, 120, Qt::gray), std::nullopt, 30, true});
    HoverableToolbarIcon* button = m_toolbar->backgroundToolButton();
    QVERIFY(button->isVisible() && !button->isSelected());
    QSignalSpy toggles(m_toolbar.get(), &AnnotationToolbar::compositeToggleRequested);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(toggles.count(), 1);
    m_session->setBackgroundCompositeEnabled(true);
    QVERIFY(button->isSelected());
}

QAbstractButton* TestAnnotationToolbar::actionNamed(const QString& name) const
{
    const std::map<QString, QAbstractButton*> actions{{"clear all", m_toolbar->clearAllButton()},
                                                      {"copy", m_toolbar->copyButton()},
                                                      {"pin", m_toolbar->pinButton()},
                                                      {"undo", m_toolbar->undoButton()},
                                                      {"redo", m_toolbar->redoButton()},
                                                      {"apply crop", m_toolbar->applyCropButton()}};
    return actions.at(name);
}

using ToolbarSignal = void (AnnotationToolbar::*)();

void TestAnnotationToolbar::actionButtonsAskTheHost_data()
{
    QTest::addColumn<ToolbarSignal>("signal");
    QTest::newRow("clear all") << &AnnotationToolbar::clearAllRequested;
    QTest::newRow("copy") << &AnnotationToolbar::copyRequested;
    QTest::newRow("pin") << &AnnotationToolbar::pinRequested;
    QTest::newRow("undo") << &AnnotationToolbar::undoRequested;
    QTest::newRow("redo") << &AnnotationToolbar::redoRequested;
    QTest::newRow("apply crop") << &AnnotationToolbar::commitCropRequested;
}

void TestAnnotationToolbar::actionButtonsAskTheHost()
{
    QFETCH(ToolbarSignal, signal);
    const QString name = QString::fromUtf8(QTest::currentDataTag());
    QAbstractButton* widget = actionNamed(name);
    QSignalSpy requests(m_toolbar.get(), signal);
    // Undo waits for history, redo for an undone step, apply-crop for a crop rectangle.
    if (name == "undo" || name == "redo") {
        QTest::mouseClick(widget, Qt::LeftButton);
        QCOMPARE(requests.count(), 0);
        m_session->pushUndo();
        if (name == "redo") {
            m_session->undo();
        }
    } else if (name == "apply crop") {
        QVERIFY(!widget->isVisible());
        m_state->setSelectedTool(AnnotationTool::crop);
        QVERIFY(!widget->isVisible());
        m_state->setCropRect(QRectF(10, 10, 50, 40));
        QVERIFY(widget->isVisible());
    }
    QVERIFY(widget->isEnabled());
    QTest::mouseClick(widget, Qt::LeftButton);
    QCOMPARE(requests.count(), 1);
}

void TestAnnotationToolbar::saveNamesTheShortcutInForce()
{
    QCOMPARE(m_toolbar->saveButton()->toolTip(), QStringLiteral("Save to Disk   Ctrl+S"));
    HotkeyPreferences hotkeys(*m_settings);
    m_toolbar->setHotkeyPreferences(&hotkeys);
    hotkeys.set(Hotkey{1, Hotkey::command | Hotkey::shift}, HotkeyPreferences::Action::saveToDisk);
    QCOMPARE(m_toolbar->saveButton()->toolTip(), QStringLiteral("Save to Disk   Ctrl+Shift+S"));
    hotkeys.set(std::nullopt, HotkeyPreferences::Action::saveToDisk);
    QCOMPARE(m_toolbar->saveButton()->toolTip(), QStringLiteral("Save to Disk"));
    QSignalSpy saves(m_toolbar.get(), &AnnotationToolbar::saveRequested);
    QTest::mouseClick(m_toolbar->saveButton(), Qt::LeftButton);
    QCOMPARE(saves.count(), 1);
}

void TestAnnotationToolbar::looksRightInLightAndDark_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("light") << false;
    QTest::newRow("dark") << true;
}

void TestAnnotationToolbar::looksRightInLightAndDark()
{
    QFETCH(bool, dark);
    QPalette darkPalette(QColor(44, 44, 48), QColor(32, 32, 35));
    darkPalette.setColor(QPalette::Highlight, QColor(10, 132, 255));
    const QPalette palette = dark ? darkPalette : QApplication::style()->standardPalette();
    QApplication::setPalette(palette);
    m_state->setSelectedTool(AnnotationTool::arrow);
    m_state->setAnnotationHasWhiteStroke(true);
    m_state->setCustomAnnotationColor(Color{0.2, 0.75, 0.7, 1});
    for (PillButton* pill : std::initializer_list<PillButton*>{
             m_toolbar->arrowStylePill(), m_toolbar->textStylePill(), m_toolbar->colorPill()}) {
        pill->setOpen(true);
        QVERIFY(QTest::qWaitForWindowExposed(pill->popover()));
        test::dump(pill->popover()->grab().toImage(),
                   QStringLiteral("toolbar-%1-%2").arg(dark ? "dark" : "light", pill->toolTip()));
        pill->setOpen(false);
    }

    // The bottom hairline: white at 8 % on dark, black at 12 % on light.
    const QImage bar = m_toolbar->grab().toImage();
    test::dump(bar, QStringLiteral("toolbar-%1").arg(dark ? "dark" : "light"));
    const QColor window = palette.color(QPalette::Window);
    const QColor line = bar.pixelColor(bar.width() / 2, bar.height() - 1);
    const int expected =
        dark ? qRound(window.red() + (255 - window.red()) * 0.08) : qRound(window.red() * 0.88);
    QVERIFY2(std::abs(line.red() - expected) <= 2, qPrintable(QString::number(line.red())));
    // The selected tool is filled with the accent colour.
    HoverableToolbarIcon* arrow = m_toolbar->toolButton(AnnotationTool::arrow);
    const QPoint corner = arrow->mapTo(m_toolbar.get(), QPoint(6, arrow->height() / 2));
    QCOMPARE(bar.pixelColor(corner).rgb(), palette.color(QPalette::Highlight).rgb());
    // Icons follow the palette's text colour, also after the palette changed under them: the
    // select tool's strokes are nearer the text colour than the toolbar's background.
    const QImage icon = m_toolbar->toolButton(AnnotationTool::select)->grab().toImage();
    const int text = palette.color(QPalette::WindowText).lightness();
    int strokePixels = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const int lightness = icon.pixelColor(x, y).lightness();
            strokePixels += std::abs(lightness - text) < std::abs(lightness - window.lightness()) ? 1 : 0;
        }
    }
    QVERIFY2(strokePixels > 15, qPrintable(QString::number(strokePixels)));
}

QTEST_MAIN(TestAnnotationToolbar)
#include "tst_annotationtoolbar.moc"
