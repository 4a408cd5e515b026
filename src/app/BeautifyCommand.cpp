#include "BeautifyCommand.h"

#include "annotation/AnnotationGeometry.h"
#include "annotation/AnnotationJson.h"
#include "editor/BackgroundAssetStore.h"
#include "editor/CompositeRenderer.h"
#include "editor/EditorSession.h"
#include "editor/EditorSettings.h"
#include "imaging/AtomicFile.h"
#include "imaging/ImageDecoder.h"
#include "preferences/SettingsStore.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <cstdio>
#include <optional>

namespace velmora {

namespace {

// Pixels per point of the input: from a quarter (a thumbnail) to 16 (far beyond any display).
constexpr double minimumScale = 0.25;
constexpr double maximumScale = 16;

struct UsageError
{
    QString message;
};

void printError(const QString& message)
{
    std::fprintf(stderr, "velmora beautify: %s\n", qPrintable(message));
}

// A number option: finite and within [minimum, maximum].
std::optional<double> numberOption(const QCommandLineParser& parser, const QString& name, double fallback,
                                   double minimum, double maximum, std::optional<UsageError>& error)
{
    if (!parser.isSet(name)) {
        return fallback;
    }
    bool ok = false;
    const QString text = parser.value(name);
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < minimum || value > maximum) {
        if (!error) {
            error = UsageError{QStringLiteral("--%1 needs a number from %2 to %3, not \"%4\"")
                                   .arg(name)
                                   .arg(minimum)
                                   .arg(maximum)
                                   .arg(text)};
        }
        return std::nullopt;
    }
    return value;
}

// The same ranges as the editor's sliders.
std::optional<double> settingOption(const QCommandLineParser& parser, const QString& name,
                                    const NumberSetting& setting, CaptureKind kind,
                                    std::optional<UsageError>& error)
{
    return numberOption(parser, name, setting.defaultValue(kind), setting.minimum, setting.maximum, error);
}

// "Padding in points, 0 to 100 (50; 45 with --window).": the range and defaults the editor declares.
QString settingHelp(const QString& what, const NumberSetting& setting)
{
    QString defaults = QString::number(setting.regionDefault);
    if (setting.windowDefault != setting.regionDefault) {
        defaults += QStringLiteral("; %1 with --window").arg(setting.windowDefault);
    }
    return QStringLiteral("%1, %2 to %3 (%4).")
        .arg(what)
        .arg(setting.minimum)
        .arg(setting.maximum)
        .arg(defaults);
}

// The background choices that make sense without an editor's stored lists.
std::optional<BackgroundSelection> parseBackground(const QString& value)
{
    const BackgroundSelection parsed = BackgroundSelection::fromPersistenceValue(value);
    switch (parsed.kind()) {
    case BackgroundSelection::Kind::customColor:
    case BackgroundSelection::Kind::userWallpaper:
        return std::nullopt;
    default:
        // fromPersistenceValue never fails; only a value that reads back the same was understood.
        return parsed.persistenceValue() == value ? std::optional(parsed) : std::nullopt;
    }
}

// Why a file cannot be read at all (missing, a folder, no permission), before it is decoded, so the
// user is not told that a file they may not open is not an image.
std::optional<QString> unreadableFileProblem(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        return QStringLiteral("no such file");
    }
    if (info.isDir()) {
        return QStringLiteral("it is a folder");
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return file.error() == QFileDevice::OpenError && !info.isReadable()
                   ? QStringLiteral("permission denied")
                   : file.errorString();
    }
    return std::nullopt;
}

QString backgroundChoices()
{
    return QStringLiteral("\"#RRGGBB\", \"transparent\", \"desktop-wallpaper\", \"auto-color\", "
                          "\"auto-gradient\", \"preset:<name>\" or \"gradient:<name>\"");
}

