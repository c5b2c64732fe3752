#include "lyrics/UMp3Tag.h"

#include "lyrics/Id3v1Reader.h"
#include "lyrics/Id3v2Reader.h"
#include "lyrics/Lyrics3Reader.h"
#include "lyrics/TextHelpers.h"
#include "lyrics/UTextLyrics.h"
#include "player/EasyAmp.h"
#include "toolkit/AsciiText.h"
#include "toolkit/CodePage.h"
#include "toolkit/DirectorySearch.h"
#include "toolkit/FileBytes.h"
#include "toolkit/RoundLength.h"

#include <filesystem>

namespace lyrics {
namespace {

std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t from = 0) {
    for (std::size_t i = from; what.size() <= text.size() && i <= text.size() - what.size(); ++i) {
        if (toolkit::EqualsIgnoringAsciiCase(text.substr(i, what.size()), what))
            return i;
    }
    return std::string::npos;
}

// Every occurrence, left to right, letter case ignored; replaced text is not searched again.
std::string ReplaceAll(const std::string& text, std::string_view what, std::string_view with) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = FindNoCase(text, what, from)) != std::string::npos; from = at + what.size()) {
        out.append(text, from, at - from);
        out.append(with);
    }
    out.append(text, from, std::string::npos);
    return out;
}

std::string SingleSpaces(std::string text) {
    text = ReplaceAll(text, "  ", " ");
    return ReplaceAll(text, "  ", " ");
}

std::string RemoveBrackets(std::string text) {
    for (int removals = 0; removals < 100; ++removals) {
        const std::size_t open = text.find('('), close = text.find(')');
        if (open == std::string::npos || close == std::string::npos)
            break;
        if (close > open)
            text.erase(open, close - open + 1);
        else
            text.erase(close, 1);
    }
    return text;
}

std::string RemoveTrackNumber(const std::string& text) {
    const std::size_t dash = text.find(" -");
    const std::string artist = Trim(std::string_view(text).substr(0, dash));
    std::string title =
        dash + 3 < text.size() ? Trim(std::string_view(text).substr(dash + 3)) : std::string();
    // "Track05 Title" reads as "Track 05 Title". A title of "Track" alone is left as it is.
    if (title.size() > 5 && toolkit::EqualsIgnoringAsciiCase(std::string_view(title).substr(0, 5), "track") &&
        title[5] != ' ')
        title.insert(5, " ");
    const std::size_t separator = title.find(" - ");
    if (separator != std::string::npos) {
        title = title.substr(separator + 3);
    } else {
        std::vector<std::string> words;
        std::size_t start = 0;
        while (start < title.size()) {
            std::size_t end = title.find(' ', start);
            if (end == std::string::npos)
                end = title.size();
            if (end > start)
                words.push_back(title.substr(start, end - start));
            start = end + 1;
        }
        std::size_t number = 0;
        std::int32_t value = 0;
        while (number < words.size() && !ReadInteger(words[number], value))
            ++number;
        if (number + 1 < words.size()) {
            title.clear();
            for (std::size_t i = number + 1; i < words.size(); ++i)
                title += (i > number + 1 ? " " : "") + words[i];
        }
    }
    return artist + " - " + title;
}

bool IsFile(const std::string& fileName) {
    std::error_code ec;
    return !fileName.empty() && std::filesystem::is_regular_file(toolkit::FilePath(fileName), ec);
}

std::string LowerExtension(const std::string& fileName) {
    const std::size_t dot = fileName.find_last_of("./\\");
    if (dot == std::string::npos || fileName[dot] != '.')
        return {};
    std::string ext = fileName.substr(dot);
    for (char& c : ext)
        c = toolkit::LowerAscii(c);
    return ext;
}

} // namespace

std::string TPlayerSongInfo::GetSongTitle() {
    return Session_.GetSongTitle();
}
std::string TPlayerSongInfo::GetSongFileName() {
    return Session_.GetSongFileName();
}
std::int32_t TPlayerSongInfo::GetSongLength() {
    return Session_.GetSongLength();
}

std::string NormaliseSongName(const std::string& text, bool excludeTextInBrackets, bool removeTrackNumber) {
    std::string s = ReplaceAll(text, "_", " ");
    s = ReplaceAll(s, "%20", " ");
    for (char c : std::string_view("?*/\\:|<>\"")) {
        const char removed[2] = {c, '\0'};
        s = ReplaceAll(s, removed, "");
    }
    s = SingleSpaces(s);
    if (s.find(" - ") == std::string::npos)
        s = ReplaceAll(s, " -", " - ");
    if (s.size() >= 4 && toolkit::EqualsIgnoringAsciiCase(std::string_view(s).substr(s.size() - 4), ".mp3"))
        s.erase(s.size() - 4);
    if (excludeTextInBrackets)
        s = RemoveBrackets(s);
    s = Trim(SingleSpaces(s));
    if (removeTrackNumber && s.find(" -") != std::string::npos)
        s = RemoveTrackNumber(s);
    return s;
}

