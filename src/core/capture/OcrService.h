#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QLibrary;

namespace velmora {

class OcrEngine;
class SettingsStore;

// Text recognition of screen images. The engine lives in a module (velmora_ocr.so) loaded on first
// use and kept for the life of the service; a module that is missing or fails to start makes the
// service unavailable (logged once) and every recognition gives nothing.
class OcrService
{
public:
    // `modulePaths`: the module files to try, in order (defaultModulePaths() in the program).
    explicit OcrService(SettingsStore& settings, QStringList modulePaths = defaultModulePaths());
    ~OcrService();
    OcrService(const OcrService&) = delete;
    OcrService& operator=(const OcrService&) = delete;

    // Loads the module if it is not yet loaded; whether recognition can run.
    bool isAvailable();

    // The lines of text in reading order, each trimmed, blank lines dropped, joined with '\n';
    // nothing when there is no text (or the engine is unavailable). Safe to call from any thread;
    // recognitions run one at a time.
    std::optional<QString> recognizeText(const QImage& image);

    // The same on the global thread pool; `done` runs on `context`'s thread, and not at all when
    // `context` is gone by then.
    void recognizeTextAsync(const QImage& image, QObject* context,
                            std::function<void(std::optional<QString>)> done);

    // The setting holding the recognition languages ("eng", or several as "eng+deu").
    static QString languagesKey();
    // The languages from the setting, limited to installed ones; "eng" when the setting is unset.
    QString languages() const;

    // Languages whose data is installed (the .traineddata files of the tessdata folder), sorted.
    static QStringList installedLanguages();
    // The folder holding the language data: $TESSDATA_PREFIX or the system's tessdata folder.
    static QString dataFolder();

    // Next to the program's build, then the installed module folder. $VELMORA_OCR_MODULE, when
    // set, is the only path tried.
    static QStringList defaultModulePaths();

private:
    bool ensureEngine(const QString& languages);

    SettingsStore& m_settings;
    QStringList m_modulePaths;
    std::mutex m_mutex;
    std::unique_ptr<QLibrary> m_library;
    bool m_loadFailed = false;
    std::unique_ptr<OcrEngine> m_engine;
    QString m_engineLanguages;
};

// OpenMP reads OMP_THREAD_LIMIT once, when libgomp loads, and Qt's own libraries load libgomp at
// process start (through libb2), long before the recognition module. A process that recognises
// text calls this first thing in main(): without the variable it sets it and restarts itself, so
// Tesseract runs on one thread (several times faster on a small machine than on many). Returns
// only when the variable was already set or the restart failed.
void restartWithOneOcrThread(char** argv);

} // namespace velmora
