#include "platform/TextCase.h"

#include <windows.h>

namespace platform {

std::u16string ToLowerCase(const std::u16string& text) {
    if (text.empty())
        return {};
    // Lower-casing maps letter for letter, so the length stays; the invariant locale keeps it independent
    // of the user's language.
    std::u16string out(text.size(), u'\0');
    const int length = LCMapStringEx(
        LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, reinterpret_cast<LPCWSTR>(text.data()), int(text.size()),
        reinterpret_cast<LPWSTR>(out.data()), int(out.size()), nullptr, nullptr, 0);
    if (length <= 0)
        return text;
    out.resize(std::size_t(length));
    return out;
}

std::u16string FoldCase(const std::u16string& text) {
    return ToLowerCase(text);
}

} // namespace platform