bool IsUsableSongName(const std::string& name) {
    return name.find_first_not_of(" -\t") != std::string::npos;
}

std::string ArtistOf(const std::string& name) {
    const std::size_t at = name.find(" - ");
    return at == std::string::npos ? std::string() : name.substr(0, at);
}

std::string TitleOf(const std::string& name) {
    const std::size_t at = name.find(" - ");
    return at == std::string::npos ? name : name.substr(at + 3);
}

std::string TMp3Tag::NormaliseSongName(const std::string& text) const {
    return lyrics::NormaliseSongName(text, Settings.ExcludeTextInBrackets, Settings.RemoveTrackNumber);
}

std::string TMp3Tag::SongNameFor(const std::string& fileName, const std::string& title) const {
    if (!Settings.ReadTitleInfoFromTag)
        return NormaliseSongName(title);
    if (!IsFile(fileName))
        return NormaliseSongName(Trim(title));
    auto joined = [](const std::string& artist, const std::string& tagTitle) {
        return artist.empty() ? tagTitle : artist + " - " + tagTitle;
    };
    TId3v2Names v2;
    if (ReadId3v2Names(fileName, v2) && !TrimView(v2.Title).empty())
        return NormaliseSongName(joined(Trim(v2.Artist), Trim(v2.Title)));
    // A title field of blanks counts as empty, like a missing one: it names no song.
    TId3v1Names v1;
    if (ReadId3v1Names(fileName, v1) && !TrimView(v1.Title).empty())
        return NormaliseSongName(joined(Trim(v1.Artist), Trim(v1.Title)));
    return NormaliseSongName(title);
}

std::vector<std::string> TMp3Tag::FindLyricFiles() {
    const std::int32_t length = Song_.GetSongLength();
    const std::string base = NormaliseSongName(SongNameFor(Song_.GetSongFileName(), Song_.GetSongTitle()));
    const std::string timed =
        length >= 2000 ? base + " [" + std::to_string(toolkit::RoundLength(length / 1000)) + "].lrc"
                       : base + " [*].lrc";
    if (!IsUsableSongName(base)) {
        if (View_)
            View_->HideLoadingLabel();
        return {};
    }
    std::function<void()> progress;
    if (View_)
        progress = [this] { View_->SearchProgress(); };
    const std::string found =
        toolkit::FindFirstOfPatterns(Settings.LyricsDir, Settings.IncludeSubDirecoriesInSearch,
                                     {timed, base + ".lrc", base + ".txt"}, progress);
    if (View_)
        View_->HideLoadingLabel();
    if (found.empty())
        return {};
    return {found};
}

bool TMp3Tag::LoadForCurrentSong(TTextLyrics& lyrics) {
    lyrics.Found = false;
    lyrics.Lines.clear();
    LastError_.clear();
    const std::vector<std::string> files = FindLyricFiles();
    const std::string fileName = Song_.GetSongFileName();
    lyrics.SongName = SongNameFor(fileName, Song_.GetSongTitle());
    lyrics.LyricsFileName.clear();
    lyrics.SongFileName = fileName;
    if (!files.empty()) {
        if (!lyrics.LoadFromFile(files.front(), &LastError_))
            return false;
        lyrics.LyricsFileName = files.front();
        lyrics.Found = true;
    } else if (LowerExtension(lyrics.SongFileName) == ".mp3") {
        std::string text;
        if (Settings.SearchID3v2)
            text = ReadId3v2Lyrics(lyrics.SongFileName);
        if (text.empty() && Settings.SearchLyrics3)
            text = ReadLyrics3Lyrics(lyrics.SongFileName);
        if (!text.empty()) {
            lyrics.ParseText(text);
            lyrics.Found = true;
        }
    }
    return lyrics.Found;
}

std::string TMp3Tag::ReadId3v2Lyrics(const std::string& fileName) const {
    return ReadId3v2LyricsText(fileName);
}

std::string TMp3Tag::ReadLyrics3Lyrics(const std::string& fileName) const {
    return toolkit::EightBitToActive(ReadLyrics3Text(fileName));
}

} // namespace lyrics
