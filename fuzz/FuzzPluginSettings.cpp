// Settings file bytes through the plugin's settings reader: a refused file changes nothing, the values fit
// their fields, and the file written of them reads back to the same values.
#include "wmp_plugin/PluginSettings.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool Same(const wmp_plugin::TPluginSettings& a, const wmp_plugin::TPluginSettings& b) {
    return a.Title == b.Title && a.Path == b.Path && a.Sign == b.Sign && a.Stop == b.Stop && a.Exit == b.Exit;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    // Most inputs start with the header, so the fuzzer reaches the values.
    if (size > 0 && data[0] % 4 != 0)
        bytes =
            wmp_plugin::Utf16LeBytes(std::u16string(wmp_plugin::kSettingsHeader) + u"\r\n") + bytes.substr(1);

    const wmp_plugin::TPluginSettings defaults = wmp_plugin::DefaultPluginSettings(u"C:\\Player\\", u"user");
    wmp_plugin::TPluginSettings settings = defaults;
    if (!wmp_plugin::ParsePluginSettings(bytes, settings)) {
        if (!Same(settings, defaults))
            std::abort();
        return 0;
    }
    if (settings.Title.size() >= wmp_plugin::kTextFieldSize ||
        settings.Sign.size() >= wmp_plugin::kTextFieldSize ||
        settings.Stop.size() >= wmp_plugin::kTextFieldSize ||
        settings.Exit.size() >= wmp_plugin::kTextFieldSize ||
        settings.Path.size() >= wmp_plugin::kPathFieldSize)
        std::abort();

    std::string file;
    for (const std::u16string& line : wmp_plugin::PluginSettingsLines(settings))
        file += wmp_plugin::Utf16LeBytes(line);
    wmp_plugin::TPluginSettings again;
    if (!wmp_plugin::ParsePluginSettings(file, again))
        std::abort();
    return 0;
}
