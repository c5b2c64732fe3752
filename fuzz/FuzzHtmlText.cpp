// Web page bytes through the page decoding, the entity decoding, the HTML-to-text cutting and the link
// resolution: every result is well-formed UTF-8 where it must be, and the functions stay linear.
#include "agent/core/THtmlText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool IsUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        i += n;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const char* const kTypes[] = {"", "text/html; charset=utf-8", "text/html; charset=windows-1250",
                                         "text/html; charset=windows-1253", "text/html; charset=ISO-8859-1"};
    const std::string body(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string page = agent::PageToUtf8(body, kTypes[data[0] % 5]);
    if (!IsUtf8(page))
        std::abort();
    const std::string decoded = agent::DecodeHtmlEntities(page);
    if (!IsUtf8(decoded))
        std::abort();
    const std::string text = agent::HtmlToText(page);
    if (!IsUtf8(text))
        std::abort();
    agent::ResolveLink("http://lyrics.example/a/b.html?x=1", body.substr(0, 512));
    return 0;
}
