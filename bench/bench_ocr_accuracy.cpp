// Text recognition, speed and accuracy side by side: a set of screen-like images with known text
// (menus, code, sentences, numbers; bundled and system faces at 11–20 px; light and dark themes;
// mostly 800×200 regions, a few smaller and larger ones) read three ways — the service in this
// process, `velmora ocr FILE` and `tesseract FILE stdout` as whole processes — each with its time per
// image and its character error rate (edit distance over the reference's length, white space
// normalised).
//
// bench_ocr_accuracy [--in-process] [--verbose] [--keep DIR]
//   --in-process  only the service in this process (quick, for comparing changes to the engine)
//   --verbose     print what each reader got wrong, image by image
//   --keep DIR    also write the images and their reference texts to DIR
#include "annotation/TextLayout.h"
#include "capture/OcrService.h"
#include "preferences/SettingsStore.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace velmora;

namespace {

struct Sample
{
    QImage image;
    QString text; // the reference, normalised
    QString label;
};

const QStringList prose = {
    QStringLiteral("Build finished with 3 warnings in 12.4 s"),
    QStringLiteral("Open Settings > Appearance to change the theme."),
    QStringLiteral("Total: $1,284.50 (VAT included)"),
    QStringLiteral("The quick brown fox jumps over the lazy dog"),
    QStringLiteral("Error: file not found: /home/user/report.pdf"),
    QStringLiteral("Last updated 2026-03-14 at 09:41, by Maria"),
    QStringLiteral("Download 48% complete - 2.7 MB of 5.6 MB"),
    QStringLiteral("Are you sure you want to delete 12 items?"),
    QStringLiteral("Server 192.168.1.20:8080 is not responding"),
    QStringLiteral("Press Ctrl+Shift+P to open the command palette"),
};

const QStringList code = {
    QStringLiteral("for (int i = 0; i < count; ++i) {"),
    QStringLiteral("    total += values[i] * 2;"),
    QStringLiteral("if (!file.open(QIODevice::ReadOnly))"),
    QStringLiteral("    return std::nullopt;"),
    QStringLiteral("const auto name = user.value(\"name\");"),
    QStringLiteral("git commit -m \"Fix the parser\" && git push"),
    QStringLiteral("export PATH=$HOME/.local/bin:$PATH"),
    QStringLiteral("def area(r): return 3.14159 * r ** 2"),
};

// Label on the left, shortcut on the right: the reading order must keep each pair on one line.
const std::vector<std::pair<QString, QString>> menu = {
    {QStringLiteral("New Window"), QStringLiteral("Ctrl+N")},
    {QStringLiteral("Open File..."), QStringLiteral("Ctrl+O")},
    {QStringLiteral("Save As..."), QStringLiteral("Ctrl+Shift+S")},
    {QStringLiteral("Close Tab"), QStringLiteral("Ctrl+W")},
    {QStringLiteral("Preferences"), QStringLiteral("Ctrl+,")},
    {QStringLiteral("Quit"), QStringLiteral("Ctrl+Q")},
    {QStringLiteral("Find in Files"), QStringLiteral("Ctrl+Shift+F")},
    {QStringLiteral("Go to Line"), QStringLiteral("Ctrl+G")},
};

enum class Kind { Prose, Code, Menu };

// Lines trimmed, runs of white space made one space, blank lines dropped.
QString normalised(const QString& text)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    QStringList lines;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.replace(space, QStringLiteral(" ")).trimmed();
        if (!line.isEmpty()) {
            lines.append(line);
        }
    }
    return lines.join(QLatin1Char('\n'));
}

