#include "editor/BackgroundAssetStore.h"
#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"
#include "preferences/HotkeyPreferences.h"
#include "preferences/SettingsStore.h"
#include "support/TestSupport.h"
#include "toolbar/AnnotationToolbar.h"
#include "toolbar/ArrowStylePill.h"
#include "toolbar/ColorPill.h"
#include "toolbar/ColorSwatchButton.h"
#include "toolbar/FontSizePill.h"
#include "toolbar/HoverableToolbarIcon.h"
#include "toolbar/PillOptionRow.h"
#include "toolbar/PillPopover.h"
#include "toolbar/StrokeWidthPill.h"
#include "toolbar/TextStylePill.h"
#include "toolbar/WhiteStrokeToggle.h"

#include <QApplication>
#include <QColorDialog>
#include <QPainter>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QVBoxLayout>
#include <QtTest>

using namespace velmora;

namespace {

// The rows of an open pill, in popover order.
QVector<PillOptionRow*> rowsOf(PillButton* pill)
{
    QVector<PillOptionRow*> rows;
    QVBoxLayout* layout = pill->popover()->rows();
    for (int i = 0; i < layout->count(); ++i) {
        if (auto* row = qobject_cast<PillOptionRow*>(layout->itemAt(i)->widget())) {
            rows.append(row);
        }
    }
    return rows;
}

QStringList texts(const QVector<PillOptionRow*>& rows)
{
    QStringList list;
    for (const PillOptionRow* row : rows) {
        list.append(row->text());
    }
    return list;
}

QStringList checked(const QVector<PillOptionRow*>& rows)
{
    QStringList list;
    for (const PillOptionRow* row : rows) {
        if (row->isSelected()) {
            list.append(row->text());
        }
    }
    return list;
}

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

QPalette darkPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(32, 32, 35));
    p.setColor(QPalette::WindowText, QColor(236, 236, 240));
    p.setColor(QPalette::Base, QColor(24, 24, 27));
    p.setColor(QPalette::Text, QColor(236, 236, 240));
    p.setColor(QPalette::Button, QColor(44, 44, 48));
    p.setColor(QPalette::ButtonText, QColor(236, 236, 240));
    p.setColor(QPalette::Highlight, QColor(10, 132, 255));
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
}

} // namespace

class TestAnnotationToolbar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void toolButtonsSelectOnlyTheirTool_data();
    void toolButtonsSelectOnlyTheirTool();
    void popoverListsEveryChoiceWithTheCurrentOneChecked_data();
    void popoverListsEveryChoiceWithTheCurrentOneChecked();
    void choosingARowWritesTheSettingAndCloses_data();
    void choosingARowWritesTheSettingAndCloses();
    void sizesOffThePresetsCheckNoRow();
    void clickingTheOpenPillOnlyClosesIt();
    void swatchIsSelectedOnlyForTheExactColour_data();
    void swatchIsSelectedOnlyForTheExactColour();
    void customColourIsTheTenthSwatch();
    void customColourDialogAppliesEveryChangeLive();
    void whiteOutlineToggleFollowsAndWritesTheSetting();
    void backgroundToolFollowsTheSession();
    void actionButtonsAskTheHost_data();
    void actionButtonsAskTheHost();
    void saveToolTipShowsTheShortcutInForce();
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
};

void TestAnnotationToolbar::initTestCase()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

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

void TestAnnotationToolbar::toolButtonsSelectOnlyTheirTool_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("toolTip");
    for (const auto& info : AnnotationToolbar::tools()) {
        QTest::newRow(info.label) << int(&info - AnnotationToolbar::tools().data())
                                  << QString::fromLatin1(info.label) + QStringLiteral("   ") +
                                         QString::fromLatin1(info.letter);
    }
}

void TestAnnotationToolbar::toolButtonsSelectOnlyTheirTool()
{
    QFETCH(int, index);
    const AnnotationTool tool = AnnotationToolbar::tools()[std::size_t(index)].tool;
    QFETCH(QString, toolTip);
    // Start from a different tool so the click has something to change.
    m_state->setSelectedTool(tool == AnnotationTool::text ? AnnotationTool::rect : AnnotationTool::text);

    HoverableToolbarIcon* button = m_toolbar->toolButton(tool);
    QCOMPARE(button->toolTip(), toolTip);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_state->selectedTool(), tool);
    for (const auto& info : AnnotationToolbar::tools()) {
        QCOMPARE(m_toolbar->toolButton(info.tool)->isSelected(), info.tool == tool);
    }
    // A change from elsewhere (a key in the editor) moves the highlight too.
    m_state->setSelectedTool(AnnotationTool::ellipse);
    QVERIFY(m_toolbar->toolButton(AnnotationTool::ellipse)->isSelected());
    QCOMPARE(button->isSelected(), tool == AnnotationTool::ellipse);
}

