#include "annotation/AnnotationJson.h"

#include <QTest>

using namespace velmora;

// What a file from a script or a stranger may hold: every rule of the reader, one row each, so
// loosening a check (a minimum, a bound, a type) fails a named row.
class TestAnnotationJson : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void validation_data();
    void validation();
    void readsEveryKindWithDefaults();
    void boundsOnSizeOfInput();
};

void TestAnnotationJson::validation_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error"); // empty: accepted
    const auto row = [](const char* name, const char* json, const char* error) {
        QTest::newRow(name) << QByteArray(json) << QString::fromUtf8(error);
    };
    row("empty list", "[]", "");
    row("not JSON", "[{", "not valid JSON");
    row("not a list", R"({"kind":"arrow"})", "expected a JSON list");
    row("not an object", "[1]", "annotation 1: expected an object");
    row("unknown kind", R"([{"kind":"star"}])", "\"kind\" must be one of");
    row("arrow", R"([{"kind":"arrow","startPoint":[0,0],"endPoint":[5,5]}])", "");
    row("arrow missing point", R"([{"kind":"arrow","startPoint":[0,0]}])", "\"endPoint\"");
    row("point of three", R"([{"kind":"arrow","startPoint":[0,0,0],"endPoint":[5,5]}])", "\"startPoint\"");
    row("point as text", R"([{"kind":"arrow","startPoint":["0","0"],"endPoint":[5,5]}])", "\"startPoint\"");
    row("coordinate beyond range", R"([{"kind":"arrow","startPoint":[1e300,0],"endPoint":[5,5]}])",
        "\"startPoint\"");
    row("line width 0", R"([{"kind":"arrow","startPoint":[0,0],"endPoint":[5,5],"lineWidth":0}])", "");
    row("negative line width", R"([{"kind":"arrow","startPoint":[0,0],"endPoint":[5,5],"lineWidth":-1}])",
        "\"lineWidth\"");
    row("rect line width below 0", R"([{"kind":"rect","origin":[1,1],"size":[2,2],"lineWidth":-0.1}])",
        "\"lineWidth\"");
    row("ellipse line width below 0", R"([{"kind":"ellipse","origin":[1,1],"size":[2,2],"lineWidth":-0.1}])",
        "\"lineWidth\"");
    row("stroke line width below 0", R"([{"kind":"draw","points":[[0,0]],"lineWidth":-0.1}])",
        "\"lineWidth\"");
    row("negative corner radius", R"([{"kind":"rect","origin":[1,1],"size":[2,2],"cornerRadius":-1}])",
        "\"cornerRadius\"");
    row("huge line width", R"([{"kind":"arrow","startPoint":[0,0],"endPoint":[5,5],"lineWidth":1e300}])",
        "\"lineWidth\"");
    row("unknown arrow style", R"([{"kind":"arrow","startPoint":[0,0],"endPoint":[5,5],"style":"x"}])",
        "\"style\" must be one of");
    row("bad colour", R"([{"kind":"arrow","startPoint":[0,0],"endPoint":[5,5],"color":"#-1-1-1"}])",
        "\"color\"");
    row("flag as number", R"([{"kind":"rect","origin":[1,1],"size":[2,2],"hasWhiteStroke":1}])",
        "\"hasWhiteStroke\"");
    row("negative size", R"([{"kind":"rect","origin":[1,1],"size":[-2,2]}])", "\"size\"");
    row("second annotation named",
        R"([{"kind":"rect","origin":[1,1],"size":[2,2]},{"kind":"rect","origin":[1,1]}])",
        "annotation 2: \"size\"");
    row("text", R"([{"kind":"text","position":[5,5],"text":"Hi"}])", "");
    row("font size 1", R"([{"kind":"text","position":[5,5],"text":"Hi","fontSize":1}])", "");
    row("font size 0", R"([{"kind":"text","position":[5,5],"text":"Hi","fontSize":0}])", "\"fontSize\"");
    row("font size below 1", R"([{"kind":"text","position":[5,5],"text":"Hi","fontSize":0.5}])",
        "\"fontSize\"");
    row("font size huge", R"([{"kind":"text","position":[5,5],"text":"Hi","fontSize":5000}])",
        "\"fontSize\"");
    row("text not a string", R"([{"kind":"text","position":[5,5],"text":7}])", "\"text\"");
    row("negative wrap width", R"([{"kind":"text","position":[5,5],"text":"Hi","maxWidth":-3}])",
        "\"maxWidth\"");
    row("blur pixel size 1", R"([{"kind":"blur","origin":[0,0],"size":[9,9],"pixelSize":1}])", "");
    row("blur pixel size 0.5", R"([{"kind":"blur","origin":[0,0],"size":[9,9],"pixelSize":0.5}])",
        "\"pixelSize\"");
    row("blur pixel size huge", R"([{"kind":"blur","origin":[0,0],"size":[9,9],"pixelSize":1001}])",
        "\"pixelSize\"");
    row("negative blur size", R"([{"kind":"blur","origin":[0,0],"size":[9,-1]}])", "\"size\"");
    row("blur pixel size below 1", R"([{"kind":"blur","origin":[0,0],"size":[9,9],"pixelSize":0}])",
        "\"pixelSize\"");
    row("stroke point not a pair", R"([{"kind":"draw","points":[[0,0],[1]]}])", "\"points\"");
    row("stroke point beyond range", R"([{"kind":"draw","points":[[0,0],[0,-2e6]]}])", "\"points\"");
}