// The command's arguments, with the help text each shows under --help.
void describeOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral("Place an image on a background and write the PNG."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("beautify"), QStringLiteral("The command."));
    parser.addPositionalArgument(QStringLiteral("INPUT"), QStringLiteral("The image to place."));
    parser.addOptions({
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("The PNG to write. An existing file (INPUT too) is replaced only once the new one "
                        "is complete; a link keeps pointing where it did; a pipe or a device such as "
                        "/dev/stdout is written into, never replaced."),
         QStringLiteral("OUTPUT")},
        {QStringLiteral("background"),
         QStringLiteral("Background: ") + backgroundChoices() + QStringLiteral("."), QStringLiteral("VALUE"),
         QStringLiteral("auto-gradient")},
        {QStringLiteral("wallpaper"), QStringLiteral("A picture to use as the background."),
         QStringLiteral("FILE")},
        {QStringLiteral("background-blur"),
         settingHelp(QStringLiteral("Blur of the wallpaper"), EditorSettings::backgroundBlur),
         QStringLiteral("B")},
        {QStringLiteral("padding"), settingHelp(QStringLiteral("Padding in points"), EditorSettings::padding),
         QStringLiteral("P")},
        {QStringLiteral("inset"),
         settingHelp(QStringLiteral("Inset plate width in points"), EditorSettings::inset),
         QStringLiteral("I")},
        {QStringLiteral("corner-radius"),
         settingHelp(QStringLiteral("Corner radius in points"), EditorSettings::cornerRadius),
         QStringLiteral("R")},
        {QStringLiteral("shadow"), settingHelp(QStringLiteral("Shadow strength"), EditorSettings::shadow),
         QStringLiteral("D")},
        {QStringLiteral("no-shadow"), QStringLiteral("Draw no shadow.")},
        {QStringLiteral("window"), QStringLiteral("Use the window-capture defaults.")},
        {QStringLiteral("scale"), QStringLiteral("Pixels per point of INPUT, 0.25 to 16 (1)."),
         QStringLiteral("K")},
        {QStringLiteral("annotations"), QStringLiteral("A JSON list of annotations in content points."),
         QStringLiteral("FILE")},
    });
}

// The annotations file of --annotations: the list, or why it cannot be used.
std::variant<AnnotationList, QString> readAnnotationsFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("cannot read --annotations %1: %2").arg(file.fileName(), file.errorString());
    }
    // Read one byte past the limit, so an oversized file is refused without loading all of it.
    auto parsed = parseAnnotationsJson(file.read(maxAnnotationsJsonBytes + 1));
    if (auto* parseError = std::get_if<AnnotationParseError>(&parsed)) {
        return QStringLiteral("--annotations %1: %2").arg(file.fileName(), parseError->message);
    }
    return std::get<AnnotationList>(parsed);
}

} // namespace

