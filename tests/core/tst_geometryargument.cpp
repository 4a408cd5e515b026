#include "capture/GeometryArgument.h"

#include <QTest>

using namespace velmora;

class TestGeometryArgument : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parses_data();
    void parses();
};

void TestGeometryArgument::parses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("expected"); // null: refused
    QTest::addColumn<QString>("reason"); // a word the message must hold

    QTest::newRow("plain") << "800x600+100+50" << QRect(100, 50, 800, 600) << QString();
    QTest::newRow("origin") << "1x1+0+0" << QRect(0, 0, 1, 1) << QString();
    QTest::newRow("negative offsets") << "300x200+-1920+-40" << QRect(-1920, -40, 300, 200) << QString();
    QTest::newRow("largest side") << "32767x1+0+0" << QRect(0, 0, 32767, 1) << QString();

    QTest::newRow("empty") << "" << QRect() << "expected WxH+X+Y";
    QTest::newRow("no offset") << "800x600" << QRect() << "expected";
    QTest::newRow("leading space") << " 800x600+0+0" << QRect() << "expected";
    QTest::newRow("trailing newline") << "800x600+0+0\n" << QRect() << "expected";
    QTest::newRow("space inside") << "800 x600+0+0" << QRect() << "expected";
    QTest::newRow("X11 right-edge form") << "800x600-0-0" << QRect() << "expected";
    QTest::newRow("upper-case X") << "800X600+0+0" << QRect() << "expected";
    QTest::newRow("negative size") << "-800x600+0+0" << QRect() << "expected";
    QTest::newRow("fraction") << "800.5x600+0+0" << QRect() << "expected";
    QTest::newRow("double sign") << "8x6+--1+0" << QRect() << "expected";
    QTest::newRow("plus sign") << "8x6++1+0" << QRect() << "expected";
    QTest::newRow("full-width digits") << QString::fromUtf8("８x6+0+0") << QRect() << "expected";
    QTest::newRow("zero width") << "0x600+0+0" << QRect() << "zero";
    QTest::newRow("zero height") << "800x000+0+0" << QRect() << "zero";
    QTest::newRow("huge") << "32768x10+0+0" << QRect() << "larger";
    QTest::newRow("overflow") << "99999999999x1+0+0" << QRect() << "expected";
    QTest::newRow("offset far away") << "10x10+0+-999999" << QRect() << "offset";
}

void TestGeometryArgument::parses()
{
    QFETCH(QString, text);
    QFETCH(QRect, expected);
    QFETCH(QString, reason);
    const GeometryArgument parsed = parseGeometryArgument(text);
    if (expected.isNull()) {
        QVERIFY2(!parsed.rect, qPrintable(text));
        QVERIFY2(parsed.error.contains(reason), qPrintable(parsed.error));
        QVERIFY2(parsed.error.startsWith(QLatin1String("invalid geometry")), qPrintable(parsed.error));
    } else {
        QCOMPARE(parsed.rect, expected);
        QVERIFY(parsed.error.isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestGeometryArgument)
#include "tst_geometryargument.moc"
