// The user's custom background colours are a JSON list in the settings file. A list that reads
// must write back and read again the same, and choosing among its colours must settle at once.
#include "FuzzSupport.h"

#include "editor/BackgroundColorItem.h"
#include "editor/BackgroundSelection.h"

#include <algorithm>
#include <cmath>

using namespace velmora;

namespace {

bool isFinite(const BackgroundColorItem& item)
{
    return std::isfinite(item.red) && std::isfinite(item.green) && std::isfinite(item.blue) &&
           std::isfinite(item.alpha);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::optional<QVector<BackgroundColorItem>> items = decodeColorItems(fuzz::bytes(data, size));
    if (!items) {
        return 0;
    }
    const QByteArray encoded = encodeColorItems(*items);
    if (std::all_of(items->begin(), items->end(), isFinite)) {
        const std::optional<QVector<BackgroundColorItem>> again = decodeColorItems(encoded);
        FUZZ_CHECK(again && *again == *items);
    } else {
        FUZZ_CHECK(encoded.isEmpty());
    }

    // What an editor does with the list it read: every id it may select, and one that is gone.
    const QVector<BackgroundColorItem> colors =
        items->isEmpty() ? QVector<BackgroundColorItem>{defaultCustomColorItem()} : *items;
    QStringList ids{QStringLiteral("no-such-colour"), QString()};
    for (const BackgroundColorItem& item : colors) {
        ids.append(item.id);
    }
    for (const QString& id : ids) {
        const BackgroundSelection chosen =
            normalizedBackgroundSelection(BackgroundSelection::customColor(id), colors, {});
        FUZZ_CHECK(chosen.kind() == BackgroundSelection::Kind::customColor);
        FUZZ_CHECK(std::any_of(colors.begin(), colors.end(),
                               [&](const BackgroundColorItem& item) { return item.id == chosen.itemId(); }));
        FUZZ_CHECK(normalizedBackgroundSelection(chosen, colors, {}) == chosen);
    }
    return 0;
}
