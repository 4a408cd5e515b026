#include "preferences/AboutPreferencesView.h"
#include "preferences/ElidedLabel.h"
#include "preferences/GeneralPreferences.h"
#include "preferences/GeneralPreferencesView.h"
#include "preferences/HotkeyPreferences.h"
#include "preferences/HotkeyRecorderButton.h"
#include "preferences/HotkeysPreferencesView.h"
#include "preferences/IconButton.h"
#include "preferences/PreferencesWindow.h"
#include "preferences/SegmentedControl.h"
#include "preferences/SettingsSection.h"
#include "preferences/SettingsStore.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace velmora;
using Action = HotkeyPreferences::Action;

namespace {

bool touch(const QString& path, const QByteArray& contents = {})
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

// The application's preferences on a settings file in a private home, with recognition data
// for English and German (and the orientation data, which is no language).
struct Fixture
{
    Fixture()
    {
        QDir(home.path()).mkpath(QStringLiteral("tessdata"));
        QDir(home.path()).mkpath(QStringLiteral("Downloads"));
        for (const char* name : {"eng", "deu", "osd"}) {
            touch(home.path() + QStringLiteral("/tessdata/%1.traineddata").arg(QLatin1String(name)));
        }
        qputenv("TESSDATA_PREFIX", (home.path() + QStringLiteral("/tessdata")).toUtf8());
    }

    // What a relaunch would read.
    FileSettingsStore reopenedStore()
    {
        store.sync();
        return FileSettingsStore(storePath);
    }

    PreferencesWindow* open(LaunchAtLogin launchAtLogin)
    {
        controller =
            std::make_unique<PreferencesWindowController>(hotkeys, general, std::move(launchAtLogin), store);
        controller->show();
        return controller->window();
    }
    PreferencesWindow* open() { return open(LaunchAtLogin(autostart(), QStringLiteral("/usr/bin/velmora"))); }
    PreferencesWindow* open(const PlatformCapabilities& capabilities)
    {
        controller = std::make_unique<PreferencesWindowController>(
            hotkeys, general, LaunchAtLogin(autostart(), QStringLiteral("/usr/bin/velmora")), store);
        controller->setCapabilities(capabilities);
        controller->show();
        return controller->window();
    }
    QString autostart() const { return home.path() + QStringLiteral("/config/autostart"); }

    test::IsolatedHome home;
    QString storePath = home.path() + QStringLiteral("/config/Velmora/Velmora.conf");
    FileSettingsStore store{storePath};
    HotkeyPreferences hotkeys{store};
    GeneralPreferences general{store, home.path() + QStringLiteral("/Downloads")};
    std::unique_ptr<PreferencesWindowController> controller;
};

// A check box takes clicks on its box and label only, not on the free width of its row.
QPoint indicator(QCheckBox* box)
{
    return {6, box->height() / 2};
}

int preferencesWindowCount()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        count += qobject_cast<PreferencesWindow*>(widget) ? 1 : 0;
    }
    return count;
}

} // namespace

class TestPreferencesWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void showingTwiceKeepsOneWindow();
    void resetInTheHotkeysTab();
    void hotkeysTabFollowsWhatTheDesktopAllows_data();
    void hotkeysTabFollowsWhatTheDesktopAllows();
    void appearanceIsStored_data();
    void appearanceIsStored();
    void launchAtStartupFollowsTheAutostartEntry();
    void launchAtStartupFailureIsShownAndUndone();
    void saveLocationChooseAndReset();
    void recognitionLanguageIsStored();
    void aboutShowsTheVersion();
};

void TestPreferencesWindow::showingTwiceKeepsOneWindow()
{
    Fixture fixture;
    PreferencesWindow* window = fixture.open();
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->windowTitle(), QStringLiteral("Preferences"));
    QCOMPARE(window->size(), QSize(520, 380));

    // A window the user moved stays where it is when brought up again.
    window->move(13, 17);
    fixture.controller->show();
    QCOMPARE(fixture.controller->window(), window);
    QCOMPARE(window->pos(), QPoint(13, 17));
    QCOMPARE(preferencesWindowCount(), 1);

    // Closing hides the same window; showing it again centres it anew.
    QVERIFY(window->close());
    QVERIFY(!window->isVisible());
    fixture.controller->show();
    QCOMPARE(fixture.controller->window(), window);
    QVERIFY(window->isVisible());
    QVERIFY(window->pos() != QPoint(13, 17));
    QCOMPARE(preferencesWindowCount(), 1);
}

