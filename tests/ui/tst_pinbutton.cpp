#include "support/TestSupport.h"
#include "toolbar/PinButton.h"

#include <QSignalSpy>
#include <QTest>
#include <QWindow>

using namespace velmora;

// The editor's "Pin" capsule: an outlined capsule with the word and the pin icon, filled while
// the pointer is over it.
class TestPinButton : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void isAnOutlinedCapsule();
};

void TestPinButton::isAnOutlinedCapsule()
{
    const QColor page(236, 236, 236);
    QWidget holder;
    holder.setPalette(QPalette(Qt::black, page));
    auto* button = new PinButton(&holder);
    button->move(20, 20);
    button->resize(button->sizeHint());
    holder.resize(200, 100);
    holder.show();
    QVERIFY(QTest::qWaitForWindowExposed(&holder));
    QCOMPARE(button->toolTip(), QStringLiteral("Pin to Screen   Ctrl+P"));
    QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
    const QFontMetrics metrics(button->font());
    const int textWidth = metrics.horizontalAdvance(QStringLiteral("Pin"));

    const auto face = [button] { return button->grab().toImage().convertToFormat(QImage::Format_ARGB32); };
    const auto inkIn = [](const QImage& image, const QRect& box) {
        int darkest = 255;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                darkest = std::min(darkest, qGray(image.pixel(x, y)));
        return darkest;
    };
    // The word in the text colour, the icon after it lighter; the outline is drawn, the inside
    // of the capsule stays clear until the pointer is over it.
    const QImage plain = face();
    const int w = button->width();
    const int pad = PinButton::horizontalPadding;
    const QRect word(pad, PinButton::verticalPadding, textWidth, metrics.height());
    const QRect icon(w - pad - PinButton::iconPoints, PinButton::verticalPadding, PinButton::iconPoints,
                     PinButton::iconPoints);
    QVERIFY2(inkIn(plain, word) < 80, "the word is drawn dark");
    const int iconInk = inkIn(plain, icon);
    QVERIFY2(iconInk > inkIn(plain, word) && iconInk < 200, "the icon is drawn, lighter than the word");
    const QPoint top(w / 2, 0), inside(w / 2, 4);
    QVERIFY(plain.pixelColor(top).lightness() < page.lightness());
    QCOMPARE(plain.pixelColor(inside), page);

    QCursor::setPos(holder.mapToGlobal(QPoint(150, 80)));
    QCursor::setPos(holder.mapToGlobal(button->geometry().center()));
    QTRY_VERIFY_WITH_TIMEOUT(button->isHovered(), test::waitTimeout);
    QVERIFY(face().pixelColor(inside).lightness() < page.lightness());
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QTest::mouseClick(holder.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
    QCOMPARE(clicked.size(), 1);
}

QTEST_MAIN(TestPinButton)
#include "tst_pinbutton.moc"
