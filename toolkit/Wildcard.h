#pragma once
// File-name patterns: "*" matches any run of characters, "?" any one character, every other character
// (brackets included) only itself, without regard to letter case. Names and patterns are single-byte text in
// a code page; letter case is folded by that code page's letters (Latin, Cyrillic, Greek).

#include <array>
#include <string>
#include <string_view>

namespace toolkit {

// Maps every byte of the code page to its lower-case letter (itself when it is no upper-case letter).
using TCaseTable = std::array<unsigned char, 256>;
TCaseTable LowerCaseTable(int codePage);

// A pattern prepared once and matched against many names.
class TWildcardPattern {
public:
    TWildcardPattern(std::string_view pattern, const TCaseTable& lower);
    bool Matches(std::string_view name) const;

private:
    std::string Pattern_; // lower-cased
    TCaseTable Lower_;
};

// One match in the active code page.
bool WildcardMatch(std::string_view name, std::string_view pattern);

} // namespace toolkit
