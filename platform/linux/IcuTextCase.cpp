#include "platform/TextCase.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

namespace platform {
namespace {

// Runs one of ICU's whole-string case functions, growing the buffer once when the result is longer
// (full folding may lengthen text: "ß" becomes "ss").
template <typename F> std::u16string MapCase(const std::u16string& text, F map) {
    if (text.empty())
        return {};
    std::u16string out(text.size() + text.size() / 2 + 4, u'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length =
            map(reinterpret_cast<UChar*>(out.data()), int32_t(out.size()),
                reinterpret_cast<const UChar*>(text.data()), int32_t(text.size()), &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            out.assign(std::size_t(length), u'\0');
            continue;
        }
        if (U_FAILURE(status))
            return text;
        out.resize(std::size_t(length));
        return out;
    }
    return text;
}

} // namespace

std::u16string FoldCase(const std::u16string& text) {
    return MapCase(text,
                   [](UChar* dest, int32_t capacity, const UChar* src, int32_t length, UErrorCode* status) {
                       return u_strFoldCase(dest, capacity, src, length, U_FOLD_CASE_DEFAULT, status);
                   });
}

std::u16string ToLowerCase(const std::u16string& text) {
    return MapCase(text,
                   [](UChar* dest, int32_t capacity, const UChar* src, int32_t length, UErrorCode* status) {
                       return u_strToLower(dest, capacity, src, length, "", status); // the root locale
                   });
}

} // namespace platform