void TestAnnotationToolbar::popoverListsEveryChoiceWithTheCurrentOneChecked_data()
{
    QTest::addColumn<QString>("pill");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("current");
    const QStringList arrows{QStringLiteral("Filled arrow"),   QStringLiteral("Single head"),
                             QStringLiteral("Sketch arrow"),   QStringLiteral("Sketch double"),
                             QStringLiteral("Line (no head)"), QStringLiteral("Double head")};
    const QStringList textStyles{QStringLiteral("Standard"), QStringLiteral("Rounded"),
                                 QStringLiteral("Outlined"), QStringLiteral("Mono"),
                                 QStringLiteral("Box"),      QStringLiteral("Rounded Box")};
    const QStringList widths{QStringLiteral("1 pt"), QStringLiteral("2 pt"), QStringLiteral("4 pt"),
                             QStringLiteral("6 pt"), QStringLiteral("8 pt"), QStringLiteral("12 pt")};
    const QStringList sizes{QStringLiteral("12 pt"), QStringLiteral("14 pt"), QStringLiteral("18 pt"),
                            QStringLiteral("24 pt"), QStringLiteral("32 pt"), QStringLiteral("48 pt"),
                            QStringLiteral("64 pt")};
    // The defaults: sketch arrows, standard text, 8-point strokes, 32-point text.
    QTest::newRow("arrow style") << "arrow" << arrows << "Sketch arrow";
    QTest::newRow("text style") << "text" << textStyles << "Standard";
    QTest::newRow("stroke width") << "stroke" << widths << "8 pt";
    QTest::newRow("text size") << "size" << sizes << "32 pt";
}

void TestAnnotationToolbar::popoverListsEveryChoiceWithTheCurrentOneChecked()
{
    QFETCH(QString, pill);
    QFETCH(QStringList, rows);
    QFETCH(QString, current);
    m_state->setSelectedTool(AnnotationTool::arrow);
    const std::map<QString, PillButton*> pills{{QStringLiteral("arrow"), m_toolbar->arrowStylePill()},
                                               {QStringLiteral("text"), m_toolbar->textStylePill()},
                                               {QStringLiteral("stroke"), m_toolbar->strokeWidthPill()},
                                               {QStringLiteral("size"), m_toolbar->fontSizePill()}};
    PillButton* button = pills.at(pill);
    QVERIFY(!button->isOpen());
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(button->isOpen());
    QVERIFY(button->popover()->isVisible());
    QCOMPARE(texts(rowsOf(button)), rows);
    QCOMPARE(checked(rowsOf(button)), QStringList{current});
    // The popover opens below the pill.
    QVERIFY(button->popover()->geometry().top() >= button->mapToGlobal(QPoint(0, button->height())).y());
    QTest::keyClick(button->popover(), Qt::Key_Escape);
    QVERIFY(!button->isOpen());
}

void TestAnnotationToolbar::choosingARowWritesTheSettingAndCloses_data()
{
    QTest::addColumn<QString>("pill");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");
    QTest::newRow("stroke width") << "stroke"
                                  << "2 pt"
                                  << "region.strokeWidth" << QVariant(2.0);
    QTest::newRow("text size") << "size"
                               << "64 pt"
                               << "region.fontSize" << QVariant(64.0);
    QTest::newRow("text style") << "text"
                                << "Rounded Box"
                                << "region.textStyle" << QVariant("roundedBox");
    QTest::newRow("arrow style") << "arrow"
                                 << "Double head"
                                 << "annotationArrowStyle" << QVariant("double");
}

