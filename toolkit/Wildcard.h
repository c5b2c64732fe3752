#pragma once
// File-name patterns: "*" matches any run of characters, "?" any one character, every other character
// (brackets included) only itself, without regard to letter case. Patterns are text of a code page; names
// are matched as case-folded code points (see TextCompare.h), so "?" stands for one character whatever
// its length in bytes.

#include <string>
#include <string_view>

namespace toolkit {

// A pattern prepared once and matched against many names.
class TWildcardPattern {
public:
    TWildcardPattern(std::string_view pattern, int codePage);
    // The name as FoldedCodePoints or FoldedFileName gives it.
    bool Matches(const std::u32string& foldedName) const;

private:
    std::u32string Pattern_; // folded
};

// One match of a name and a pattern, both in the active code page.
bool WildcardMatch(std::string_view name, std::string_view pattern);

} // namespace toolkit