void TestPreferencesWindow::resetInTheHotkeysTab()
{
    Fixture fixture;
    fixture.hotkeys.set(Hotkey{40, Hotkey::command}, Action::region);
    fixture.hotkeys.set(std::nullopt, Action::ocr);
    PreferencesWindow* window = fixture.open();
    window->tabs()->setCurrentIndex(1);
    HotkeyRecorderButton* region = window->hotkeysView()->recorder(Action::region);
    HotkeyRecorderButton* ocr = window->hotkeysView()->recorder(Action::ocr);
    QCOMPARE(region->text(), QStringLiteral("Ctrl+K"));
    QCOMPARE(ocr->text(), QStringLiteral("Click to set"));

    QTest::mouseClick(window->hotkeysView()->resetButton(Action::region), Qt::LeftButton);
    QCOMPARE(region->text(), QStringLiteral("Ctrl+Shift+2"));
    QCOMPARE(ocr->text(), QStringLiteral("Click to set"));
    FileSettingsStore reopened = fixture.reopenedStore();
    QVERIFY(!reopened.contains(QStringLiteral("hotkey.region")));
    QVERIFY(!reopened.contains(QStringLiteral("hotkey.region.overridden")));
    QVERIFY(reopened.contains(QStringLiteral("hotkey.ocr.overridden")));

    QTest::mouseClick(window->hotkeysView()->resetButton(Action::ocr), Qt::LeftButton);
    QCOMPARE(ocr->text(), QStringLiteral("Ctrl+Shift+3"));
}

void TestPreferencesWindow::hotkeysTabFollowsWhatTheDesktopAllows_data()
{
    QTest::addColumn<int>("shortcuts");
    QTest::addColumn<bool>("windowCapture");
    QTest::addColumn<bool>("scrollingCapture");
    QTest::addColumn<QStringList>("commands"); // empty: the recorders are offered
    using Shortcuts = PlatformCapabilities::Shortcuts;
    QTest::newRow("x11") << int(Shortcuts::grabbed) << true << true << QStringList();
    QTest::newRow("wayland without it")
        << int(Shortcuts::unavailable) << true << false
        << QStringList{"velmora window", "velmora region", "velmora full", "velmora text", "velmora color"};
    QTest::newRow("no window capture either")
        << int(Shortcuts::unavailable) << false << false
        << QStringList{"velmora region", "velmora full", "velmora text", "velmora color"};
}

void TestPreferencesWindow::hotkeysTabFollowsWhatTheDesktopAllows()
{
    QFETCH(int, shortcuts);
    QFETCH(bool, windowCapture);
    QFETCH(bool, scrollingCapture);
    QFETCH(QStringList, commands);
    Fixture fixture;
    PlatformCapabilities capabilities;
    capabilities.shortcuts = PlatformCapabilities::Shortcuts(shortcuts);
    capabilities.windowList = windowCapture;
    capabilities.scrollingCapture = scrollingCapture;
    PreferencesWindow* window = fixture.open(capabilities);
    window->tabs()->setCurrentIndex(1);
    HotkeysPreferencesView* view = window->hotkeysView();

    // The editor's own shortcuts are Velmora's to take on every desktop.
    QVERIFY(view->recorder(Action::saveToDisk));
    if (commands.isEmpty()) {
        for (Action action : HotkeyPreferences::captureActions()) {
            QVERIFY(view->recorder(action));
            QVERIFY(!view->copyCommandButton(action));
        }
        return;
    }
    QCOMPARE(view->findChildren<HotkeyRecorderButton*>().size(), 1);
    const auto sections = view->findChildren<SettingsSection*>();
    QCOMPARE(sections.first()->title(), QStringLiteral("Capture Shortcuts"));
    QVERIFY(sections.first()->footerLabel()->text().contains(QLatin1String("keyboard settings")));

    // Each command shows as it is to be typed, and its button copies exactly that.
    QStringList shown;
    for (const QLabel* label : sections.first()->findChildren<QLabel*>()) {
        if (label->text().startsWith(QLatin1String("velmora ")) && label->isVisibleTo(window)) {
            shown.append(label->text());
        }
    }
    QCOMPARE(shown, commands);
    QStringList copied;
    for (Action action : HotkeyPreferences::captureActions()) {
        QVERIFY(!view->recorder(action));
        IconButton* copy = view->copyCommandButton(action);
        if (!copy) {
            continue;
        }
        QVERIFY(copy->isVisibleTo(window));
        QCOMPARE(copy->toolTip(), QStringLiteral("Copy command"));
        QGuiApplication::clipboard()->clear();
        QTest::mouseClick(copy, Qt::LeftButton);
        copied.append(QGuiApplication::clipboard()->text());
    }
    QCOMPARE(copied, commands);
}

