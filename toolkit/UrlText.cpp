#include "toolkit/UrlText.h"

#include "toolkit/AsciiText.h"

namespace toolkit {

std::string URLEncode(const std::string& text, bool spaceAsPlus) {
    static const char hex[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(text.size() * 3);
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            result += char(c);
        } else if (c == ' ' && spaceAsPlus) {
            result += '+';
        } else {
            result += '%';
            result += hex[c >> 4];
            result += hex[c & 15];
        }
    }
    return result;
}

namespace {

// Replaces every occurrence of the pattern, ignoring ASCII letter case, without rescanning what was put in.
std::string ReplaceAllIgnoringCase(const std::string& text, const std::string& pattern,
                                   const std::string& with) {
    const std::string haystack = LowerAscii(text), needle = LowerAscii(pattern);
    std::string result;
    std::size_t from = 0;
    for (std::size_t at; (at = haystack.find(needle, from)) != std::string::npos; from = at + needle.size())
        result += text.substr(from, at - from) + with;
    return result + text.substr(from);
}

} // namespace

std::string FillAddressTemplate(const std::string& addressTemplate, const std::string& artist,
                                const std::string& title, const std::string& song) {
    std::string address = ReplaceAllIgnoringCase(addressTemplate, "%Artist%", URLEncode(artist, false));
    address = ReplaceAllIgnoringCase(address, "%Title%", URLEncode(title, false));
    return ReplaceAllIgnoringCase(address, "%Song%", URLEncode(song, false));
}

} // namespace toolkit
