#include "editor/AutoPalette.h"
#include "editor/ContentColors.h"
#include "support/TestSupport.h"

#include <QTest>

using namespace velmora;

class TestContentColors : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void measuredAgainForAnotherImage();
};

// The colours are kept per image: asking with a new picture (a crop, an undo) must not give the
// colours of the one before.
void TestContentColors::measuredAgainForAnotherImage()
{
    const QImage red = test::solidImage(20, 20, Qt::red);
    const QImage blue = test::solidImage(20, 20, Qt::blue);
    ContentColors colors;
    QCOMPARE(colors.edgeColor(red), edgeColor(red));
    QCOMPARE(colors.autoPalette(red), makeAutoPalette(red));
    QCOMPARE(colors.edgeColor(blue), edgeColor(blue));
    QCOMPARE(colors.autoPalette(blue), makeAutoPalette(blue));
    QVERIFY(colors.edgeColor(red) != colors.edgeColor(blue));
    colors.clear();
    QCOMPARE(colors.edgeColor(red), edgeColor(red));
}

QTEST_GUILESS_MAIN(TestContentColors)
#include "tst_contentcolors.moc"
