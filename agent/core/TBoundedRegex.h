#pragma once
// A regular expression of a search site (Perl-compatible, PCRE2), compiled once and matched with bounds on
// its work, so an expression that backtracks without end on a large page stops with LimitReached instead of
// hanging the search. Subjects are UTF-8 (invalid sequences never match and never fault); matching ignores
// letter case and "." also matches line breaks, as suits text cut out of web pages.
//
// A compiled expression is immutable and may be copied and shared between threads.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace agent {

class TBoundedRegex {
public:
    // The largest subject searched; a larger one gives LimitReached without being searched.
    static constexpr std::size_t kMaxSubjectBytes = 4u * 1024u * 1024u;
    // Backtracking steps, nesting depth and heap memory (KiB) one search may use.
    static constexpr std::uint32_t kMatchLimit = 2'000'000;
    static constexpr std::uint32_t kDepthLimit = 10'000;
    static constexpr std::uint32_t kHeapLimitKiB = 32 * 1024;

    enum class TResult { Match, NoMatch, LimitReached, Error };

    // False, with the compiler's message and the offset in error (when given), for a pattern that does
    // not compile; the expression is then empty. An empty pattern does not compile either.
    bool Compile(const std::string& pattern, std::string* error = nullptr);
    bool IsValid() const { return Code_ != nullptr; }
    // Capture groups of the pattern.
    std::uint32_t GroupCount() const { return Groups_; }

    // The first match in the subject. captured gets the text of the first capture group that took part
    // in the match, or the whole match when the pattern has no group or none took part.
    TResult Find(std::string_view subject, std::string& captured) const;

private:
    std::shared_ptr<void> Code_; // pcre2_code_8, freed with pcre2_code_free
    std::uint32_t Groups_ = 0;
};

} // namespace agent
