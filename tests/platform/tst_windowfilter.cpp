#include "WindowFilter.h"

#include <QTest>

using namespace velmora;
using Type = RawWindow::Type;

Q_DECLARE_METATYPE(velmora::RawWindow)
Q_DECLARE_METATYPE(velmora::WindowInfo)

namespace {

RawWindow window(quint32 id, QRect frame = QRect(0, 0, 200, 100))
{
    RawWindow raw;
    raw.windowID = id;
    raw.frame = frame;
    raw.mapped = true;
    raw.pid = 1000 + id;
    raw.windowClass = QStringLiteral("App%1").arg(id);
    raw.title = QStringLiteral("Title %1").arg(id);
    return raw;
}

template <typename Change> RawWindow with(RawWindow raw, Change change)
{
    change(raw);
    return raw;
}

QList<quint32> ids(const QList<WindowInfo>& windows)
{
    QList<quint32> result;
    for (const WindowInfo& w : windows) {
        result.append(w.windowID);
    }
    return result;
}

constexpr qint64 ownPid = 4242;

} // namespace

class TestWindowFilter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choice_data()
    {
        QTest::addColumn<QList<RawWindow>>("bottomToTop");
        QTest::addColumn<QList<quint32>>("expected");

        QTest::newRow("front to back") << QList{window(1), window(2), window(3)} << QList<quint32>{3, 2, 1};
        QTest::newRow("nothing") << QList<RawWindow>{} << QList<quint32>{};

        const auto typed = [](quint32 id, QList<Type> types) {
            return with(window(id), [&](RawWindow& w) { w.types = types; });
        };
        QTest::newRow("desktop elements skipped")
            << QList{typed(1, {Type::desktop}), typed(2, {Type::dock}),   typed(3, {Type::toolbar}),
                     typed(4, {Type::menu}),    typed(5, {Type::splash}), typed(6, {Type::notification})}
            << QList<quint32>{};
        QTest::newRow("application windows kept")
            << QList{typed(1, {Type::normal}), typed(2, {Type::dialog}), typed(3, {Type::utility}),
                     typed(4, {Type::other}), typed(5, {})}
            << QList<quint32>{5, 4, 3, 2, 1};
        // A client names its preferred type first and fallbacks after it.
        QTest::newRow("first type decides")
            << QList{typed(1, {Type::dock, Type::normal}), typed(2, {Type::other, Type::dock})}
            << QList<quint32>{2};

        QTest::newRow("unmapped, hidden, override-redirect skipped")
            << QList{with(window(1), [](RawWindow& w) { w.mapped = false; }),
                     with(window(2), [](RawWindow& w) { w.hidden = true; }),
                     with(window(3), [](RawWindow& w) { w.overrideRedirect = true; }), window(4)}
            << QList<quint32>{4};
        QTest::newRow("own process skipped") << QList{with(window(1), [](RawWindow& w) { w.pid = ownPid; }),
                                                      with(window(2), [](RawWindow& w) { w.pid = 0; })}
                                             << QList<quint32>{2};

        QTest::newRow("more than 50 pixels each way")
            << QList{window(1, QRect(0, 0, 50, 300)), window(2, QRect(0, 0, 300, 50)),
                     window(3, QRect(0, 0, 51, 51)), window(4, QRect(10, 10, 0, 0))}
            << QList<quint32>{3};
        // 140 wide with 45 of shadow on each side leaves 50 that can be seen.
        QTest::newRow("size counted without shadow margins")
            << QList{with(window(1, QRect(0, 0, 140, 200)),
                          [](RawWindow& w) {
                              w.invisibleMargins = {45, 0, 45, 0};
                          }),
                     with(window(2, QRect(0, 0, 142, 200)),
                          [](RawWindow& w) {
                              w.invisibleMargins = {45, 0, 45, 0};
                          })}
            << QList<quint32>{2};
    }

    void choice()
    {
        QFETCH(QList<RawWindow>, bottomToTop);
        QFETCH(QList<quint32>, expected);
        QCOMPARE(ids(pickableWindows(bottomToTop, ownPid)), expected);
    }

    void description_data()
    {
        QTest::addColumn<RawWindow>("raw");
        QTest::addColumn<WindowInfo>("expected");

        QTest::newRow("class names the owner") << with(window(7, QRect(-20, 30, 400, 300)), [](RawWindow& w) {
            w.processName = QStringLiteral("proc");
        }) << WindowInfo{7, QRect(-20, 30, 400, 300), QStringLiteral("App7"), QStringLiteral("Title 7")};
        QTest::newRow("process name without a class") << with(window(8), [](RawWindow& w) {
            w.windowClass.clear();
            w.processName = QStringLiteral("gedit");
            w.title.clear();
        }) << WindowInfo{8, QRect(0, 0, 200, 100), QStringLiteral("gedit"), QString()};
        QTest::newRow("no owner known")
            << with(window(9), [](RawWindow& w) { w.windowClass.clear(); })
            << WindowInfo{9, QRect(0, 0, 200, 100), QString(), QStringLiteral("Title 9")};
        QTest::newRow("shadow margins cut from the frame")
            << with(window(10, QRect(100, 200, 500, 400)),
                    [](RawWindow& w) { w.invisibleMargins = QMargins(10, 5, 20, 30); })
            << WindowInfo{10, QRect(110, 205, 470, 365), QStringLiteral("App10"), QStringLiteral("Title 10")};
    }

    void description()
    {
        QFETCH(RawWindow, raw);
        QFETCH(WindowInfo, expected);
        const QList<WindowInfo> windows = pickableWindows({raw}, ownPid);
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows.first(), expected);
    }
};

QTEST_GUILESS_MAIN(TestWindowFilter)
#include "tst_windowfilter.moc"