void TestAnnotationJson::validation()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, error);
    const auto parsed = parseAnnotationsJson(json);
    if (error.isEmpty()) {
        if (const auto* failure = std::get_if<AnnotationParseError>(&parsed)) {
            QFAIL(qPrintable(failure->message));
        }
        return;
    }
    QVERIFY(std::holds_alternative<AnnotationParseError>(parsed));
    const QString message = std::get<AnnotationParseError>(parsed).message;
    QVERIFY2(message.contains(error), qPrintable(message));
}

void TestAnnotationJson::readsEveryKindWithDefaults()
{
    const auto parsed = parseAnnotationsJson(R"([
        {"kind":"arrow","startPoint":[1,2],"endPoint":[30,40],"style":"sketch"},
        {"kind":"text","position":[5,6],"text":"Hi","style":"mono","maxWidth":120},
        {"kind":"rect","origin":[1,1],"size":[20,10],"color":"#00FF0080"},
        {"kind":"ellipse","origin":[2,2],"size":[8,6],"lineWidth":3},
        {"kind":"draw","points":[[0,0],[3,4],[6,0]]},
        {"kind":"blur","origin":[0,0],"size":[9,9]}])");
    QVERIFY(std::holds_alternative<AnnotationList>(parsed));
    const AnnotationList list = std::get<AnnotationList>(parsed);
    QCOMPARE(list.size(), 6);
    const auto& arrow = std::get<ArrowAnnotation>(list[0]);
    QCOMPARE(arrow.style, ArrowStyle::sketch);
    QCOMPARE(arrow.lineWidth, 8.0);
    QCOMPARE(arrow.endPoint, QPointF(30, 40));
    const auto& text = std::get<TextAnnotation>(list[1]);
    QCOMPARE(text.style, TextStyle::mono);
    QCOMPARE(text.fontSize, 32.0);
    QCOMPARE(text.maxWidth, std::optional<double>(120));
    QCOMPARE(std::get<RectAnnotation>(list[2]).color.toQColor().rgba(), qRgba(0, 255, 0, 128));
    QCOMPARE(std::get<EllipseAnnotation>(list[3]).lineWidth, 3.0);
    QCOMPARE(std::get<DrawAnnotation>(list[4]).points.size(), 3);
    QCOMPARE(std::get<BlurAnnotation>(list[5]).pixelSize, 10.0);
}

// Text length, stroke length, count and file size are bounded, so a hostile file is refused at
// once instead of taking minutes and gigabytes to lay out and draw.
void TestAnnotationJson::boundsOnSizeOfInput()
{
    const auto errorOf = [](const QByteArray& json) {
        const auto parsed = parseAnnotationsJson(json);
        return std::holds_alternative<AnnotationParseError>(parsed)
                   ? std::get<AnnotationParseError>(parsed).message
                   : QString();
    };
    const QByteArray longText(10001, 'x');
    QVERIFY(errorOf(R"([{"kind":"text","position":[5,5],"text":")" + longText + "\"}]").contains("\"text\""));
    QVERIFY(
        errorOf(R"([{"kind":"text","position":[5,5],"text":")" + longText.left(10000) + "\"}]").isEmpty());

    QByteArray points = "[0,0]";
    for (int i = 0; i < 100000; ++i) {
        points += ",[1,1]";
    }
    QVERIFY(errorOf(R"([{"kind":"draw","points":[)" + points + "]}]").contains("\"points\""));

    QByteArray many = "[";
    for (int i = 0; i < 10001; ++i) {
        many += QByteArray(i ? "," : "") + R"({"kind":"blur","origin":[0,0],"size":[1,1]})";
    }
    QVERIFY(errorOf(many + "]").contains("more than 10000 annotations"));
    QVERIFY(errorOf("[" + QByteArray(maxAnnotationsJsonBytes, ' ') + "]").contains("larger than"));
}

QTEST_GUILESS_MAIN(TestAnnotationJson)
#include "tst_annotationjson.moc"
