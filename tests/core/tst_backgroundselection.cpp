#include "editor/BackgroundColorItem.h"
#include "editor/BackgroundPresets.h"
#include "editor/BackgroundSelection.h"

#include <QTest>

#include <limits>

using namespace velmora;

Q_DECLARE_METATYPE(velmora::BackgroundSelection)

namespace velmora {
// Readable failures: QCOMPARE prints the stored form.
char* toString(const BackgroundSelection& selection)
{
    return qstrdup(qPrintable(selection.persistenceValue()));
}
} // namespace velmora

class TestBackgroundSelection : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parses_data();
    void parses();
    void everyPresetRoundTrips();
    void normalises_data();
    void normalises();
    void colorItemsRoundTripThroughJson();
    void colorItemsReadTheStoredForm();
    void malformedColorItemsAreRejected_data();
    void malformedColorItemsAreRejected();
    void nonFiniteColorsAreNeverWritten();
    void gradientPresetsHaveTwoOpaqueColours();
};

void TestBackgroundSelection::parses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<BackgroundSelection>("expected");
    QTest::addColumn<bool>("roundTrips");

    QTest::newRow("preset") << "preset:coral" << BackgroundSelection::preset(BackgroundColorPreset::coral)
                            << true;
    QTest::newRow("custom colour") << "custom-color:4F1C" << BackgroundSelection::customColor("4F1C") << true;
    QTest::newRow("custom colour, empty id")
        << "custom-color:" << BackgroundSelection::customColor("") << true;
    QTest::newRow("custom colour, id with colon")
        << "custom-color:a:b" << BackgroundSelection::customColor("a:b") << true;
    QTest::newRow("gradient") << "gradient:neonCitrus"
                              << BackgroundSelection::gradient(BackgroundGradientPreset::neonCitrus) << true;
    QTest::newRow("user wallpaper") << "user-wallpaper:A1.JPG" << BackgroundSelection::userWallpaper("A1.JPG")
                                    << true;
    QTest::newRow("transparent") << "transparent" << BackgroundSelection::transparent() << true;
    QTest::newRow("desktop wallpaper")
        << "desktop-wallpaper" << BackgroundSelection::desktopWallpaper() << true;
    QTest::newRow("auto colour") << "auto-color" << BackgroundSelection::autoColor() << true;
    QTest::newRow("auto gradient") << "auto-gradient" << BackgroundSelection::autoGradient() << true;

    const auto white = BackgroundSelection::preset(BackgroundColorPreset::white);
    QTest::newRow("unknown preset") << "preset:magenta" << white << false;
    QTest::newRow("empty preset") << "preset:" << white << false;
    QTest::newRow("unknown gradient")
        << "gradient:rainbow" << BackgroundSelection::gradient(BackgroundGradientPreset::auroraDream)
        << false;
    QTest::newRow("bare custom-color") << "custom-color" << BackgroundSelection::customColor("") << false;
    QTest::newRow("custom-color without colon") << "custom-colorX" << white << false;
    QTest::newRow("garbage") << "garbage" << white << false;
    QTest::newRow("empty text") << "" << white << false;
    QTest::newRow("case matters") << "Transparent" << white << false;
}

void TestBackgroundSelection::parses()
{
    QFETCH(QString, text);
    QFETCH(BackgroundSelection, expected);
    QFETCH(bool, roundTrips);
    const BackgroundSelection parsed = BackgroundSelection::fromPersistenceValue(text);
    QCOMPARE(parsed, expected);
    if (roundTrips) {
        QCOMPARE(parsed.persistenceValue(), text);
    }
}

void TestBackgroundSelection::everyPresetRoundTrips()
{
    QCOMPARE(BackgroundSelection::fromPersistenceValue(std::nullopt),
             BackgroundSelection::desktopWallpaper());
    for (const auto preset : allCases<BackgroundColorPreset>()) {
        const auto selection = BackgroundSelection::preset(preset);
        QCOMPARE(BackgroundSelection::fromPersistenceValue(selection.persistenceValue()).colorPreset(),
                 preset);
    }
    for (const auto preset : allCases<BackgroundGradientPreset>()) {
        const auto selection = BackgroundSelection::gradient(preset);
        QCOMPARE(BackgroundSelection::fromPersistenceValue(selection.persistenceValue()).gradientPreset(),
                 preset);
    }
}