std::variant<BeautifyJob, BeautifyExit> parseBeautifyArguments(const QStringList& arguments)
{
    const auto fail = [](const QString& message) { return BeautifyExit{2, message}; };
    QCommandLineParser parser;
    describeOptions(parser);
    if (!parser.parse(arguments)) {
        return fail(parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        return BeautifyExit{0, parser.helpText()};
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2) {
        return fail(positional.size() < 2
                        ? QStringLiteral("missing INPUT image")
                        : QStringLiteral("unexpected argument \"%1\"").arg(positional.at(2)));
    }
    BeautifyJob job;
    const QString inputPath = positional.at(1);
    job.outputPath = parser.value(QStringLiteral("output"));
    if (job.outputPath.isEmpty()) {
        return fail(QStringLiteral("missing -o OUTPUT"));
    }
    const QFileInfo outputInfo(job.outputPath);
    if (!outputInfo.absoluteDir().exists()) {
        return fail(QStringLiteral("the folder of OUTPUT does not exist: %1").arg(outputInfo.absolutePath()));
    }
    if (outputInfo.isDir()) {
        return fail(QStringLiteral("OUTPUT is a folder: %1").arg(job.outputPath));
    }

    job.kind = parser.isSet(QStringLiteral("window")) ? CaptureKind::window : CaptureKind::region;
    std::optional<UsageError> error;
    const auto padding =
        settingOption(parser, QStringLiteral("padding"), EditorSettings::padding, job.kind, error);
    const auto inset = settingOption(parser, QStringLiteral("inset"), EditorSettings::inset, job.kind, error);
    const auto radius =
        settingOption(parser, QStringLiteral("corner-radius"), EditorSettings::cornerRadius, job.kind, error);
    const auto shadow =
        settingOption(parser, QStringLiteral("shadow"), EditorSettings::shadow, job.kind, error);
    const auto blur = settingOption(parser, QStringLiteral("background-blur"), EditorSettings::backgroundBlur,
                                    job.kind, error);
    const auto scale = numberOption(parser, QStringLiteral("scale"), 1, minimumScale, maximumScale, error);
    if (error) {
        return fail(error->message);
    }
    job.padding = *padding;
    job.inset = *inset;
    job.cornerRadius = *radius;
    job.shadow = *shadow;
    job.backgroundBlur = *blur;
    job.drawsShadow = !parser.isSet(QStringLiteral("no-shadow"));

    const QString backgroundValue = parser.value(QStringLiteral("background"));
    const auto hexColor = Color::fromHex(backgroundValue);
    const auto selection = hexColor ? std::nullopt : parseBackground(backgroundValue);
    if (!hexColor && !selection) {
        return fail(
            QStringLiteral("unknown --background \"%1\"; use %2").arg(backgroundValue, backgroundChoices()));
    }

    if (const auto problem = unreadableFileProblem(inputPath)) {
        return fail(QStringLiteral("cannot read INPUT %1: %2").arg(inputPath, *problem));
    }
    auto input = decodeImageFile(inputPath);
    if (!input) {
        return fail(QStringLiteral("cannot read INPUT as an image: %1").arg(inputPath));
    }
    job.input = *input;
    job.input.setDevicePixelRatio(*scale);

    if (parser.isSet(QStringLiteral("wallpaper"))) {
        job.wallpaper = decodeImageFile(parser.value(QStringLiteral("wallpaper")));
        if (!job.wallpaper) {
            return fail(QStringLiteral("cannot read --wallpaper as an image: %1")
                            .arg(parser.value(QStringLiteral("wallpaper"))));
        }
    }
    if (hexColor) {
        job.background = *hexColor;
    } else {
        // A wallpaper given without a background choice is the background.
        const bool useWallpaper = job.wallpaper && !parser.isSet(QStringLiteral("background"));
        job.background = useWallpaper ? BackgroundSelection::desktopWallpaper() : *selection;
    }

    if (parser.isSet(QStringLiteral("annotations"))) {
        auto annotations = readAnnotationsFile(parser.value(QStringLiteral("annotations")));
        if (const auto* problem = std::get_if<QString>(&annotations)) {
            return fail(*problem);
        }
        job.annotations = std::get<AnnotationList>(std::move(annotations));
    }
    return job;
}

int renderBeautify(const BeautifyJob& job)
{
    // A private store: the command never touches the user's editor settings or wallpapers.
    MemorySettingsStore settings;
    BackgroundAssetStore wallpapers(QDir::temp().filePath(QStringLiteral("velmora-beautify-unused")));
    EditorSession session(job.input, job.kind,
                          CaptureBackgroundAssets{job.input, job.wallpaper, job.padding, job.drawsShadow},
                          true, {settings, wallpapers});
    session.setContentPadding(job.padding);
    session.setContentInset(job.inset);
    session.setContentCornerRadius(job.cornerRadius);
    session.setWindowCaptureShadow(job.shadow);
    session.setWindowCaptureBackgroundBlur(job.backgroundBlur);
    if (const auto* color = std::get_if<Color>(&job.background)) {
        session.addCustomBackgroundColor(*color);
    } else {
        session.setBackgroundSelection(std::get<BackgroundSelection>(job.background));
    }
    // Annotations come in content points; the editor keeps them over the content of the composite.
    session.setAnnotations(
        translatedAnnotations(job.annotations, QPointF(session.contentOffset(), session.contentOffset())));

    const QImage rendered = session.renderedImage();
    if (rendered.isNull()) {
        const QSize pixels = session.outputPixelDimensions();
        printError(
            QStringLiteral("the result (%1 x %2 pixels) could not be rendered: Velmora renders at most "
                           "%3 pixels a side and %4 million pixels, and needs the memory for them")
                .arg(pixels.width())
                .arg(pixels.height())
                .arg(kMaxCompositeSide)
                .arg(kMaxCompositePixels / 1000000));
        return 2;
    }
    const WriteResult written = writePngAtomically(job.outputPath, rendered);
    if (!written) {
        printError(QStringLiteral("cannot write %1: %2").arg(job.outputPath, written.errorMessage));
        return 1;
    }
    return 0;
}

int runBeautify(const QStringList& arguments)
{
    auto parsed = parseBeautifyArguments(arguments);
    if (const auto* stop = std::get_if<BeautifyExit>(&parsed)) {
        if (stop->status == 0) {
            std::fputs(qPrintable(stop->message), stdout);
        } else {
            printError(stop->message);
        }
        return stop->status;
    }
    return renderBeautify(std::get<BeautifyJob>(parsed));
}

} // namespace velmora
