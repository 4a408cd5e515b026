// Text recognition: the module's load time, the time of one 800×200 recognition once loaded, and
// the character error rate over screen-like images (bundled and system faces, several sizes, light
// and dark) for each way of preparing the image, next to the `tesseract` command on the same files.
#include "annotation/TextLayout.h"
#include "capture/OcrEngine.h"
#include "capture/OcrImage.h"
#include "capture/OcrService.h"
#include "preferences/SettingsStore.h"

#include "BenchSupport.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLibrary>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using namespace velmora;

namespace {

struct Sample
{
    QImage image;
    QString text;
    QString label;
};

const QStringList sentences = {
    QStringLiteral("Build finished with 3 warnings in 12.4 s"),
    QStringLiteral("Open Settings > Appearance to change the theme"),
    QStringLiteral("git commit -m \"Fix the parser\" && git push"),
    QStringLiteral("Total: $1,284.50 (VAT included)"),
    QStringLiteral("The quick brown fox jumps over the lazy dog"),
    QStringLiteral("Error: file not found: /home/user/report.pdf"),
};

Sample sample(const QString& family, int pixelSize, bool dark, int seed)
{
    QImage image(800, 200, QImage::Format_RGB32);
    image.fill(dark ? QColor(36, 36, 40) : QColor(248, 248, 248));
    QPainter painter(&image);
    QFont font(family);
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    painter.setPen(dark ? QColor(220, 220, 220) : QColor(25, 25, 25));
    QStringList lines;
    int y = 10 + pixelSize;
    for (int i = 0; y < 195; ++i) {
        const QString line = sentences[(seed + i) % sentences.size()];
        painter.drawText(12, y, line);
        lines.append(line);
        y += pixelSize * 3 / 2;
    }
    return {image, lines.join(QLatin1Char('\n')),
            QStringLiteral("%1 %2px %3").arg(family).arg(pixelSize).arg(dark ? "dark" : "light")};
}

double errorCount(const QString& reference, const QString& text)
{
    std::vector<int> previous(text.size() + 1), current(text.size() + 1);
    for (int j = 0; j <= text.size(); ++j) {
        previous[j] = j;
    }
    for (int i = 1; i <= reference.size(); ++i) {
        current[0] = i;
        for (int j = 1; j <= text.size(); ++j) {
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1,
                                   previous[j - 1] + (reference[i - 1] == text[j - 1] ? 0 : 1)});
        }
        std::swap(previous, current);
    }
    return previous[text.size()];
}

// Lines trimmed, blank ones dropped: what the service returns, applied to the command's output too.
QString cleaned(const QString& raw)
{
    QStringList lines;
    for (const QString& line : raw.split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty()) {
            lines.append(line.trimmed());
        }
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

int main(int argc, char* argv[])
{
    restartWithOneOcrThread(argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    registerBundledFonts();

    std::vector<Sample> samples;
    QStringList families;
    for (const BundledFont& font : bundledFonts()) {
        families.append(font.family);
    }
    families.append(QStringLiteral("DejaVu Sans"));
    families.append(QStringLiteral("DejaVu Serif"));
    int seed = 0;
    for (const QString& family : families) {
        for (const int size : {11, 13, 16, 20}) {
            for (const bool dark : {false, true}) {
                samples.push_back(sample(family, size, dark, seed++));
            }
        }
    }

    MemorySettingsStore settings;
    OcrService service(settings);
    QElapsedTimer timer;
    timer.start();
    if (!service.isAvailable()) {
        std::printf("text recognition unavailable\n");
        return 1;
    }
    std::printf("module load + engine start: %.1f ms\n", timer.nsecsElapsed() / 1e6);
    const QImage region = samples.front().image;
    service.recognizeText(region);
    std::printf("800x200 region, once loaded (median of 10): %.1f ms\n",
                bench::medianMs(10, [&] { service.recognizeText(region); }));

    // The engine directly, to compare preparations on the same samples.
    QLibrary library(OcrService::defaultModulePaths().at(1));
    const auto create = reinterpret_cast<OcrEngineFactory>(library.resolve(ocrEngineFactorySymbol));
    char error[256] = {};
    const std::unique_ptr<OcrEngine> engine(
        create(OcrService::dataFolder().toLocal8Bit().constData(), "eng", error, sizeof error));
    struct Variant
    {
        const char* name;
        OcrPreparation preparation;
    };
    const std::vector<Variant> variants = {
        {"grey, invert dark", {true, 0, 1}},
        {"grey, invert dark, 2x", {true, 100000, 2}},
        {"service default", defaultOcrPreparation()},
    };
    for (const Variant& variant : variants) {
        double errors = 0, characters = 0, ms = 0;
        double darkErrors = 0, smallErrors = 0;
        for (const Sample& s : samples) {
            QElapsedTimer t;
            t.start();
            const QImage prepared = prepareForOcr(s.image, variant.preparation);
            const QString text = cleaned(QString::fromStdString(engine->recognize(
                prepared.constBits(), prepared.width(), prepared.height(), int(prepared.bytesPerLine()))));
            ms += t.nsecsElapsed() / 1e6;
            const double e = errorCount(s.text, text);
            errors += e;
            characters += s.text.size();
            darkErrors += s.label.endsWith(QLatin1String("dark")) ? e : 0;
            smallErrors += s.label.contains(QLatin1String(" 11px")) ? e : 0;
        }
        std::printf("%-24s CER %.4f (dark errors %.0f, 11px errors %.0f), %.1f ms per image\n", variant.name,
                    errors / characters, darkErrors, smallErrors, ms / samples.size());
    }

    // The tesseract command on the same images, whole process each.
    QTemporaryDir dir;
    double errors = 0, characters = 0, ms = 0;
    int n = 0;
    for (const Sample& s : samples) {
        const QString path = dir.filePath(QStringLiteral("%1.png").arg(n++));
        s.image.save(path);
        QProcess process;
        QElapsedTimer t;
        t.start();
        process.start(QStringLiteral("tesseract"), {path, QStringLiteral("stdout")});
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            std::printf("tesseract command: not available (%s)\n", qPrintable(process.errorString()));
            return 0;
        }
        ms += t.nsecsElapsed() / 1e6;
        errors += errorCount(s.text, cleaned(QString::fromUtf8(process.readAllStandardOutput())));
        characters += s.text.size();
    }
    std::printf("%-24s CER %.4f, %.1f ms per image (whole process)\n", "tesseract command",
                errors / characters, ms / samples.size());
    return 0;
}
