#include "toolkit/Wildcard.h"

#include "toolkit/CodePage.h"
#include "toolkit/TextCompare.h"

namespace toolkit {

TWildcardPattern::TWildcardPattern(std::string_view pattern, int codePage)
    : Pattern_(FoldedCodePoints(pattern, codePage)) {}

// Greedy match with one backtrack point (the last "*"): linear for names without "*" runs, at worst
// name length times pattern length.
bool TWildcardPattern::Matches(const std::u32string& name) const {
    std::size_t n = 0, p = 0;
    std::size_t starP = std::u32string::npos, starN = 0;
    while (n < name.size()) {
        const char32_t c = name[n];
        if (p < Pattern_.size() && Pattern_[p] == U'*') {
            starP = p++;
            starN = n;
        } else if (p < Pattern_.size() && (Pattern_[p] == U'?' || Pattern_[p] == c)) {
            ++p;
            ++n;
        } else if (starP != std::u32string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < Pattern_.size() && Pattern_[p] == U'*')
        ++p;
    return p == Pattern_.size();
}

bool WildcardMatch(std::string_view name, std::string_view pattern) {
    const int page = ActiveCodePage();
    return TWildcardPattern(pattern, page).Matches(FoldedCodePoints(name, page));
}

} // namespace toolkit
