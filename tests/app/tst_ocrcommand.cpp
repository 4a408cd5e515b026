#include "annotation/TextLayout.h"

#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

// `velmora ocr IMAGE` as a script uses it: the text on stdout, and an exit status telling text,
// no text and a bad file apart.
class TestOcrCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(registerBundledFonts()); }
    void printsTheTextAndReportsTheOutcome_data();
    void printsTheTextAndReportsTheOutcome();

private:
    QTemporaryDir m_dir;
};

void TestOcrCommand::printsTheTextAndReportsTheOutcome_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("status");

    QImage image(600, 120, QImage::Format_RGB32);
    image.fill(QColor(32, 32, 36));
    QPainter painter(&image);
    QFont font(bundledFonts().front().family);
    font.setPixelSize(22);
    painter.setFont(font);
    painter.setPen(QColor(230, 230, 230));
    painter.drawText(20, 45, QStringLiteral("Saved to Pictures"));
    painter.drawText(20, 85, QStringLiteral("Copy the path"));
    painter.end();
    const QString text = m_dir.filePath(QStringLiteral("text.png"));
    QVERIFY(image.save(text));
    image.fill(Qt::white);
    const QString blank = m_dir.filePath(QStringLiteral("blank.png"));
    QVERIFY(image.save(blank));
    const QString garbage = m_dir.filePath(QStringLiteral("garbage.png"));
    QFile file(garbage);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();

    QTest::newRow("text") << text << QStringLiteral("Saved to Pictures\nCopy the path\n") << 0;
    QTest::newRow("no text") << blank << QString() << 1;
    QTest::newRow("not an image") << garbage << QString() << 2;
    QTest::newRow("missing") << m_dir.filePath(QStringLiteral("missing.png")) << QString() << 2;
}

void TestOcrCommand::printsTheTextAndReportsTheOutcome()
{
    QFETCH(QString, file);
    QFETCH(QString, text);
    QFETCH(int, status);

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VELMORA_EXECUTABLE), {QStringLiteral("ocr"), file});
    QVERIFY(process.waitForFinished(60000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), status);
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()), text);
    if (status == 2) {
        QVERIFY2(err.contains(file), qPrintable(err));
    }
}

QTEST_MAIN(TestOcrCommand)
#include "tst_ocrcommand.moc"
