// Layout of long annotation texts: what one paint of the canvas costs for a text of N characters
// (measure for the box and hit area, then the glyphs), and what a repeated paint costs.
#include "annotation/AnnotationGeometry.h"
#include "annotation/TextLayout.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <cstdio>

using namespace velmora;

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    registerBundledFonts();
    const QString words = QStringLiteral("The quick brown fox jumps over the lazy dog. ");
    for (const int length : {100, 1000, 10000}) {
        TextAnnotation text;
        text.style = TextStyle::standard;
        text.fontSize = 24;
        text.maxWidth = 600.0;
        while (text.text.size() < length) {
            text.text += words;
        }
        text.text.truncate(length);
        const auto paint = [&] {
            const QSizeF size = measuredTextSize(text);
            const QRectF block(text.position - QPointF(size.width() / 2, size.height() / 2), size);
            return textGlyphPath(text, block).elementCount();
        };
        QElapsedTimer timer;
        timer.start();
        paint();
        const double first = timer.nsecsElapsed() / 1e6;
        timer.restart();
        int count = 0;
        for (int i = 0; i < 10; ++i) {
            count += paint();
        }
        const double repeated = timer.nsecsElapsed() / 1e7;
        std::printf("%6d characters: first paint %8.2f ms, repeated paint %8.2f ms (%d path elements)\n",
                    length, first, repeated, count / 10);
    }
    return 0;
}
