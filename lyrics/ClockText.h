#pragma once
// The clock text m:ss.cc in which times are shown to the user (the editor's timing pane, the edit view, the
// status strip) and the LRC line form the editor writes and the submission sends.

#include <cstdint>
#include <string>
#include <string_view>

namespace lyrics {

// The time of lines that have no time yet: after the end of any song (99 minutes).
constexpr const char* kEndTimeText = "99:00.00";
constexpr const char* kZeroTimeText = "0:00.00";

// Milliseconds as m:ss.cc, truncated to hundredths; minutes unpadded (one, two or more digits). Negative
// times count as 0.
std::string TimeToText(std::int32_t ms);

// Clock text to milliseconds: the integer before the first ":" as minutes, the two characters after it as
// seconds, the two characters that begin four characters after it as hundredths (the character between
// seconds and hundredths is not looked at). A part that does not read ends the conversion with the sum of
// the parts read so far; a text without ":" gives 0. The sum is held within 32 bits.
std::int32_t TextToTime(std::string_view text);

// The LRC line of a timing pane line and a lyric line: "[" + clock text + "]" + lyric, the clock text given
// a leading "0" when its ":" is the second character.
std::string LrcLine(const std::string& timing, const std::string& lyric);

} // namespace lyrics
