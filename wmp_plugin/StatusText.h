#pragma once
// What the plugin publishes on each occasion: the text of the output file "tl_info.txt" and the caption of
// the player's main window. Portable; the COM shell asks the player for the media item, sets the caption
// and writes the file.

#include <string>

namespace wmp_plugin {

struct TPluginSettings;

enum class TOccasion { Playing, Stopped, Inactive };

// The attributes of the current media item; a missing attribute is empty.
struct TMediaItem {
    std::u16string Author;
    std::u16string Name;
};

struct TStatusOutput {
    std::u16string Text;     // the output file's text, before conversion to the ANSI code page
    bool SetCaption = false; // false: the caption stays as it is
    std::u16string Caption;
};

extern const char16_t kPlayerCaption[]; // "Windows Media Player"

// The output for an occasion. `media` is the current media item, or null when there is none (it is not
// looked at when the plugin goes inactive).
TStatusOutput ComposeStatus(TOccasion occasion, const TPluginSettings& settings, const TMediaItem* media);

} // namespace wmp_plugin
