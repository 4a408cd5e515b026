// The OCR module: Tesseract behind the OcrEngine interface. Loaded on first use so that the program
// starts without Tesseract's libraries and OpenMP reads OMP_THREAD_LIMIT set just before.
#include "capture/OcrEngine.h"

#include <tesseract/baseapi.h>

#include <cstdio>
#include <exception>
#include <memory>

namespace velmora {
namespace {

class TesseractEngine final : public OcrEngine
{
public:
    TesseractEngine() = default;
    ~TesseractEngine() override { m_api.End(); }

    bool init(const char* dataPath, const char* languages)
    {
        if (m_api.Init(dataPath, languages, tesseract::OEM_LSTM_ONLY) != 0) {
            return false;
        }
        // The service hands over dark text on light already; Tesseract's own retry of doubtful
        // lines inverted would only run the recogniser twice on them.
        m_api.SetVariable("tessedit_do_invert", "0");
        return true;
    }

    std::string recognize(const unsigned char* pixels, int width, int height, int bytesPerLine) override
    {
        try {
            // A captured region is one block of text. Full page layout analysis split menus and
            // tables into columns, reading every label before the first shortcut; as one block,
            // each row of the screen stays one line.
            m_api.SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
            m_api.SetImage(pixels, width, height, 1, bytesPerLine);
            // Screen pixels carry no resolution; without one Tesseract guesses and logs a warning.
            m_api.SetSourceResolution(96);
            const std::unique_ptr<char[]> text(m_api.GetUTF8Text());
            m_api.Clear();
            return text ? std::string(text.get()) : std::string();
        } catch (const std::exception&) {
            m_api.Clear();
            return {};
        } catch (...) {
            m_api.Clear();
            return {};
        }
    }

private:
    tesseract::TessBaseAPI m_api;
};

} // namespace
} // namespace velmora

extern "C" __attribute__((visibility("default"))) velmora::OcrEngine*
velmora_ocr_create(const char* dataPath, const char* languages, char* error, std::size_t errorSize)
{
    try {
        auto engine = std::make_unique<velmora::TesseractEngine>();
        if (!engine->init(dataPath, languages)) {
            std::snprintf(error, errorSize, "Tesseract could not load the language data \"%s\"", languages);
            return nullptr;
        }
        return engine.release();
    } catch (const std::exception& e) {
        std::snprintf(error, errorSize, "Tesseract failed to start: %s", e.what());
    } catch (...) {
        std::snprintf(error, errorSize, "Tesseract failed to start");
    }
    return nullptr;
}
