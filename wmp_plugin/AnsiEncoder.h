#pragma once
// Conversion of the output text from UTF-16 to the ANSI code page: one byte per UTF-16 code unit, no byte
// order mark, no terminating zero; a character the code page lacks becomes its default character '?'.
// The Windows build converts through the system (win32/SystemAnsiEncoder); TWindows1252Encoder is the
// portable stand-in with the Western European page.

#include <string>

namespace wmp_plugin {

class IAnsiEncoder {
public:
    virtual ~IAnsiEncoder() = default;
    virtual std::string Encode(const std::u16string& text) const = 0;
};

class TWindows1252Encoder : public IAnsiEncoder {
public:
    std::string Encode(const std::u16string& text) const override;
};

} // namespace wmp_plugin
