#pragma once

#include <cstddef>
#include <string>

namespace velmora {

// The recognition engine as the loadable OCR module implements it. The module is built with the
// same compiler and library as the program, so a C++ interface with std::string crosses the boundary
// safely; only the factory is a plain C symbol, so that QLibrary can resolve it by name.
class OcrEngine
{
public:
    virtual ~OcrEngine() = default;

    // Text of an 8-bit greyscale image (dark text on a light ground reads best), lines separated by
    // '\n', UTF-8. Nothing recognised gives an empty string. Never throws: engine errors give "".
    virtual std::string recognize(const unsigned char* pixels, int width, int height, int bytesPerLine) = 0;
};

// extern "C" OcrEngine* velmora_ocr_create(const char* dataPath, const char* languages, char* error,
//                                          std::size_t errorSize);
// dataPath may be null (the engine's own default folder); languages as "eng" or "eng+deu". Gives
// null on failure with a message in `error`.
using OcrEngineFactory = OcrEngine* (*)(const char* dataPath, const char* languages, char* error,
                                        std::size_t errorSize);
inline constexpr const char* ocrEngineFactorySymbol = "velmora_ocr_create";

} // namespace velmora
