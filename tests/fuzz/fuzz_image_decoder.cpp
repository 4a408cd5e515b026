// Images reach the editor from files, the clipboard and imported wallpapers. Whatever the bytes,
// decoding either refuses or gives a complete image in the one format the renderer expects.
#include "FuzzSupport.h"

#include "imaging/ImageDecoder.h"

using namespace velmora;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::optional<QImage> image = decodeImageData(fuzz::bytes(data, size));
    if (image) {
        FUZZ_CHECK(!image->isNull());
        FUZZ_CHECK(image->format() == QImage::Format_ARGB32_Premultiplied);
        FUZZ_CHECK(image->devicePixelRatio() == 1.0);
        FUZZ_CHECK(qint64(image->width()) * image->height() * 4 <= kImageAllocationLimitBytes);
    }
    return 0;
}
