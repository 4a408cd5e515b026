#include "editor/EditHistory.h"
#include "support/TestSupport.h"

#include <QTest>

using namespace velmora;

class TestEditHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void trimsWholeRunsOfTheOldestImage_data();
    void trimsWholeRunsOfTheOldestImage();
    void depthIsBoundedAndPushForgetsRedo();
};

namespace {

// One image per letter; the same letter is the same image object.
QString imageLetters(const QVector<EditorSnapshot>& stack, const QHash<qint64, QChar>& names)
{
    QString letters;
    for (const EditorSnapshot& snapshot : stack) {
        letters += names.value(snapshot.image.cacheKey(), QLatin1Char('?'));
    }
    return letters;
}

EditorSnapshot snapshotOf(const QImage& image, double padding = 0)
{
    EditorSnapshot snapshot;
    snapshot.image = image;
    snapshot.contentPadding = padding;
    return snapshot;
}

} // namespace

void TestEditHistory::trimsWholeRunsOfTheOldestImage_data()
{
    QTest::addColumn<QString>("pushed");
    QTest::addColumn<QString>("kept");
    const auto row = [](const char* name, const QString& pushed, const QString& kept) {
        QTest::newRow(name) << pushed << kept;
    };
    row("four images stay", "aabbcd", "aabbcd");
    row("a fifth drops the first run", "aabcde", "bcde");
    // The oldest image returns later: only its leading run goes, then the next oldest's.
    row("returning image", "abacde", "acde");
    row("one step per image", "abcdefg", "defg");
}

void TestEditHistory::trimsWholeRunsOfTheOldestImage()
{
    QFETCH(QString, pushed);
    QFETCH(QString, kept);
    QHash<QChar, QImage> images;
    QHash<qint64, QChar> names;
    EditHistory history;
    for (const QChar letter : pushed) {
        if (!images.contains(letter)) {
            const QImage image = test::solidImage(1, 1, Qt::red);
            images.insert(letter, image);
            names.insert(image.cacheKey(), letter);
        }
        history.push(snapshotOf(images.value(letter)));
    }
    QCOMPARE(imageLetters(history.undoStack(), names), kept);
}

void TestEditHistory::depthIsBoundedAndPushForgetsRedo()
{
    EditHistory history;
    const QImage image = test::solidImage(1, 1, Qt::red);
    for (int step = 0; step < EditHistory::maxDepth + 5; ++step) {
        history.push(snapshotOf(image, step));
    }
    QCOMPARE(history.undoStack().size(), EditHistory::maxDepth);
    QCOMPARE(history.undoStack().front().contentPadding, 5.0); // the oldest went

    const EditorSnapshot current = snapshotOf(image, 100);
    const auto back = history.undo(current);
    QVERIFY(back);
    QCOMPARE(back->contentPadding, double(EditHistory::maxDepth + 4));
    QCOMPARE(history.redoStack().size(), 1);
    const auto forward = history.redo(*back);
    QVERIFY(forward);
    QCOMPARE(forward->contentPadding, 100.0);
    QVERIFY(!history.canRedo());

    QVERIFY(history.undo(current));
    QVERIFY(history.canRedo());
    history.push(current);
    QVERIFY(!history.canRedo());
    QVERIFY(!EditHistory().undo(current));
}

QTEST_GUILESS_MAIN(TestEditHistory)
#include "tst_edithistory.moc"
