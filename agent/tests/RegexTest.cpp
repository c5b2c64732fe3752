// Site expressions: what a match gives, bad patterns, and bounded work on hostile pages.
#include "agent/core/TBoundedRegex.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace agent;

TEST(BoundedRegex, WhatAMatchGives) {
    const struct {
        const char* pattern;
        const char* subject;
        TBoundedRegex::TResult result;
        const char* captured;
    } cases[] = {
        {"<div class=\"lyrics\">(.*?)</div>", "x<DIV class=\"lyrics\">A<br>\nB</div>y",
         TBoundedRegex::TResult::Match, "A<br>\nB"}, // case ignored, "." crosses lines
        {"lyrics: \\w+", "lyrics: abc", TBoundedRegex::TResult::Match, "lyrics: abc"}, // no group: all of it
        {"(a)|(b)", "b", TBoundedRegex::TResult::Match, "b"},      // the group that took part
        {"(?:x)(y)?z", "xz", TBoundedRegex::TResult::Match, "xz"}, // none took part
        {"nothing", "something else", TBoundedRegex::TResult::NoMatch, ""},
        {"caf(.)", "caf\xC3\xA9!", TBoundedRegex::TResult::Match, "\xC3\xA9"}, // UTF-8 characters
        {"a(.)c",
         "a\xFF"
         "c",
         TBoundedRegex::TResult::NoMatch, ""}, // invalid UTF-8 never matches
    };
    for (const auto& c : cases) {
        TBoundedRegex re;
        ASSERT_TRUE(re.Compile(c.pattern)) << c.pattern;
        std::string captured = "old";
        EXPECT_EQ(re.Find(c.subject, captured), c.result) << c.pattern;
        EXPECT_EQ(captured, c.captured) << c.pattern;
    }
}

TEST(BoundedRegex, BadPatternsDoNotCompile) {
    for (const char* pattern : {"", "(unclosed", "[z-a]", "a{2,1}", "\\"}) {
        TBoundedRegex re;
        std::string error;
        EXPECT_FALSE(re.Compile(pattern, &error)) << pattern;
        EXPECT_FALSE(error.empty()) << pattern;
        EXPECT_FALSE(re.IsValid());
        std::string captured;
        EXPECT_EQ(re.Find("x", captured), TBoundedRegex::TResult::Error);
    }
}

TEST(BoundedRegex, CatastrophicBacktrackingStopsAtItsLimit) {
    // Nested repeats against a long run without the final "b": exponential for a backtracking matcher.
    TBoundedRegex re;
    ASSERT_TRUE(re.Compile("(a+)+b"));
    std::string captured;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(re.Find(std::string(5000, 'a') + "cb", captured), TBoundedRegex::TResult::LimitReached);
    // Generous: the limit is about work, not time; without it this would run for ages.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

    // Deep recursion through a large page is bounded too, and a page over the size limit is not searched.
    TBoundedRegex deep;
    ASSERT_TRUE(deep.Compile("(?:(x)|y)*z"));
    EXPECT_NE(deep.Find(std::string(1000000, 'x'), captured), TBoundedRegex::TResult::Match);
    TBoundedRegex any;
    ASSERT_TRUE(any.Compile("x"));
    EXPECT_EQ(any.Find(std::string(TBoundedRegex::kMaxSubjectBytes + 1, 'x'), captured),
              TBoundedRegex::TResult::LimitReached);
}

TEST(BoundedRegex, MatchingEverythingGivesThePage) {
    TBoundedRegex re;
    ASSERT_TRUE(re.Compile(".*"));
    std::string captured;
    const std::string page(1000000, 'p');
    EXPECT_EQ(re.Find(page, captured), TBoundedRegex::TResult::Match);
    EXPECT_EQ(captured.size(), page.size());
}
