// The stored background choice and colours typed as hex are text anyone can edit in the settings
// file or pass on the command line. Whatever is read must write back as the same value.
#include "FuzzSupport.h"

#include "editor/BackgroundSelection.h"
#include "imaging/Color.h"

#include <QString>

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));

    const BackgroundSelection selection = BackgroundSelection::fromPersistenceValue(text);
    const QString stored = selection.persistenceValue();
    FUZZ_CHECK(BackgroundSelection::fromPersistenceValue(stored) == selection);
    FUZZ_CHECK(BackgroundSelection::fromPersistenceValue(stored).persistenceValue() == stored);

    if (const std::optional<Color> color = Color::fromHex(text)) {
        FUZZ_CHECK(text.size() == 7 || text.size() == 9);
        FUZZ_CHECK(color->hexRgb().compare(text.left(7), Qt::CaseInsensitive) == 0);
        FUZZ_CHECK(color->alpha >= 0 && color->alpha <= 1);
        const std::optional<Color> again = Color::fromHex(color->hexRgb());
        FUZZ_CHECK(again && again->red == color->red && again->green == color->green &&
                   again->blue == color->blue);
    }
    return 0;
}