void TestAnnotationToolbar::choosingARowWritesTheSettingAndCloses()
{
    QFETCH(QString, pill);
    QFETCH(QString, row);
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    const std::map<QString, PillButton*> pills{{QStringLiteral("arrow"), m_toolbar->arrowStylePill()},
                                               {QStringLiteral("text"), m_toolbar->textStylePill()},
                                               {QStringLiteral("stroke"), m_toolbar->strokeWidthPill()},
                                               {QStringLiteral("size"), m_toolbar->fontSizePill()}};
    PillButton* button = pills.at(pill);
    QTest::mouseClick(button, Qt::LeftButton);
    PillOptionRow* target = nullptr;
    for (PillOptionRow* candidate : rowsOf(button)) {
        if (candidate->text() == row) {
            target = candidate;
        }
    }
    QVERIFY(target);
    QTest::mouseClick(target, Qt::LeftButton);
    QVERIFY(!button->isOpen());
    QVERIFY(!button->popover()->isVisible());
    QCOMPARE(m_settings->value(key).toString(), stored.toString());

    // The state the editor reads, and the pill's face, agree with the store.
    if (pill == QLatin1String("stroke")) {
        QCOMPARE(m_session->strokeWidth(), 2.0);
    } else if (pill == QLatin1String("size")) {
        QCOMPARE(m_session->fontSize(), 64.0);
    } else if (pill == QLatin1String("text")) {
        QCOMPARE(m_session->textStyle(), TextStyle::roundedBox);
    } else {
        QCOMPARE(m_state->arrowStyle(), ArrowStyle::double_);
    }
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(checked(rowsOf(button)), QStringList{row});
}

void TestAnnotationToolbar::sizesOffThePresetsCheckNoRow()
{
    // A selected annotation may carry any width; the pill shows it without claiming a preset.
    m_session->setStrokeWidth(5);
    m_session->setFontSize(32.5);
    QCOMPARE(m_toolbar->strokeWidthPill()->strokeWidth(), 5.0);
    for (PillButton* pill : {static_cast<PillButton*>(m_toolbar->strokeWidthPill()),
                             static_cast<PillButton*>(m_toolbar->fontSizePill())}) {
        QTest::mouseClick(pill, Qt::LeftButton);
        QVERIFY(checked(rowsOf(pill)).isEmpty());
        pill->setOpen(false);
    }
}

void TestAnnotationToolbar::clickingTheOpenPillOnlyClosesIt()
{
    // While a popover is open it receives every press, as the window system routes them to the
    // popup. A press outside closes it, and on X11 is then replayed to what lies under the pointer:
    // on the pill itself that replay must not reopen it.
    ArrowStylePill* pill = m_toolbar->arrowStylePill();
    auto pressThroughPopover = [](PillButton* open, QWidget* target) {
        const QPoint global = target->mapToGlobal(target->rect().center());
        QTest::mousePress(open->popover(), Qt::LeftButton, {}, open->popover()->mapFromGlobal(global));
        QTest::mouseRelease(target, Qt::LeftButton);
    };
    QSignalSpy openChanges(pill, &PillButton::openChanged);
    QTest::mouseClick(pill, Qt::LeftButton);
    QVERIFY(pill->isOpen());
    pressThroughPopover(pill, pill);
    QVERIFY(!pill->isOpen());
    QVERIFY(!pill->popover()->isVisible());
    QCOMPARE(openChanges.count(), 2);
}

void TestAnnotationToolbar::swatchIsSelectedOnlyForTheExactColour_data()
{
    // Components red, green, blue, alpha.
    QTest::addColumn<QList<double>>("components");
    QTest::addColumn<QVector<int>>("selected");
    const QVector<Color>& presets = ColorPill::presets();
    Color nudged = presets[0];
    nudged.green += 1e-9;
    auto row = [](const char* name, const Color& c, QVector<int> selected) {
        QTest::newRow(name) << QList<double>{c.red, c.green, c.blue, c.alpha} << selected;
    };
    row("red preset", presets[0], {0});
    row("near-black preset", presets[7], {7});
    row("white preset", presets[8], {8});
    // Through a 16-bit QColor, 0.1 comes back as 6554 / 65535: a different colour.
    row("near-black rounded by QColor", Color::fromQColor(presets[7].toQColor()), {});
    row("red off by rounding", nudged, {});
    row("not a preset", Color{0.3, 0.6, 0.9, 1}, {});
}

void TestAnnotationToolbar::swatchIsSelectedOnlyForTheExactColour()
{
    QFETCH(QList<double>, components);
    const Color color{components[0], components[1], components[2], components[3]};
    QFETCH(QVector<int>, selected);
    m_state->setAnnotationColor(color);
    QTest::mouseClick(m_toolbar->colorPill(), Qt::LeftButton);
    QCOMPARE(m_toolbar->colorPill()->swatchGrid()->swatches().size(), 9);
    QCOMPARE(selectedSwatches(m_toolbar->colorPill()), selected);
}