void TestBackgroundSelection::normalises_data()
{
    QTest::addColumn<BackgroundSelection>("selection");
    QTest::addColumn<QStringList>("colorIds");
    QTest::addColumn<QStringList>("wallpaperIds");
    QTest::addColumn<BackgroundSelection>("expected");

    const QStringList ab{"a", "b"};
    const auto wallpaper = BackgroundSelection::userWallpaper("X.png");
    QTest::newRow("existing wallpaper") << wallpaper << ab << QStringList{"Y.png", "X.png"} << wallpaper;
    QTest::newRow("missing wallpaper")
        << wallpaper << ab << QStringList{"Y.png"} << BackgroundSelection::desktopWallpaper();
    QTest::newRow("no wallpapers") << wallpaper << ab << QStringList{}
                                   << BackgroundSelection::desktopWallpaper();
    QTest::newRow("existing colour") << BackgroundSelection::customColor("b") << ab << QStringList{}
                                     << BackgroundSelection::customColor("b");
    QTest::newRow("removed colour") << BackgroundSelection::customColor("gone") << ab << QStringList{}
                                    << BackgroundSelection::customColor("a");
    QTest::newRow("empty colour id") << BackgroundSelection::customColor("") << ab << QStringList{}
                                     << BackgroundSelection::customColor("a");
    QTest::newRow("last colour removed")
        << BackgroundSelection::customColor("a") << QStringList{} << QStringList{}
        << BackgroundSelection::preset(BackgroundColorPreset::white);
    QTest::newRow("gradient untouched")
        << BackgroundSelection::gradient(BackgroundGradientPreset::softFog) << QStringList{} << QStringList{}
        << BackgroundSelection::gradient(BackgroundGradientPreset::softFog);
}

void TestBackgroundSelection::normalises()
{
    QFETCH(BackgroundSelection, selection);
    QFETCH(QStringList, colorIds);
    QFETCH(QStringList, wallpaperIds);
    QFETCH(BackgroundSelection, expected);
    QVector<BackgroundColorItem> colors;
    for (const QString& id : colorIds) {
        colors.append(BackgroundColorItem::make(id, Color::black()));
    }
    QVector<BackgroundWallpaperItem> wallpapers;
    for (const QString& id : wallpaperIds) {
        wallpapers.append({id, QUrl::fromLocalFile("/nowhere/" + id), QImage()});
    }
    QCOMPARE(normalizedBackgroundSelection(selection, colors, wallpapers), expected);
}

void TestBackgroundSelection::colorItemsRoundTripThroughJson()
{
    const QVector<BackgroundColorItem> items{
        defaultCustomColorItem(),
        BackgroundColorItem::make(QStringLiteral("ünïcode \"quoted\""), {0.1234567891234, 1.0 / 3.0, 0, 0.5}),
    };
    QCOMPARE(decodeColorItems(encodeColorItems(items)), std::optional(items));
    QCOMPARE(decodeColorItems(encodeColorItems({})), std::optional(QVector<BackgroundColorItem>{}));
}

void TestBackgroundSelection::colorItemsReadTheStoredForm()
{
    const auto decoded = decodeColorItems(
        R"([{"alpha":0.4,"blue":0.3,"green":0.2,"id":"x","red":0.1,"note":"extra keys are ignored"}])");
    QVERIFY(decoded);
    QCOMPARE(*decoded, (QVector<BackgroundColorItem>{{"x", 0.1, 0.2, 0.3, 0.4}}));
}

void TestBackgroundSelection::malformedColorItemsAreRejected_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("not JSON") << QByteArray("not json");
    QTest::newRow("empty data") << QByteArray();
    QTest::newRow("object instead of array") << QByteArray(R"({"id":"x"})");
    QTest::newRow("number element") << QByteArray("[1]");
    QTest::newRow("missing alpha") << QByteArray(R"([{"id":"x","red":0,"green":0,"blue":0}])");
    QTest::newRow("red as text") << QByteArray(R"([{"id":"x","red":"0.5","green":0,"blue":0,"alpha":1}])");
    QTest::newRow("numeric id") << QByteArray(R"([{"id":7,"red":0,"green":0,"blue":0,"alpha":1}])");
    QTest::newRow("null component") << QByteArray(R"([{"id":"x","red":null,"green":0,"blue":0,"alpha":1}])");
    QTest::newRow("one bad of two") << QByteArray(
        R"([{"id":"x","red":0,"green":0,"blue":0,"alpha":1},{"id":"y","red":0,"green":0,"blue":0}])");
}

void TestBackgroundSelection::malformedColorItemsAreRejected()
{
    QFETCH(QByteArray, json);
    QVERIFY(!decodeColorItems(json));
}

void TestBackgroundSelection::nonFiniteColorsAreNeverWritten()
{
    // JSON has no NaN: writing one would leave a list that can never be read back.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QCOMPARE(BackgroundColorItem::make("n", {nan, 0, 0, 1}).color(), Color::white());
    QVERIFY(
        encodeColorItems({defaultCustomColorItem(), {"n", 0, std::numeric_limits<double>::infinity(), 0, 1}})
            .isEmpty());
}

void TestBackgroundSelection::gradientPresetsHaveTwoOpaqueColours()
{
    // A translucent stop would let the desktop show through an exported picture.
    for (const auto preset : allCases<BackgroundGradientPreset>()) {
        QVERIFY(!displayName(preset).isEmpty());
        for (const Color& c : colors(preset)) {
            QCOMPARE(c.alpha, 1.0);
        }
    }
}

QTEST_GUILESS_MAIN(TestBackgroundSelection)
#include "tst_backgroundselection.moc"
