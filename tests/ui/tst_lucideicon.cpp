#include "icons/LucideIcon.h"
#include "support/TestSupport.h"

#include <QRegularExpression>
#include <QtTest>

using namespace velmora;

namespace {

// Colour of the non-transparent pixels of a rendered icon, un-premultiplied.
struct InkSummary
{
    int inked = 0;
    int offTint = 0;
};

InkSummary summarise(const QImage& image, const QColor& tint)
{
    InkSummary summary;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QColor c = argb.pixelColor(x, y);
            if (c.alpha() < 64) {
                continue;
            }
            ++summary.inked;
            if (std::abs(c.red() - tint.red()) > 3 || std::abs(c.green() - tint.green()) > 3 ||
                std::abs(c.blue() - tint.blue()) > 3) {
                ++summary.offTint;
            }
        }
    }
    return summary;
}

} // namespace

class TestLucideIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void strokesTakeTheTint_data();
    void strokesTakeTheTint();
    void translucentTintFadesTheWholeGlyph();
    void iconRendersAtTheRequestedDensity();
    void renderedPixmapsAreCachedPerNameColourSizeAndDensity();
    void unknownNameGivesNothingAndWarnsOnce();
    void everyNameTheUiUsesIsVendored_data();
    void everyNameTheUiUsesIsVendored();
};

void TestLucideIcon::strokesTakeTheTint_data()
{
    QTest::addColumn<QColor>("tint");
    QTest::addColumn<qreal>("dpr");
    QTest::newRow("red, 1x") << QColor(255, 0, 0) << qreal(1);
    QTest::newRow("red, 2x") << QColor(255, 0, 0) << qreal(2);
    QTest::newRow("blue, 1.5x") << QColor(10, 80, 240) << qreal(1.5);
    QTest::newRow("white, 1x") << QColor(255, 255, 255) << qreal(1);
}

void TestLucideIcon::strokesTakeTheTint()
{
    QFETCH(QColor, tint);
    QFETCH(qreal, dpr);
    // "square" is a rounded 18 × 18 outline inset 3 units in a 24-unit box, stroked 2 units wide.
    const QPixmap pm = LucideIcon::pixmap(QStringLiteral("square"), tint, 24, dpr);
    QVERIFY(!pm.isNull());
    QCOMPARE(pm.devicePixelRatio(), dpr);
    QCOMPARE(pm.width(), qCeil(24 * dpr));
    const QImage image = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    test::dump(image, QStringLiteral("lucide-square"));

    const QColor leftEdge = image.pixelColor(int(3 * dpr), int(12 * dpr));
    QCOMPARE(leftEdge.alpha(), 255);
    QCOMPARE(leftEdge.rgb(), tint.rgb());
    QCOMPARE(image.pixelColor(int(12 * dpr), int(12 * dpr)).alpha(), 0);
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);

    const InkSummary ink = summarise(image, tint);
    QVERIFY(ink.inked > 20 * dpr * dpr);
    QCOMPARE(ink.offTint, 0);
}

void TestLucideIcon::translucentTintFadesTheWholeGlyph()
{
    const QColor tint(0, 128, 0, 128);
    const QImage image = LucideIcon::pixmap(QStringLiteral("square"), tint, 24, 1).toImage();
    const QColor edge = image.pixelColor(3, 12);
    QVERIFY2(std::abs(edge.alpha() - 128) <= 2, qPrintable(QString::number(edge.alpha())));
    QVERIFY(std::abs(edge.green() - 128) <= 2);
    QCOMPARE(edge.red(), 0);
}

void TestLucideIcon::iconRendersAtTheRequestedDensity()
{
    const QIcon icon = LucideIcon::icon(QStringLiteral("pencil"), Qt::red, 18);
    QVERIFY(!icon.isNull());
    const QPixmap at2x = icon.pixmap(QSize(18, 18), 2.0);
    QCOMPARE(at2x.size(), QSize(36, 36));
    QCOMPARE(at2x.devicePixelRatio(), 2.0);
    const InkSummary ink = summarise(at2x.toImage(), Qt::red);
    QVERIFY(ink.inked > 0);
    QCOMPARE(ink.offTint, 0);

    // The disabled look keeps the colour and fades it.
    const QImage disabled = icon.pixmap(QSize(18, 18), 1.0, QIcon::Disabled).toImage();
    int maxAlpha = 0;
    for (int y = 0; y < disabled.height(); ++y) {
        for (int x = 0; x < disabled.width(); ++x) {
            maxAlpha = std::max(maxAlpha, disabled.pixelColor(x, y).alpha());
        }
    }
    // Crossing strokes must not add up to a darker spot.
    QVERIFY2(maxAlpha > 80 && maxAlpha < 100, qPrintable(QString::number(maxAlpha)));
}

void TestLucideIcon::renderedPixmapsAreCachedPerNameColourSizeAndDensity()
{
    const QString name = QStringLiteral("crop");
    const QPixmap first = LucideIcon::pixmap(name, Qt::black, 16, 1);
    QCOMPARE(LucideIcon::pixmap(name, Qt::black, 16, 1).cacheKey(), first.cacheKey());

    const QPixmap others[] = {
        LucideIcon::pixmap(name, Qt::white, 16, 1),
        LucideIcon::pixmap(name, QColor(0, 0, 0, 100), 16, 1),
        LucideIcon::pixmap(name, Qt::black, 18, 1),
        LucideIcon::pixmap(name, Qt::black, 16, 2),
        LucideIcon::pixmap(QStringLiteral("type"), Qt::black, 16, 1),
    };
    for (const QPixmap& other : others) {
        QVERIFY(!other.isNull());
        QVERIFY(other.cacheKey() != first.cacheKey());
    }
    // A change of tint really changes the pixels, not only the cache entry.
    QVERIFY(others[0].toImage() != first.toImage());
}

void TestLucideIcon::unknownNameGivesNothingAndWarnsOnce()
{
    const QString name = QStringLiteral("no-such-icon");
    QVERIFY(!LucideIcon::exists(name));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("No icon named.*no-such-icon")));
    QVERIFY(LucideIcon::pixmap(name, Qt::red, 18, 1).isNull());

    QTest::failOnWarning(QRegularExpression(QStringLiteral("no-such-icon")));
    QVERIFY(LucideIcon::pixmap(name, Qt::blue, 24, 2).isNull());
    QVERIFY(LucideIcon::icon(name, Qt::red).isNull());
}

void TestLucideIcon::everyNameTheUiUsesIsVendored_data()
{
    QTest::addColumn<QString>("name");
    const char* names[] = {
        // The annotation toolbar.
        "mouse-pointer-2", "arrow-up-right", "square", "circle", "pencil", "type", "droplet", "crop",
        "trash-2", "image", "chevron-down", "check", "pipette", "circle-help",
        // The rest of the program.
        "app-window", "scan", "settings", "keyboard", "info", "circle-x", "circle-play", "circle-stop",
        "sparkles", "plus", "rotate-ccw", "hand", "copy", "save", "pin", "folder", "x", "undo-2", "redo-2",
        "move-up-right", "grid-2x2", "palette", "download", "zoom-in", "zoom-out"};
    for (const char* name : names) {
        QTest::newRow(name) << QString::fromLatin1(name);
    }
}

void TestLucideIcon::everyNameTheUiUsesIsVendored()
{
    QFETCH(QString, name);
    QVERIFY(LucideIcon::exists(name));
    QVERIFY(!LucideIcon::pixmap(name, Qt::black, 18, 1).isNull());
}

QTEST_MAIN(TestLucideIcon)
#include "tst_lucideicon.moc"
