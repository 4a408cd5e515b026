// Shortcuts are stored as small JSON objects in the settings file, which users edit by hand. A
// shortcut that reads must write back the same, name itself and map to a key binding without
// tripping over out-of-range codes; the preferences must load it as the shortcut in force.
#include "FuzzSupport.h"

#include "preferences/HotkeyPreferences.h"
#include "preferences/SettingsStore.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray json = fuzz::bytes(data, size);
    const std::optional<Hotkey> hotkey = Hotkey::fromJson(json);
    if (hotkey) {
        const std::optional<QByteArray> written = hotkey->toJson();
        FUZZ_CHECK(written);
        FUZZ_CHECK(Hotkey::fromJson(*written) == hotkey);
        FUZZ_CHECK(!hotkey->displayString().isEmpty());
        const std::optional<QKeyCombination> combination = hotkey->keyCombination();
        FUZZ_CHECK(combination.has_value() == hotkey->keyEquivalentString().has_value());
    }

    MemorySettingsStore store;
    store.setValue(QStringLiteral("hotkey.region.overridden"), true);
    store.setValue(QStringLiteral("hotkey.region"), QByteArray(json.constData(), json.size()));
    HotkeyPreferences preferences(store);
    FUZZ_CHECK(preferences.hotkeyInForce(HotkeyPreferences::Action::region) == hotkey);
    return 0;
}
