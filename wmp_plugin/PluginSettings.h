#pragma once
// The plugin's five user settings, their defaults and field limits, and the settings file "tl_plugin.ini"
// (UTF-16 little-endian text without a byte order mark, six lines read by position). Portable: the COM shell
// does the file input and output and hands the bytes in and out; nothing here touches the system.

#include <array>
#include <cstddef>
#include <string>

namespace wmp_plugin {

// Field sizes in UTF-16 code units, the terminating zero included.
constexpr std::size_t kTextFieldSize = 100; // Title, Sign, Stop, Exit
constexpr std::size_t kPathFieldSize = 260; // Path
constexpr std::size_t kUserNameSize = 50;   // the user name in the default signature

// The settings file is never read beyond this many bytes (the six lines need a few kilobytes).
constexpr std::size_t kMaxSettingsFileBytes = 64 * 1024;

extern const char16_t kSettingsHeader[];   // "[Tuneline Plugin Settings]"
extern const char16_t kDefaultTitle[];     // "Now playing: "
extern const char16_t kSignPrefix[];       // "With Best Regards, "
extern const char16_t kDefaultStop[];      // "Windows Media Player is stopped..."
extern const char16_t kDefaultExit[];      // "Windows Media Player is inactive..."
extern const char16_t kOutputFileName[];   // "tl_info.txt"
extern const char16_t kSettingsFileName[]; // "tl_plugin.ini"

struct TPluginSettings {
    std::u16string Title;
    std::u16string Path;
    std::u16string Sign;
    std::u16string Stop;
    std::u16string Exit;
};

// Text cut to fit a field of the given size (so at most size - 1 code units), never through a surrogate pair.
std::u16string CutToField(const std::u16string& text, std::size_t fieldSize);

// The folder of the player: the executable's path with its last 12 characters ("wmplayer.exe") removed,
// which keeps the trailing backslash. A path shorter than that gives an empty folder.
std::u16string PlayerFolderOf(const std::u16string& executablePath);

// The defaults: output file in the player folder, signature with the user name (cut to 49 characters).
TPluginSettings DefaultPluginSettings(const std::u16string& playerFolder, const std::u16string& userName);

// Reads the settings file's bytes into `settings`. Returns false, leaving `settings` as it was, when the
// first line is not exactly the header (a byte order mark counts as part of it). Lines 2 to 6 are taken by
// position whatever their keys; a missing line gives an empty value; values longer than their field are cut.
bool ParsePluginSettings(const std::string& bytes, TPluginSettings& settings);

// The six lines of the settings file, each ended by "\r\n", in the order they are written.
std::array<std::u16string, 6> PluginSettingsLines(const TPluginSettings& settings);

// UTF-16 text as little-endian bytes, as the settings file stores it.
std::string Utf16LeBytes(const std::u16string& text);

} // namespace wmp_plugin
