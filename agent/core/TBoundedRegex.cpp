#include "agent/core/TBoundedRegex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

namespace agent {

namespace {

struct TMatchContext {
    pcre2_match_context* Context = nullptr;
    pcre2_match_data* Data = nullptr;
    ~TMatchContext() {
        pcre2_match_data_free(Data);
        pcre2_match_context_free(Context);
    }
};

} // namespace

bool TBoundedRegex::Compile(const std::string& pattern, std::string* error) {
    Code_.reset();
    Groups_ = 0;
    if (pattern.empty()) {
        if (error)
            *error = "empty expression";
        return false;
    }
    int code = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* compiled =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                      PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_CASELESS | PCRE2_DOTALL | PCRE2_UCP, &code,
                      &offset, nullptr);
    if (compiled == nullptr) {
        if (error) {
            PCRE2_UCHAR text[256];
            pcre2_get_error_message(code, text, sizeof text);
            *error =
                std::string(reinterpret_cast<const char*>(text)) + " at offset " + std::to_string(offset);
        }
        return false;
    }
    std::uint32_t groups = 0;
    pcre2_pattern_info(compiled, PCRE2_INFO_CAPTURECOUNT, &groups);
    Groups_ = groups;
    Code_ = std::shared_ptr<void>(compiled, [](void* p) { pcre2_code_free(static_cast<pcre2_code*>(p)); });
    return true;
}

TBoundedRegex::TResult TBoundedRegex::Find(std::string_view subject, std::string& captured) const {
    captured.clear();
    if (!Code_)
        return TResult::Error;
    if (subject.size() > kMaxSubjectBytes)
        return TResult::LimitReached;
    auto* code = static_cast<pcre2_code*>(Code_.get());
    TMatchContext match;
    match.Context = pcre2_match_context_create(nullptr);
    match.Data = pcre2_match_data_create_from_pattern(code, nullptr);
    if (match.Context == nullptr || match.Data == nullptr)
        return TResult::Error;
    pcre2_set_match_limit(match.Context, kMatchLimit);
    pcre2_set_depth_limit(match.Context, kDepthLimit);
    pcre2_set_heap_limit(match.Context, kHeapLimitKiB);

    const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0, 0,
                               match.Data, match.Context);
    if (rc == PCRE2_ERROR_NOMATCH)
        return TResult::NoMatch;
    if (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT || rc == PCRE2_ERROR_HEAPLIMIT ||
        rc == PCRE2_ERROR_NOMEMORY)
        return TResult::LimitReached;
    if (rc < 0)
        return TResult::Error;

    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(match.Data);
    const std::uint32_t pairs = pcre2_get_ovector_count(match.Data);
    std::uint32_t chosen = 0;
    // rc is the highest group that took part, plus one (0 when the vector was too small: it never is).
    for (std::uint32_t group = 1; group < pairs && int(group) < rc; ++group) {
        if (ovector[2 * group] != PCRE2_UNSET) {
            chosen = group;
            break;
        }
    }
    const PCRE2_SIZE start = ovector[2 * chosen], end = ovector[2 * chosen + 1];
    if (start == PCRE2_UNSET || end < start || end > subject.size())
        return TResult::Error;
    captured.assign(subject.substr(start, end - start));
    return TResult::Match;
}

} // namespace agent
