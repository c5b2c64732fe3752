#include "wmp_plugin/PluginSettings.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace wmp_plugin {

const char16_t kSettingsHeader[] = u"[Tuneline Plugin Settings]";
const char16_t kDefaultTitle[] = u"Now playing: ";
const char16_t kSignPrefix[] = u"With Best Regards, ";
const char16_t kDefaultStop[] = u"Windows Media Player is stopped...";
const char16_t kDefaultExit[] = u"Windows Media Player is inactive...";
const char16_t kOutputFileName[] = u"tl_info.txt";
const char16_t kSettingsFileName[] = u"tl_plugin.ini";

namespace {

// The length of "wmplayer.exe", the player's executable name.
constexpr std::size_t kExecutableNameLength = 12;

// The lines after the header, by position: the key the writer puts first, and how many characters the
// reader drops (the "\n" left over from the previous line plus the key without its trailing space).
struct TValueLine {
    const char16_t* key;
    std::size_t cut;
    std::size_t fieldSize;
    std::u16string TPluginSettings::*field;
};
const TValueLine kValueLines[] = {
    {u"Title = ", 8, kTextFieldSize, &TPluginSettings::Title},
    {u"Path = ", 7, kPathFieldSize, &TPluginSettings::Path},
    {u"Sign = ", 7, kTextFieldSize, &TPluginSettings::Sign},
    {u"Stop = ", 7, kTextFieldSize, &TPluginSettings::Stop},
    {u"Exit = ", 7, kTextFieldSize, &TPluginSettings::Exit},
};

std::u16string TrimSpaces(const std::u16string& text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos)
        return {};
    const auto last = text.find_last_not_of(u' ');
    return text.substr(first, last - first + 1);
}

// The value of one line: the cut dropped, spaces trimmed, then fitted to the field (trimmed again so that
// a cut never leaves a trailing space the next read would lose).
std::u16string ValueOf(const std::u16string& line, std::size_t cut, std::size_t fieldSize) {
    if (line.size() <= cut)
        return {};
    return TrimSpaces(CutToField(TrimSpaces(line.substr(cut)), fieldSize));
}

// The file's text split at each "\r" (not kept); the last line ends at the end of the text.
std::vector<std::u16string> SplitLines(const std::u16string& text, std::size_t wanted) {
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (lines.size() < wanted && start < text.size()) {
        auto end = text.find(u'\r', start);
        if (end == std::u16string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace

std::u16string CutToField(const std::u16string& text, std::size_t fieldSize) {
    if (fieldSize == 0)
        return {};
    if (text.size() < fieldSize)
        return text;
    // A character beyond the basic plane is a surrogate pair: cut before it rather than through it.
    std::size_t keep = fieldSize - 1;
    const auto isHigh = [](char16_t c) { return c >= 0xD800 && c <= 0xDBFF; };
    if (keep > 0 && isHigh(text[keep - 1]) && keep < text.size() && text[keep] >= 0xDC00 &&
        text[keep] <= 0xDFFF)
        --keep;
    return text.substr(0, keep);
}

std::u16string PlayerFolderOf(const std::u16string& executablePath) {
    if (executablePath.size() < kExecutableNameLength)
        return {};
    return executablePath.substr(0, executablePath.size() - kExecutableNameLength);
}

TPluginSettings DefaultPluginSettings(const std::u16string& playerFolder, const std::u16string& userName) {
    TPluginSettings s;
    s.Title = kDefaultTitle;
    s.Path = playerFolder + kOutputFileName;
    s.Sign = kSignPrefix + CutToField(userName, kUserNameSize);
    s.Stop = kDefaultStop;
    s.Exit = kDefaultExit;
    return s;
}

bool ParsePluginSettings(const std::string& bytes, TPluginSettings& settings) {
    const std::size_t size = std::min(bytes.size(), kMaxSettingsFileBytes) / 2 * 2;
    std::u16string text;
    text.reserve(size / 2);
    for (std::size_t i = 0; i < size; i += 2)
        text.push_back(
            char16_t(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8));

    const auto lines = SplitLines(text, 1 + std::size(kValueLines));
    if (lines.empty() || lines[0] != kSettingsHeader)
        return false;
    for (std::size_t i = 0; i < std::size(kValueLines); ++i) {
        const auto& v = kValueLines[i];
        settings.*v.field =
            i + 1 < lines.size() ? ValueOf(lines[i + 1], v.cut, v.fieldSize) : std::u16string();
    }
    return true;
}

std::array<std::u16string, 6> PluginSettingsLines(const TPluginSettings& settings) {
    std::array<std::u16string, 6> lines;
    lines[0] = std::u16string(kSettingsHeader) + u"\r\n";
    for (std::size_t i = 0; i < std::size(kValueLines); ++i) {
        // The key without the leading "\n" it has when read back.
        lines[i + 1] = std::u16string(kValueLines[i].key) + settings.*kValueLines[i].field + u"\r\n";
    }
    return lines;
}

std::string Utf16LeBytes(const std::u16string& text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(char(c & 0xFF));
        bytes.push_back(char(c >> 8));
    }
    return bytes;
}

} // namespace wmp_plugin