Sample sample(Kind kind, const QString& family, int pixelSize, bool dark, QSize size, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(dark ? QColor(37, 37, 41) : QColor(250, 250, 250));
    QPainter painter(&image);
    QFont font(family);
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    painter.setPen(dark ? QColor(218, 218, 218) : QColor(28, 28, 28));
    const QFontMetrics metrics(font);
    const int step = pixelSize * 3 / 2 + 2;
    const int margin = 12;
    QStringList lines;
    for (int i = 0, y = margin + metrics.ascent(); y + metrics.descent() < size.height() - 4;
         ++i, y += step) {
        if (kind == Kind::Menu) {
            const auto& [label, shortcut] = menu[(seed + i) % menu.size()];
            const int right = std::min(size.width() - margin, margin + 22 * pixelSize);
            painter.drawText(margin, y, label);
            painter.drawText(right - metrics.horizontalAdvance(shortcut), y, shortcut);
            lines.append(label + QLatin1Char(' ') + shortcut);
            continue;
        }
        const QStringList& pool = kind == Kind::Code ? code : prose;
        const QString line = pool[(seed + i) % pool.size()];
        if (margin + metrics.horizontalAdvance(line) > size.width() - margin) {
            continue; // a small region shows only the lines that fit
        }
        painter.drawText(margin, y, line);
        lines.append(line);
    }
    static const char* const kinds[] = {"prose", "code", "menu"};
    return {image, normalised(lines.join(QLatin1Char('\n'))),
            QStringLiteral("%1 %2 %3px %4 %5x%6")
                .arg(QLatin1String(kinds[int(kind)]), family)
                .arg(pixelSize)
                .arg(QLatin1String(dark ? "dark" : "light"))
                .arg(size.width())
                .arg(size.height())};
}

std::vector<Sample> samples()
{
    QStringList families;
    for (const BundledFont& font : bundledFonts()) {
        families.append(font.family);
    }
    families.append(QStringLiteral("DejaVu Sans"));
    families.append(QStringLiteral("DejaVu Sans Mono"));
    const auto isMono = [](const QString& family) { return family.contains(QLatin1String("Mono")); };

    std::vector<Sample> all;
    int seed = 0;
    for (const QString& family : families) {
        for (const int size : {11, 14, 17, 20}) {
            for (const bool dark : {false, true}) {
                // Monospaced faces show code; the others alternate between prose and menus.
                const Kind kind = isMono(family) ? (seed % 3 == 0 ? Kind::Prose : Kind::Code)
                                                 : (seed % 3 == 0 ? Kind::Menu : Kind::Prose);
                all.push_back(sample(kind, family, size, dark, {800, 200}, seed++));
            }
        }
    }
    // A button-sized strip, a short snippet, and a large window-sized region.
    all.push_back(sample(Kind::Prose, families.at(0), 13, false, {360, 40}, seed++));
    all.push_back(sample(Kind::Prose, QStringLiteral("DejaVu Sans"), 12, true, {420, 60}, seed++));
    all.push_back(sample(Kind::Code, QStringLiteral("DejaVu Sans Mono"), 13, true, {480, 120}, seed++));
    all.push_back(sample(Kind::Menu, QStringLiteral("DejaVu Sans"), 14, false, {420, 260}, seed++));
    all.push_back(sample(Kind::Prose, QStringLiteral("DejaVu Sans"), 15, false, {1400, 700}, seed++));
    all.push_back(sample(Kind::Code, families.at(2), 14, true, {1200, 500}, seed++));
    return all;
}

struct Outcome
{
    std::vector<double> ms;
    double errors = 0;
    double characters = 0;
    int worst = -1;
    double worstRate = -1;
};

void report(const char* name, Outcome outcome)
{
    std::sort(outcome.ms.begin(), outcome.ms.end());
    double sum = 0;
    for (const double ms : outcome.ms) {
        sum += ms;
    }
    const double median =
        outcome.ms.size() % 2
            ? outcome.ms[outcome.ms.size() / 2]
            : (outcome.ms[outcome.ms.size() / 2 - 1] + outcome.ms[outcome.ms.size() / 2]) / 2;
    std::printf(
        "%-22s CER %.4f (%4.0f errors in %.0f characters), per image mean %6.1f ms, median %6.1f ms\n", name,
        outcome.errors / outcome.characters, outcome.errors, outcome.characters, sum / outcome.ms.size(),
        median);
}

// Each sample through `read`, which gives the text or nothing when the reader is unusable.
std::optional<Outcome> measure(const std::vector<Sample>& all,
                               const std::function<std::optional<QString>(int)>& read, bool verbose)
{
    Outcome outcome;
    for (int i = 0; i < int(all.size()); ++i) {
        QElapsedTimer timer;
        timer.start();
        const std::optional<QString> text = read(i);
        outcome.ms.push_back(timer.nsecsElapsed() / 1e6);
        if (!text) {
            return std::nullopt;
        }
        const double errors = test::editDistance(all[i].text, normalised(*text));
        outcome.errors += errors;
        outcome.characters += all[i].text.size();
        if (verbose && errors > 0) {
            std::printf("  %-44s %3.0f errors: %s\n", qPrintable(all[i].label), errors,
                        qPrintable(normalised(*text).replace(QLatin1Char('\n'), QStringLiteral(" | "))));
        }
    }
    return outcome;
}

