#pragma once
// The output file's conversion through the system: UTF-16 to the ANSI code page, a character the page lacks
// becoming the page's default character (no best-fit look-alikes).

#include "wmp_plugin/AnsiEncoder.h"

namespace wmp_plugin {

class TSystemAnsiEncoder : public IAnsiEncoder {
public:
    std::string Encode(const std::u16string& text) const override;
};

} // namespace wmp_plugin
