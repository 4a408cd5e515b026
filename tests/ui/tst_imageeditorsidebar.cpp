#include "SidebarFixture.h"
#include "sidebar/ImageEditorSidebar.h"
#include "sidebar/SidebarBackgroundPickerRow.h"
#include "sidebar/SidebarSlider.h"
#include "sidebar/SidebarSliderRow.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <map>
#include <tuple>

using namespace velmora;
using Fixture = velmora::test::SidebarFixture;
using velmora::test::click;
using velmora::test::verifyOnlySelected;

namespace {

const QStringList backgroundRows{"Corner Radius", "Padding", "Inset", "Shadow", "Background Image Blur"};

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