// The whole process of a command reading one file; its stdout, or nothing when it cannot run.
std::optional<QString> runCommand(const QString& program, const QStringList& arguments)
{
    // As from a user's shell: this benchmark restarted itself with OMP_THREAD_LIMIT set, which the
    // commands must not inherit.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("OMP_THREAD_LIMIT"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() > 1) {
        return std::nullopt;
    }
    return QString::fromUtf8(process.readAllStandardOutput());
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
    const QStringList arguments = app.arguments();
    const bool inProcessOnly = arguments.contains(QStringLiteral("--in-process"));
    const bool verbose = arguments.contains(QStringLiteral("--verbose"));
    const qsizetype keepAt = arguments.indexOf(QStringLiteral("--keep"));

    const std::vector<Sample> all = samples();
    QTemporaryDir temporary;
    const QString folder =
        keepAt > 0 && keepAt + 1 < arguments.size() ? arguments.at(keepAt + 1) : temporary.path();
    QDir().mkpath(folder);
    QStringList files;
    for (int i = 0; i < int(all.size()); ++i) {
        files.append(QDir(folder).filePath(QStringLiteral("sample%1.png").arg(i, 2, 10, QLatin1Char('0'))));
        all[i].image.save(files.last());
        QFile reference(
            QDir(folder).filePath(QStringLiteral("sample%1.txt").arg(i, 2, 10, QLatin1Char('0'))));
        if (reference.open(QIODevice::WriteOnly)) {
            reference.write(all[i].text.toUtf8() + '\n');
        }
    }
    std::printf("%zu images, %s\n", all.size(), qPrintable(folder));

    MemorySettingsStore settings;
    OcrService service(settings);
    QElapsedTimer timer;
    timer.start();
    if (!service.isAvailable()) {
        std::printf("text recognition unavailable\n");
        return 1;
    }
    std::printf("module load + engine start: %.1f ms\n", timer.nsecsElapsed() / 1e6);
    timer.restart();
    service.recognizeText(all.front().image);
    std::printf("first 800x200 recognition: %.1f ms\n", timer.nsecsElapsed() / 1e6);
    const auto inProcess = measure(
        all, [&](int i) { return service.recognizeText(all[i].image).value_or(QString()); }, verbose);
    report("service, in process", *inProcess);
    std::vector<double> region;
    for (int i = 0; i < int(all.size()); ++i) {
        if (all[i].image.size() == QSize(800, 200)) {
            region.push_back(inProcess->ms[i]);
        }
    }
    std::sort(region.begin(), region.end());
    std::printf(
        "800x200 region, once loaded: median %.1f ms, fastest %.1f ms, slowest %.1f ms (%zu images)\n",
        region[region.size() / 2], region.front(), region.back(), region.size());
    if (inProcessOnly) {
        return 0;
    }

    const QString velmora = QStringLiteral(VELMORA_BINARY);
    if (const auto outcome = measure(
            all,
            [&](int i) {
                return runCommand(velmora, {QStringLiteral("ocr"), files[i]});
            },
            verbose)) {
        report("velmora ocr FILE", *outcome);
    } else {
        std::printf("velmora ocr FILE: could not run %s\n", qPrintable(velmora));
    }

    const QString tesseract = QStandardPaths::findExecutable(QStringLiteral("tesseract"));
    if (tesseract.isEmpty()) {
        std::printf("tesseract FILE stdout: skipped, no tesseract command on PATH\n");
        return 0;
    }
    if (const auto outcome = measure(
            all,
            [&](int i) {
                return runCommand(tesseract, {files[i], QStringLiteral("stdout")});
            },
            verbose)) {
        report("tesseract FILE stdout", *outcome);
    } else {
        std::printf("tesseract FILE stdout: the command failed\n");
    }
    return 0;
}