void TestPreferencesWindow::appearanceIsStored_data()
{
    QTest::addColumn<int>("segment");
    QTest::addColumn<QString>("stored");

    QTest::newRow("Light") << 1 << QStringLiteral("light");
    QTest::newRow("Dark") << 2 << QStringLiteral("dark");
}

void TestPreferencesWindow::appearanceIsStored()
{
    QFETCH(int, segment);
    QFETCH(QString, stored);

    Fixture fixture;
    PreferencesWindow* window = fixture.open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    SegmentedControl* picker = window->generalView()->appearancePicker();
    QCOMPARE(picker->currentIndex(), 0);

    QTest::mouseClick(picker, Qt::LeftButton, {}, picker->segmentRect(segment).center());
    QCOMPARE(picker->currentIndex(), segment);
    QCOMPARE(fixture.reopenedStore().string(GeneralPreferences::appearanceKey), stored);

    // Changed elsewhere (another window of the same run), the picker follows.
    fixture.general.setAppearance(AppAppearance::system);
    QCOMPARE(picker->currentIndex(), 0);
}

void TestPreferencesWindow::launchAtStartupFollowsTheAutostartEntry()
{
    Fixture fixture;
    LaunchAtLogin launchAtLogin(fixture.autostart(), QStringLiteral("/usr/bin/velmora"));
    QVERIFY(launchAtLogin.setEnabled(true));
    PreferencesWindow* window = fixture.open(launchAtLogin);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCheckBox* box = window->generalView()->launchAtStartupBox();
    QCOMPARE(box->text(), QStringLiteral("Launch at startup"));
    QVERIFY(box->isChecked());

    QTest::mouseClick(box, Qt::LeftButton, {}, indicator(box));
    QVERIFY(!box->isChecked());
    QVERIFY(!QFile::exists(launchAtLogin.entryPath()));

    QTest::mouseClick(box, Qt::LeftButton, {}, indicator(box));
    QVERIFY(box->isChecked());
    QFile entry(launchAtLogin.entryPath());
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QVERIFY(entry.readAll().contains("Exec=/usr/bin/velmora\n"));
    QVERIFY(!window->generalView()->launchErrorLabel()->isVisible());
}

void TestPreferencesWindow::launchAtStartupFailureIsShownAndUndone()
{
    Fixture fixture;
    // A file where the autostart folder should be: no entry can be written, even by root.
    const QString blocked = fixture.home.path() + QStringLiteral("/blocked");
    QVERIFY(touch(blocked));
    PreferencesWindow* window = fixture.open(LaunchAtLogin(blocked, QStringLiteral("/usr/bin/velmora")));
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCheckBox* box = window->generalView()->launchAtStartupBox();
    QVERIFY(!box->isChecked());

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("LaunchAtLogin toggle failed")));
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator(box));
    QVERIFY(!box->isChecked());
    QLabel* error = window->generalView()->launchErrorLabel();
    QVERIFY(error->isVisible());
    QVERIFY2(error->text().contains(blocked), qPrintable(error->text()));
}

