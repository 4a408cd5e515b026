#include "capture/OcrService.h"

#include "capture/OcrEngine.h"
#include "capture/OcrImage.h"
#include "preferences/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QThreadPool>

#include <array>

#include <unistd.h>

namespace velmora {

Q_LOGGING_CATEGORY(lcOcr, "velmora.ocr")

namespace {

const QString defaultLanguage = QStringLiteral("eng");

// Lines in the engine's reading order, trimmed, blank ones (paragraph breaks) dropped.
std::optional<QString> cleanedText(const std::string& raw)
{
    QStringList lines;
    for (const QString& line : QString::fromUtf8(raw).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty()) {
            lines.append(trimmed);
        }
    }
    if (lines.isEmpty()) {
        return std::nullopt;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

OcrService::OcrService(SettingsStore& settings, QStringList modulePaths)
    : m_settings(settings), m_modulePaths(std::move(modulePaths))
{}

OcrService::~OcrService()
{
    // The engine's code lives in the module; the library stays mapped (QLibrary never unloads on
    // destruction), so destroying the engine here is safe.
    m_engine.reset();
}

QString OcrService::languagesKey()
{
    return QStringLiteral("ocr.languages");
}

QString OcrService::languages() const
{
    const QString setting = m_settings.string(languagesKey()).value_or(defaultLanguage);
    const QStringList installed = installedLanguages();
    QStringList chosen;
    for (const QString& language :
         setting.split(QRegularExpression(QStringLiteral("[+,\\s]+")), Qt::SkipEmptyParts)) {
        // Without a listing (an unusual data folder) the engine is the judge of what exists.
        if ((installed.isEmpty() || installed.contains(language)) && !chosen.contains(language)) {
            chosen.append(language);
        }
    }
    return chosen.isEmpty() ? defaultLanguage : chosen.join(QLatin1Char('+'));
}

QString OcrService::dataFolder()
{
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    if (!prefix.isEmpty()) {
        return prefix;
    }
    for (const char* folder :
         {"/usr/share/tesseract-ocr/5/tessdata", "/usr/share/tesseract-ocr/4.00/tessdata",
          "/usr/share/tessdata", "/usr/local/share/tessdata"}) {
        if (QFileInfo(QString::fromLatin1(folder)).isDir()) {
            return QString::fromLatin1(folder);
        }
    }
    return {};
}

QStringList OcrService::installedLanguages()
{
    const QString folder = dataFolder();
    if (folder.isEmpty()) {
        return {};
    }
    QStringList languages;
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*.traineddata")}, QDir::Files);
    for (const QFileInfo& file : files) {
        // osd only detects orientation and script; it recognises no text.
        if (file.completeBaseName() != QLatin1String("osd")) {
            languages.append(file.completeBaseName());
        }
    }
    languages.sort();
    return languages;
}

QStringList OcrService::defaultModulePaths()
{
    const QString override = qEnvironmentVariable("VELMORA_OCR_MODULE");
    if (!override.isEmpty()) {
        return {override};
    }
    const QString name = QStringLiteral("velmora_ocr.so");
    QStringList paths;
    if (QCoreApplication::instance()) {
        paths.append(QCoreApplication::applicationDirPath() + QStringLiteral("/../lib/velmora/") + name);
    }
    paths.append(QStringLiteral(VELMORA_OCR_BUILD_DIR "/") + name);
    paths.append(QStringLiteral(VELMORA_OCR_INSTALL_DIR "/") + name);
    return paths;
}

bool OcrService::ensureEngine(const QString& languages)
{
    if (m_engine && m_engineLanguages == languages) {
        return true;
    }
    if (m_loadFailed) {
        return false;
    }
    if (!m_library) {
        // OpenMP reads its thread limit once, when Tesseract's libraries load. Recognising one
        // screen region on many threads is several times slower than on one; a limit the user set
        // is left alone.
        if (!qEnvironmentVariableIsSet("OMP_THREAD_LIMIT")) {
            qputenv("OMP_THREAD_LIMIT", "1");
        }
        QStringList errors;
        for (const QString& path : std::as_const(m_modulePaths)) {
            if (!QFileInfo::exists(path)) {
                errors.append(path + QStringLiteral(": not found"));
                continue;
            }
            auto library = std::make_unique<QLibrary>(path);
            if (library->load()) {
                m_library = std::move(library);
                break;
            }
            errors.append(library->errorString());
        }
        if (!m_library) {
            m_loadFailed = true;
            qCWarning(lcOcr).noquote()
                << "Text recognition is unavailable:" << errors.join(QStringLiteral("; "));
            return false;
        }
    }
    const auto create = reinterpret_cast<OcrEngineFactory>(m_library->resolve(ocrEngineFactorySymbol));
    if (!create) {
        m_loadFailed = true;
        qCWarning(lcOcr).noquote() << "Text recognition is unavailable:" << m_library->errorString();
        return false;
    }
    std::array<char, 512> error{};
    const QByteArray folder = dataFolder().toLocal8Bit();
    m_engine.reset(create(folder.isEmpty() ? nullptr : folder.constData(), languages.toUtf8().constData(),
                          error.data(), error.size()));
    if (!m_engine) {
        // A bad language is the setting's fault, not the module's: another setting may still work.
        qCWarning(lcOcr).noquote() << "Text recognition is unavailable:" << error.data();
        m_engineLanguages.clear();
        return false;
    }
    m_engineLanguages = languages;
    return true;
}

bool OcrService::isAvailable()
{
    const QString wanted = languages();
    const std::lock_guard lock(m_mutex);
    return ensureEngine(wanted);
}

std::optional<QString> OcrService::recognizeText(const QImage& image)
{
    if (image.isNull() || image.width() < 2 || image.height() < 2) {
        return std::nullopt;
    }
    const QString wanted = languages();
    const QImage prepared = prepareForOcr(image);
    const std::lock_guard lock(m_mutex);
    if (!ensureEngine(wanted)) {
        return std::nullopt;
    }
    return cleanedText(m_engine->recognize(prepared.constBits(), prepared.width(), prepared.height(),
                                           int(prepared.bytesPerLine())));
}

void OcrService::recognizeTextAsync(const QImage& image, QObject* context,
                                    std::function<void(std::optional<QString>)> done)
{
    QPointer<QObject> guard(context);
    QThreadPool::globalInstance()->start([this, image, guard, done = std::move(done)] {
        std::optional<QString> text = recognizeText(image);
        if (!guard) {
            return;
        }
        QMetaObject::invokeMethod(
            guard.data(),
            [guard, done, text = std::move(text)] {
                if (guard) {
                    done(text);
                }
            },
            Qt::QueuedConnection);
    });
}

void restartWithOneOcrThread(char** argv)
{
    if (qEnvironmentVariableIsSet("OMP_THREAD_LIMIT")) {
        return;
    }
    qputenv("OMP_THREAD_LIMIT", "1");
    execv("/proc/self/exe", argv);
    // Still here: the restart failed. Recognition works, only slower.
}

} // namespace velmora
