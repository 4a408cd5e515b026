#include "imaging/Color.h"

#include <QTest>

using namespace velmora;

class TestColor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromHex_data();
    void fromHex();
};

void TestColor::fromHex_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QRgb>("expected");
    QTest::newRow("upper") << QStringLiteral("#FF8000") << true << qRgb(255, 128, 0);
    QTest::newRow("lower with alpha") << QStringLiteral("#ff800080") << true << qRgba(255, 128, 0, 128);
    QTest::newRow("no hash") << QStringLiteral("FF8000") << false << QRgb(0);
    QTest::newRow("short") << QStringLiteral("#FFF") << false << QRgb(0);
    QTest::newRow("eight digits less one") << QStringLiteral("#FF80008") << false << QRgb(0);
    QTest::newRow("signs") << QStringLiteral("#-1-1-1") << false << QRgb(0);
    QTest::newRow("plus signs") << QStringLiteral("#+F+F+F") << false << QRgb(0);
    QTest::newRow("spaces") << QStringLiteral("# 1 2 3") << false << QRgb(0);
    QTest::newRow("prefix") << QStringLiteral("#0x1234") << false << QRgb(0);
    QTest::newRow("not hex") << QStringLiteral("#GG0000") << false << QRgb(0);
    QTest::newRow("full-width digits")
        << QStringLiteral("#\uFF11\uFF12\uFF13\uFF14\uFF15\uFF16") << false << QRgb(0);
}

void TestColor::fromHex()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QRgb, expected);
    const std::optional<Color> parsed = Color::fromHex(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid) {
        QCOMPARE(parsed->toQColor().rgba(), expected);
    }
}

QTEST_GUILESS_MAIN(TestColor)
#include "tst_color.moc"