void TestAnnotationToolbar::customColourIsTheTenthSwatch()
{
    ColorPill* pill = m_toolbar->colorPill();
    const Color custom{0.25, 0.5, 0.75, 1};
    m_state->setCustomAnnotationColor(custom);
    QTest::mouseClick(pill, Qt::LeftButton);
    const auto swatches = pill->swatchGrid()->swatches();
    QCOMPARE(swatches.size(), 10);
    QCOMPARE(swatches.last()->color(), custom);
    // Ten swatches in rows of five: the custom one ends the second row.
    QCOMPARE(swatches.last()->geometry().top(), swatches[5]->geometry().top());
    QVERIFY(!swatches.last()->isSelected());

    QTest::mouseClick(swatches.last(), Qt::LeftButton);
    QVERIFY(!pill->isOpen());
    QCOMPARE(m_state->annotationColor(), custom);
    QCOMPARE(m_settings->value(QStringLiteral("annotationColor.b")).toDouble(), 0.75);

    QTest::mouseClick(pill, Qt::LeftButton);
    QCOMPARE(selectedSwatches(pill), QVector<int>{9});
    // A preset click replaces the colour, not the custom colour.
    QTest::mouseClick(pill->swatchGrid()->swatches()[4], Qt::LeftButton);
    QCOMPARE(m_state->annotationColor(), ColorPill::presets()[4]);
    QCOMPARE(m_state->customAnnotationColor(), std::optional<Color>(custom));
}

void TestAnnotationToolbar::customColourDialogAppliesEveryChangeLive()
{
    ColorPill* pill = m_toolbar->colorPill();
    // Near-black does not survive a trip through QColor: opening the dialog must not write that
    // rounded copy back as a choice.
    const Color nearBlack = ColorPill::presets()[7];
    m_state->setAnnotationColor(nearBlack);
    QTest::mouseClick(pill, Qt::LeftButton);
    PillOptionRow* custom = rowsOf(pill).value(0);
    QVERIFY(custom);
    QCOMPARE(custom->text(), QStringLiteral("Custom…"));
    QTest::mouseClick(custom, Qt::LeftButton);
    QVERIFY(!pill->isOpen());

    QColorDialog* dialog = pill->colorDialog();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QVERIFY(dialog->testOption(QColorDialog::NoButtons));
    QCOMPARE(dialog->currentColor().rgb(), nearBlack.toQColor().rgb());
    QCOMPARE(m_state->annotationColor(), nearBlack);
    QVERIFY(!m_state->customAnnotationColor());

    for (const QColor& picked : {QColor(12, 200, 90), QColor(200, 30, 140)}) {
        dialog->setCurrentColor(picked);
        QCOMPARE(m_state->annotationColor().toQColor(), picked);
        QCOMPARE(m_state->customAnnotationColor(), std::optional<Color>(m_state->annotationColor()));
        QCOMPARE(m_settings->value(QStringLiteral("customAnnotationColor.g")).toDouble(), picked.greenF());
    }

    QTest::mouseClick(pill, Qt::LeftButton);
    QCOMPARE(pill->swatchGrid()->swatches().size(), 10);
    QCOMPARE(selectedSwatches(pill), QVector<int>{9});
    pill->setOpen(false);

    // Reopening starts from the custom colour even when a preset is in use.
    m_state->setAnnotationColor(ColorPill::presets()[1]);
    pill->openCustomColorPanel();
    QCOMPARE(pill->colorDialog(), dialog);
    QCOMPARE(dialog->currentColor().rgb(), QColor(200, 30, 140).rgb());
    QCOMPARE(m_state->annotationColor(), ColorPill::presets()[1]);
    dialog->close();
}

void TestAnnotationToolbar::whiteOutlineToggleFollowsAndWritesTheSetting()
{
    WhiteStrokeToggle* toggle = m_toolbar->whiteStrokeToggle();
    QVERIFY(!toggle->isOn());
    QCOMPARE(toggle->toolTip(), QStringLiteral("Enable white outline"));
    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(m_state->annotationHasWhiteStroke());
    QCOMPARE(m_settings->value(QStringLiteral("annotationHasWhiteStroke")).toBool(), true);
    QCOMPARE(toggle->toolTip(), QStringLiteral("Disable white outline"));

    m_state->setAnnotationHasWhiteStroke(false);
    QVERIFY(!toggle->isOn());
    QCOMPARE(toggle->toolTip(), QStringLiteral("Enable white outline"));
}

void TestAnnotationToolbar::backgroundToolFollowsTheSession()
{
    QVERIFY(!m_toolbar->showsBackgroundTool());
    QVERIFY(!m_toolbar->backgroundToolButton()->isVisible());

    makeToolbar(CaptureBackgroundAssets{test::solidImage(200, 120, Qt::gray), std::nullopt, 30, true});
    HoverableToolbarIcon* button = m_toolbar->backgroundToolButton();
    QVERIFY(button->isVisible());
    QCOMPARE(button->toolTip(), QStringLiteral("Background tool   G"));
    QVERIFY(!button->isSelected());
    QSignalSpy toggles(m_toolbar.get(), &AnnotationToolbar::compositeToggleRequested);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(toggles.count(), 1);
    m_session->setBackgroundCompositeEnabled(true);
    QVERIFY(button->isSelected());
}

