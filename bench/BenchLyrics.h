#pragma once
// Generated timed lyrics for the benchmarks that run the main window against a real player.

#include <cstdio>
#include <string>

namespace bench {

// "[mm:ss.cc]" for a time in ms.
inline std::string Stamp(int ms) {
    char text[32];
    std::snprintf(text, sizeof text, "[%02d:%02d.%02d]", ms / 60000, ms / 1000 % 60, ms / 10 % 100);
    return text;
}

// The verse the generated lyrics repeat.
inline constexpr const char* kVerse[] = {
    "Somewhere a player turns", "and lines come up in time",        "each one a little brighter",
    "then fading out behind",   "the clock keeps its own counting", "between the player's words",
    "so every line arrives",    "exactly when it's heard"};

// Timed lines from firstMs to the song's end, one every stepMs, every ninth one blank; the words start at
// line wordShift of their verse.
inline std::string TimedLines(int firstMs, int stepMs, int lengthMs, int wordShift = 0) {
    std::string text;
    int i = 0;
    for (int ms = firstMs; ms < lengthMs; ms += stepMs, ++i)
        text += Stamp(ms) + (i % 9 == 8 ? std::string() : std::string(kVerse[(i + wordShift) % 8])) + "\r\n";
    return text;
}

} // namespace bench
