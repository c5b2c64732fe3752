#pragma once
// Text of the program (a byte string in the active code page) to and from Qt's strings: every window
// converts at the Qt boundary through these two.

#include "toolkit/CodePage.h"

#include <QString>

#include <string>

namespace ui {

inline QString FromActive(const std::string& text) {
    const std::u16string wide = toolkit::CodePageToUtf16(text, toolkit::ActiveCodePage());
    return QString::fromUtf16(wide.data(), qsizetype(wide.size()));
}

inline std::string ToActive(const QString& text) {
    return toolkit::Utf16ToActive(
        std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size())));
}

} // namespace ui