void TestPreferencesWindow::saveLocationChooseAndReset()
{
    Fixture fixture;
    const QString downloads = fixture.home.path() + QStringLiteral("/Downloads");
    const QString chosen = fixture.home.path() + QStringLiteral("/Shots");
    QVERIFY(QDir().mkpath(chosen));
    PreferencesWindow* window = fixture.open();
    GeneralPreferencesView* view = window->generalView();
    QCOMPARE(view->saveLocationLabel()->text(), downloads);

    QString startedAt;
    QString answer;
    view->setFolderChooser([&](QWidget*, const QString& current) {
        startedAt = current;
        return answer;
    });
    // Cancelled: nothing changes.
    QTest::mouseClick(view->chooseButton(), Qt::LeftButton);
    QCOMPARE(startedAt, downloads);
    QCOMPARE(fixture.general.saveLocation(), downloads);

    answer = chosen;
    QTest::mouseClick(view->chooseButton(), Qt::LeftButton);
    QCOMPARE(view->saveLocationLabel()->text(), chosen);
    QCOMPARE(fixture.reopenedStore().string(GeneralPreferences::saveLocationKey), chosen);

    QCOMPARE(view->resetSaveLocationButton()->toolTip(), QStringLiteral("Reset to Downloads"));
    QTest::mouseClick(view->resetSaveLocationButton(), Qt::LeftButton);
    QCOMPARE(view->saveLocationLabel()->text(), downloads);
    QVERIFY(!fixture.reopenedStore().contains(GeneralPreferences::saveLocationKey));

    // A long path gives up its middle, keeping the start and the last folder.
    const QString deep =
        fixture.home.path() + QStringLiteral("/a/very/long/way/down/to/the/folder/Screenshots");
    view->saveLocationLabel()->setText(deep);
    const QString shown = view->saveLocationLabel()->displayedText();
    QVERIFY2(shown.contains(QChar(0x2026)) && shown.endsWith(QLatin1String("Screenshots")),
             qPrintable(shown));
}

void TestPreferencesWindow::recognitionLanguageIsStored()
{
    Fixture fixture;
    PreferencesWindow* window = fixture.open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QComboBox* picker = window->generalView()->languagePicker();
    QStringList items;
    for (int i = 0; i < picker->count(); ++i) {
        items.append(picker->itemText(i));
    }
    QCOMPARE(items, (QStringList{"deu", "eng"}));
    QCOMPARE(picker->currentText(), QStringLiteral("eng"));

    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_Up);
    QCOMPARE(picker->currentText(), QStringLiteral("deu"));
    QCOMPARE(fixture.reopenedStore().string(QStringLiteral("ocr.languages")), QStringLiteral("deu"));

    // A combination written by hand is shown as it is, not replaced.
    fixture.store.setValue(QStringLiteral("ocr.languages"), QStringLiteral("eng+deu"));
    PreferencesWindow* again = fixture.open();
    QCOMPARE(again->generalView()->languagePicker()->currentText(), QStringLiteral("eng+deu"));
    auto* footer = again->generalView()->findChildren<SettingsSection*>().last()->footerLabel();
    QVERIFY2(footer->text().contains(QLatin1String("deu, eng")) &&
                 footer->text().contains(QLatin1String("tesseract-ocr-")),
             qPrintable(footer->text()));
}

void TestPreferencesWindow::aboutShowsTheVersion()
{
    QCoreApplication::setApplicationVersion(QString());
    QCOMPARE(AboutPreferencesView().versionLabel()->text(), QStringLiteral("Version —"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.2.0"));
    AboutPreferencesView about;
    QCOMPARE(about.versionLabel()->text(), QStringLiteral("Version 1.2.0"));
    // The mark is drawn, not left blank: its centre is opaque.
    const QImage icon = about.iconLabel()->pixmap().toImage();
    QCOMPARE(icon.size(), QSize(96, 96) * icon.devicePixelRatio());
    QCOMPARE(icon.pixelColor(icon.width() / 2, icon.height() / 4).alpha(), 255);
    QCOMPARE(icon.pixelColor(0, 0).alpha(), 0);
}

QTEST_MAIN(TestPreferencesWindow)
#include "tst_preferenceswindow.moc"
