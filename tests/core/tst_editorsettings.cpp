#include "editor/EditorSettings.h"
#include "preferences/SettingsStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

// The declarations are the only place keys and encodings are spelled, so these tests pin them to
// what files written by earlier versions hold: a changed key or encoding loses the user's settings.
class TestEditorSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sharedNumberFallsBackToTheOlderPerKindKey();
    void storedFileReadsBack();
    void writtenValuesKeepTheirEncoding();
    void colorRules_data();
    void colorRules();
    void unreadableValuesGiveTheDefault();
};

void TestEditorSettings::sharedNumberFallsBackToTheOlderPerKindKey()
{
    MemorySettingsStore settings;
    settings.setValue(QStringLiteral("window.backgroundShadow"), 12);
    QCOMPARE(EditorSettings::shadow.read(settings, CaptureKind::window), 12.0);
    QCOMPARE(EditorSettings::shadow.read(settings, CaptureKind::region), 7.0);
    settings.setValue(QStringLiteral("shared.backgroundShadow"), 20);
    QCOMPARE(EditorSettings::shadow.read(settings, CaptureKind::window), 20.0);
    // Written only to the shared key, held to the range.
    QCOMPARE(EditorSettings::shadow.write(settings, CaptureKind::window, 99), 40.0);
    QCOMPARE(settings.number(QStringLiteral("shared.backgroundShadow")), std::optional(40.0));
    QCOMPARE(settings.number(QStringLiteral("window.backgroundShadow")), std::optional(12.0));
}

// A settings file as earlier versions wrote it, by hand.
void TestEditorSettings::storedFileReadsBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Velmora.conf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[General]\n"
               "annotationColor.r=0.25\nannotationColor.g=0.5\nannotationColor.b=1\n"
               "annotationHasWhiteStroke=true\n"
               "annotationArrowStyle=double\n"
               "region.textStyle=mono\n"
               "region.backgroundSelection=gradient:0\n"
               "region.customBackgroundColors=\"@ByteArray([{\\\"id\\\":\\\"a\\\",\\\"red\\\":1,"
               "\\\"green\\\":0,\\\"blue\\\":0,\\\"alpha\\\":1}])\"\n"
               "region.contentPadding=62.5\n");
    file.close();

    const FileSettingsStore settings(path);
    QCOMPARE(EditorSettings::annotationColor.read(settings), std::optional(Color{0.25, 0.5, 1, 1}));
    QCOMPARE(EditorSettings::customAnnotationColor.read(settings), std::optional<Color>());
    QCOMPARE(EditorSettings::annotationHasWhiteStroke.read(settings), true);
    QCOMPARE(EditorSettings::arrowStyle.read(settings), ArrowStyle::double_);
    QCOMPARE(EditorSettings::textStyle.read(settings, CaptureKind::region), TextStyle::mono);
    QCOMPARE(EditorSettings::textStyle.read(settings, CaptureKind::window), TextStyle::standard);
    QCOMPARE(EditorSettings::backgroundSelection.read(settings, CaptureKind::region),
             BackgroundSelection::fromPersistenceValue(QStringLiteral("gradient:0")));
    const auto colors = EditorSettings::customBackgroundColors.read(settings, CaptureKind::region);
    QCOMPARE(colors.size(), 1);
    QCOMPARE(colors.front().id, QStringLiteral("a"));
    QCOMPARE(colors.front().color(), (Color{1, 0, 0, 1}));
    QCOMPARE(EditorSettings::padding.read(settings, CaptureKind::region), 62.5);
    QCOMPARE(EditorSettings::padding.read(settings, CaptureKind::window), 45.0);
}

