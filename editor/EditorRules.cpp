#include "editor/EditorRules.h"

#include "lyrics/ClockText.h"
#include "lyrics/TextHelpers.h"
#include "toolkit/RoundLength.h"

#include <QtCore/qnamespace.h>

#include <algorithm>

namespace editor {

const char* const kTooLongMessage =
    "These lyrics are too long for the editor: it holds at most 20000 lines and 1 MB of text.";

bool FitsEditor(std::size_t lineCount, std::size_t textBytes) {
    return lineCount <= std::size_t(kMaxEditorLines) && textBytes <= kMaxEditorBytes;
}

TPaneAlignment AlignTimingPane(int caretLine, int lyricCount, int timingCount,
                               const std::function<std::string(int)>& timingLine) {
    TPaneAlignment edit;
    const int L = lyricCount, T = timingCount, C = caretLine;
    if (L > T) {
        // Each insertion lands one row further down, so the new rows form one block at C - (L - T).
        const int row = C - (L - T);
        std::string reference = row >= 0 && row < T ? timingLine(row) : std::string();
        if (lyrics::TrimView(reference).empty())
            reference = lyrics::kEndTimeText;
        edit.Index = std::clamp(row, 0, T);
        edit.Insert = L - T;
        edit.Text = reference;
    } else if (T > L) {
        // Each deletion takes the row just below the caret line, the same row every time.
        edit.Index = std::clamp(C, 0, L);
        edit.Delete = T - L;
    }
    return edit;
}

std::string OutputText(const std::vector<std::string>& tagLines, const std::vector<std::string>& timing,
                       const std::vector<std::string>& lyric, bool timestampMode) {
    std::string out;
    for (const std::string& tag : tagLines)
        if (!lyrics::TrimView(tag).empty())
            out += tag + "\r\n";
    if (timestampMode) {
        for (std::size_t i = 0; i < lyric.size(); ++i)
            out +=
                lyrics::LrcLine(i < timing.size() ? timing[i] : std::string(lyrics::kEndTimeText), lyric[i]) +
                "\r\n";
    } else {
        for (std::size_t i = 0; i < lyric.size(); ++i)
            out += lyric[i] + (i + 1 < lyric.size() ? "\r\n" : "");
        out += "\r\n";
    }
    return out;
}

std::string JoinPath(const std::string& folder, char separator, const std::string& name) {
    if (folder.empty() || folder.back() == separator || folder.back() == '/')
        return folder + name;
    return folder + separator + name;
}

std::string OkFileName(const TSaveTarget& target) {
    if (target.TimestampMode) {
        const std::int32_t seconds = target.LengthMs / 1000;
        const std::string length =
            seconds > 0 ? " [" + std::to_string(toolkit::RoundLength(seconds)) + "]" : std::string();
        return JoinPath(target.LyricsDir, target.Separator, target.BaseName + length + ".lrc");
    }
    if (!target.LyricsFileName.empty())
        return target.LyricsFileName;
    return JoinPath(target.LyricsDir, target.Separator, target.BaseName + ".txt");
}

std::string SaveToPath(const TSaveTarget& target) {
    if (!target.LyricsFileName.empty())
        return target.LyricsFileName;
    return JoinPath(target.LyricsDir, target.Separator, target.BaseName + ".lrc");
}

std::string ShiftedTime(const std::string& clockText, std::int32_t delta) {
    const std::int64_t t = std::int64_t(lyrics::TextToTime(clockText)) + delta;
    return lyrics::TimeToText(std::int32_t(std::clamp<std::int64_t>(t, 0, INT32_MAX)));
}

TTimingKeyEffect TimingKeyEffect(int key, bool shift, bool ctrl, bool alt) {
    using K = TTimingKey;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (shift && !ctrl)
            return {K::PlayFromHere};
        return {ctrl || shift ? K::StampModePlayFromHere : K::Stamp};
    case Qt::Key_Space:
        return {ctrl || shift ? K::StampModePlayFromHere : K::Stamp};
    case Qt::Key_Left:
        if (!ctrl)
            return {K::Back5s};
        return {alt ? K::FollowingEarlier : K::LineEarlier};
    case Qt::Key_Right:
        if (!ctrl)
            return {K::Forward5s};
        return {alt ? K::FollowingLater : K::LineLater};
    case Qt::Key_X:
        return {ctrl ? K::None : K::Play};
    case Qt::Key_C:
        return {ctrl ? K::None : K::Pause};
    case Qt::Key_V:
        return {ctrl ? K::None : K::Stop};
    default:
        break;
    }
    if (key >= Qt::Key_1 && key <= Qt::Key_9)
        return {ctrl ? K::SeekForward : K::SeekBack, key - Qt::Key_0};
    return {};
}

} // namespace editor