void TestAnnotationToolbar::actionButtonsAskTheHost_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("clear all") << "clear"
                               << "Clear All";
    QTest::newRow("undo") << "undo"
                          << "Undo   Ctrl+Z";
    QTest::newRow("redo") << "redo"
                          << "Redo   Ctrl+Shift+Z";
    QTest::newRow("copy") << "copy"
                          << "Copy and Close   Ctrl+C";
    QTest::newRow("pin") << "pin"
                         << "Pin to Screen   Ctrl+P";
    QTest::newRow("apply crop") << "crop"
                                << "Apply Crop   ↩";
}

void TestAnnotationToolbar::actionButtonsAskTheHost()
{
    QFETCH(QString, button);
    QFETCH(QString, toolTip);
    using Signal = void (AnnotationToolbar::*)();
    const std::map<QString, std::pair<HoverableToolbarIcon*, Signal>> buttons{
        {QStringLiteral("clear"), {m_toolbar->clearAllButton(), &AnnotationToolbar::clearAllRequested}},
        {QStringLiteral("undo"), {m_toolbar->undoButton(), &AnnotationToolbar::undoRequested}},
        {QStringLiteral("redo"), {m_toolbar->redoButton(), &AnnotationToolbar::redoRequested}},
        {QStringLiteral("copy"), {m_toolbar->copyButton(), &AnnotationToolbar::copyRequested}},
        {QStringLiteral("pin"), {m_toolbar->pinButton(), &AnnotationToolbar::pinRequested}},
        {QStringLiteral("crop"), {m_toolbar->applyCropButton(), &AnnotationToolbar::commitCropRequested}}};
    const auto [widget, signal] = buttons.at(button);
    QCOMPARE(widget->toolTip(), toolTip);
    QSignalSpy requests(m_toolbar.get(), signal);

    // Undo and redo wait for history; apply-crop for a crop rectangle.
    if (button == QLatin1String("undo") || button == QLatin1String("redo")) {
        QTest::mouseClick(widget, Qt::LeftButton);
        QCOMPARE(requests.count(), 0);
        m_session->pushUndo();
        if (button == QLatin1String("redo")) {
            m_session->undo();
        }
    }
    if (button == QLatin1String("crop")) {
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

void TestAnnotationToolbar::saveToolTipShowsTheShortcutInForce()
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
    const QPalette palette = dark ? darkPalette() : QApplication::style()->standardPalette();
    QApplication::setPalette(palette);
    m_state->setSelectedTool(AnnotationTool::arrow);
    m_state->setAnnotationHasWhiteStroke(true);
    m_state->setCustomAnnotationColor(Color{0.2, 0.75, 0.7, 1});

    for (PillButton* pill : {static_cast<PillButton*>(m_toolbar->arrowStylePill()),
                             static_cast<PillButton*>(m_toolbar->textStylePill()),
                             static_cast<PillButton*>(m_toolbar->colorPill())}) {
        pill->setOpen(true);
        PillPopover* popover = pill->popover();
        QVERIFY(QTest::qWaitForWindowExposed(popover));
        // The toolbar with the open popover drawn where it sits on screen.
        const QPoint offset = popover->mapToGlobal(QPoint()) - m_toolbar->mapToGlobal(QPoint());
        QImage shot(m_toolbar->width(), offset.y() + popover->height() + 8,
                    QImage::Format_ARGB32_Premultiplied);
        shot.fill(palette.color(QPalette::Base));
        {
            QPainter painter(&shot);
            painter.drawPixmap(0, 0, m_toolbar->grab());
            painter.drawPixmap(offset, popover->grab());
        }
        test::dump(shot, QStringLiteral("toolbar-%1-%2").arg(dark ? "dark" : "light", pill->toolTip()));
        pill->setOpen(false);

        // The bottom hairline: white at 8 % on dark, black at 12 % on light.
        const QImage bar = m_toolbar->grab().toImage();
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
        HoverableToolbarIcon* select = m_toolbar->toolButton(AnnotationTool::select);
        const QImage icon = select->grab().toImage();
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
}

QTEST_MAIN(TestAnnotationToolbar)
#include "tst_annotationtoolbar.moc"