void TestEditorSettings::writtenValuesKeepTheirEncoding()
{
    MemorySettingsStore settings;
    EditorSettings::arrowStyle.write(settings, ArrowStyle::sketchDouble);
    EditorSettings::textStyle.write(settings, CaptureKind::window, TextStyle::roundedBox);
    EditorSettings::annotationHasWhiteStroke.write(settings, true);
    EditorSettings::annotationColor.write(settings, Color{0.1, 0.2, 0.3, 1});
    EditorSettings::backgroundSelection.write(settings, CaptureKind::region,
                                              BackgroundSelection::transparent());

    QCOMPARE(settings.value(QStringLiteral("annotationArrowStyle")),
             QVariant(QStringLiteral("sketchDouble")));
    QCOMPARE(settings.value(QStringLiteral("window.textStyle")), QVariant(QStringLiteral("roundedBox")));
    QCOMPARE(settings.value(QStringLiteral("annotationHasWhiteStroke")), QVariant(true));
    QCOMPARE(settings.value(QStringLiteral("annotationColor.r")), QVariant(0.1));
    QCOMPARE(settings.value(QStringLiteral("annotationColor.g")), QVariant(0.2));
    QCOMPARE(settings.value(QStringLiteral("annotationColor.b")), QVariant(0.3));
    QCOMPARE(settings.value(QStringLiteral("region.backgroundSelection")),
             QVariant(BackgroundSelection::transparent().persistenceValue()));

    // A list that cannot be written as JSON drops the stored one rather than leave it stale.
    const QVector<BackgroundColorItem> good{BackgroundColorItem::make(QStringLiteral("x"), Color::white())};
    EditorSettings::customBackgroundColors.write(settings, CaptureKind::region, good);
    QCOMPARE(settings.value(QStringLiteral("region.customBackgroundColors")),
             QVariant(encodeColorItems(good)));
    BackgroundColorItem broken = good.front();
    broken.red = std::numeric_limits<double>::quiet_NaN();
    EditorSettings::customBackgroundColors.write(settings, CaptureKind::region, {broken});
    QVERIFY(!settings.contains(QStringLiteral("region.customBackgroundColors")));
}

void TestEditorSettings::colorRules_data()
{
    QTest::addColumn<QVariantMap>("stored");
    QTest::addColumn<std::optional<Color>>("expected");
    QTest::newRow("nothing stored") << QVariantMap{} << std::optional<Color>();
    QTest::newRow("green and blue missing")
        << QVariantMap{{QStringLiteral("c.r"), 0.5}} << std::optional(Color{0.5, 0, 0, 1});
    QTest::newRow("out of range") << QVariantMap{{QStringLiteral("c.r"), 7},
                                                 {QStringLiteral("c.g"), -1},
                                                 {QStringLiteral("c.b"), 0.5}}
                                  << std::optional(Color{1, 0, 0.5, 1});
    QTest::newRow("no red") << QVariantMap{{QStringLiteral("c.g"), 1}, {QStringLiteral("c.b"), 1}}
                            << std::optional<Color>();
}

void TestEditorSettings::colorRules()
{
    QFETCH(QVariantMap, stored);
    QFETCH(std::optional<Color>, expected);
    const ColorSetting setting{{QStringLiteral("c"), SettingScope::global}, std::nullopt};
    MemorySettingsStore settings;
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        settings.setValue(it.key(), it.value());
    }
    QCOMPARE(setting.read(settings), expected);
    if (expected) {
        // Writing no colour removes all three numbers, so it reads as none again.
        setting.write(settings, std::nullopt);
        QVERIFY(!settings.contains(QStringLiteral("c.r")));
        QVERIFY(!settings.contains(QStringLiteral("c.g")));
        QVERIFY(!settings.contains(QStringLiteral("c.b")));
        QCOMPARE(setting.read(settings), std::optional<Color>());
    }
}

void TestEditorSettings::unreadableValuesGiveTheDefault()
{
    MemorySettingsStore settings;
    settings.setValue(QStringLiteral("annotationArrowStyle"), QStringLiteral("curly"));
    settings.setValue(QStringLiteral("region.textStyle"), 3);
    settings.setValue(QStringLiteral("annotationHasWhiteStroke"), QStringLiteral("maybe"));
    settings.setValue(QStringLiteral("region.customBackgroundColors"), QByteArray("[]"));
    settings.setValue(QStringLiteral("window.customBackgroundColors"), QByteArray("{not json"));
    QCOMPARE(EditorSettings::arrowStyle.read(settings), ArrowStyle::sketch);
    QCOMPARE(EditorSettings::textStyle.read(settings, CaptureKind::region), TextStyle::standard);
    QCOMPARE(EditorSettings::annotationHasWhiteStroke.read(settings), false);
    const QVector<BackgroundColorItem> fresh{defaultCustomColorItem()};
    QCOMPARE(EditorSettings::customBackgroundColors.read(settings, CaptureKind::region), fresh);
    QCOMPARE(EditorSettings::customBackgroundColors.read(settings, CaptureKind::window), fresh);
    QCOMPARE(EditorSettings::annotationColor.read(settings), std::optional(Color::fromRgb8(255, 59, 48)));
}

QTEST_GUILESS_MAIN(TestEditorSettings)
#include "tst_editorsettings.moc"
