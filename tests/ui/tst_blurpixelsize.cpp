#include "canvas/AnnotationCanvas.h"
#include "editor/EditorToolState.h"
#include "sidebar/ImageEditorSidebar.h"
#include "sidebar/SidebarSlider.h"
#include "sidebar/SidebarSliderRow.h"
#include "support/EditorFixture.h"
#include "support/TestSupport.h"
#include "toolbar/AnnotationToolbar.h"
#include "toolbar/HoverableToolbarIcon.h"

#include <QTest>

#include <map>

using namespace velmora;

namespace {

// Red climbs with x and green with y, one level a pixel, so any two neighbouring blocks of a
// pixellation differ and a block shows as a run of equal pixels.
QImage ramps()
{
    QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x & 255, y & 255, 128));
        }
    }
    return image;
}

// The most common length of the runs of equal pixels along row `y` between `left` and `right`,
// leaving out the runs cut by either end.
int commonRun(const QImage& image, int y, int left, int right)
{
    std::map<int, int> runs;
    int start = left;
    for (int x = left + 1; x <= right + 1; ++x) {
        if (x == right + 1 || image.pixel(x, y) != image.pixel(x - 1, y)) {
            if (start != left && x != right + 1) {
                ++runs[x - start];
            }
            start = x;
        }
    }
    const auto most = std::max_element(runs.begin(), runs.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    return most == runs.end() ? 0 : most->first;
}

} // namespace

class TestBlurPixelSize : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pixelSizeWorksWithoutTheComposite_data();
    void pixelSizeWorksWithoutTheComposite();
};

void TestBlurPixelSize::pixelSizeWorksWithoutTheComposite_data()
{
    QTest::addColumn<bool>("windowWithoutBackground");
    QTest::addColumn<bool>("byToolbarButton");
    QTest::addColumn<bool>("sliderEnd");
    QTest::addColumn<int>("expectedSize");
    // A region capture could show the composite but has it off; a bare window capture cannot.
    QTest::newRow("region, B key, largest") << false << false << true << 30;
    QTest::newRow("region, toolbar, smallest") << false << true << false << 2;
    QTest::newRow("bare window, B key, largest") << true << false << true << 30;
}

void TestBlurPixelSize::pixelSizeWorksWithoutTheComposite()
{
    QFETCH(bool, windowWithoutBackground);
    QFETCH(bool, byToolbarButton);
    QFETCH(bool, sliderEnd);
    QFETCH(int, expectedSize);

    const QImage picture = ramps();
    test::EditorFixture f(picture,
                          {.kind = windowWithoutBackground ? CaptureKind::window : CaptureKind::region,
                           .backgroundAssets = !windowWithoutBackground,
                           .windowSize = {1100, 700}});
    EditorSession& session = *f.session;
    EditorView& view = *f.view;
    QVERIFY(!session.isCompositeShown());
    // The size drawn must be the one chosen, not the size the editor starts with.
    QVERIFY(std::abs(session.blurRadius() - expectedSize) > 1);

    if (byToolbarButton) {
        QTest::mouseClick(view.toolbar()->toolButton(AnnotationTool::blur), Qt::LeftButton);
    } else {
        QTest::keyClick(view.canvas(), Qt::Key_B);
    }
    QCOMPARE(view.toolState().selectedTool(), AnnotationTool::blur);

    // The sidebar slides in holding the pixel size alone, where a pointer can reach it.
    ImageEditorSidebar* sidebar = view.sidebar();
    QTRY_COMPARE_WITH_TIMEOUT(sidebar->parentWidget()->width(), ImageEditorSidebar::sidebarWidth,
                              test::waitTimeout);
    SidebarSliderRow* row = sidebar->sliderRow(QStringLiteral("Pixel Size"));
    QVERIFY(row && row->isVisible());
    for (SidebarSliderRow* other : sidebar->sliderRows()) {
        QCOMPARE(other->isVisible(), other == row);
    }
    SidebarSlider* slider = row->slider();
    const QRect groove = slider->grooveRect();
    const QPoint press(sliderEnd ? groove.right() - 1 : groove.left() + 1, groove.center().y());
    QCOMPARE(view.childAt(slider->mapTo(&view, press)), slider);

    QTest::mouseClick(slider, Qt::LeftButton, {}, press);
    QCOMPARE(session.blurRadius(), double(expectedSize));
    QCOMPARE(row->valueText(), QString::number(expectedSize) + QStringLiteral(".0"));

    // A blur region drawn across most of the picture.
    const QRectF region(40, 40, 320, 220);
    f.drag(AnnotationTool::blur, region.topLeft(), region.bottomRight());
    QCOMPARE(session.annotations().size(), 1);

    const QImage rendered = session.renderedImage();
    test::dump(rendered, QStringLiteral("blur-pixel-size-%1").arg(expectedSize));
    QCOMPARE(rendered.size(), picture.size());
    for (int y : {90, 150, 210}) {
        QCOMPARE(commonRun(rendered, y, int(region.left()) + 4, int(region.right()) - 4), expectedSize);
    }
    // Outside the region the picture is untouched.
    QCOMPARE(rendered.pixel(10, 10), picture.pixel(10, 10));
}

QTEST_MAIN(TestBlurPixelSize)
#include "tst_blurpixelsize.moc"
