#include "agent/core/TLyricFileWriter.h"

#include "lyrics/UTextLyrics.h"
#include "toolkit/AsciiText.h"
#include "toolkit/CodePage.h"
#include "toolkit/DirectorySearch.h"
#include "toolkit/FileBytes.h"
#include "toolkit/RoundLength.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace agent {

const char* const kErrorNoLyricsFolder = "Error: no lyrics folder";
const char* const kErrorReadOnlyFolder = "Error: lyrics folder is read-only";
const char* const kErrorNoFileName = "Error: song name is no file name";
const char* const kErrorUserFileInWay = "Error: your own lyrics file is in the way";
const char* const kErrorCannotWrite = "Error: cannot write the lyrics file";

namespace {

namespace fs = std::filesystem;

// How much of an existing file is read to tell whether it is a download.
constexpr std::size_t kTagScanBytes = 1024 * 1024;
constexpr std::size_t kMaxFileNameBytes = 255;
constexpr int kMaxBackups = 9;

std::string JoinPath(const std::string& folder, char separator, const std::string& name) {
    if (folder.empty() || folder.back() == separator || folder.back() == '/')
        return folder + name;
    return folder + separator + name;
}

// The file name as a path component: UTF-8, as program paths are on every platform.
std::string PathName(const std::string& text, int codePage) {
    return toolkit::IsUtf8CodePage(codePage) ? text : toolkit::CodePageToUtf8(text, codePage);
}

bool IsDeviceName(std::string stem) {
    while (!stem.empty() && (stem.back() == ' ' || stem.back() == '.'))
        stem.pop_back();
    stem = toolkit::LowerAscii(stem);
    static const char* const kNames[] = {"con", "prn", "aux", "nul", "conin$", "conout$", "clock$"};
    for (const char* name : kNames)
        if (stem == name)
            return true;
    if (stem.size() == 4 && (stem.rfind("com", 0) == 0 || stem.rfind("lpt", 0) == 0) && stem[3] >= '0' &&
        stem[3] <= '9')
        return true;
    return false;
}

bool StartsWithDlTag(const std::string& line) {
    std::size_t b = 0;
    while (b < line.size() && static_cast<unsigned char>(line[b]) <= ' ')
        ++b;
    return toolkit::LowerAscii(line.substr(b, 4)) == "[dl:";
}

// A file carrying a "[dl:" tag line: written by a download.
bool IsDownload(const std::string& path) {
    std::string bytes;
    bool truncated = false;
    if (!toolkit::ReadFileHead(path, kTagScanBytes, bytes, &truncated))
        return false;
    if (bytes.size() >= 2 &&
        ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        return false; // never written by the agent
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = bytes.size();
        if (StartsWithDlTag(bytes.substr(start, end - start)))
            return true;
        start = end + 1;
    }
    return false;
}

std::vector<std::string> FilesMatching(const std::string& folder, const std::string& pattern) {
    toolkit::TDirectorySearch search;
    search.Root = folder;
    search.Recursive = false;
    search.Pattern = pattern;
    search.Search();
    return search.Found;
}

// A free name beside the file for keeping an earlier download; empty when all are taken.
std::string BackupName(const std::string& path) {
    std::error_code ec;
    for (int i = 1; i <= kMaxBackups; ++i) {
        const std::string name = path + (i == 1 ? ".old" : ".old" + std::to_string(i));
        if (!fs::exists(fs::symlink_status(toolkit::FilePath(name), ec)))
            return name;
    }
    return {};
}

bool SamePath(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::equivalent(toolkit::FilePath(a), toolkit::FilePath(b), ec);
}

} // namespace

std::string FileNameProblem(const std::string& songName, int codePage) {
    if (songName.empty() || songName == "." || songName == "..")
        return kErrorNoFileName;
    for (char c : songName) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            return kErrorNoFileName;
    }
    const std::string name = PathName(songName, codePage);
    if (name.size() + 10 > kMaxFileNameBytes) // room for " [1234].lrc"
        return kErrorNoFileName;
    if (IsDeviceName(name.substr(0, name.find('.'))))
        return kErrorNoFileName;
    return {};
}

std::string FolderProblem(const std::string& folder) {
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(toolkit::FilePath(folder), ec))
        return kErrorNoLyricsFolder;
    if (!toolkit::IsFolderWritable(folder))
        return kErrorReadOnlyFolder;
    return {};
}

std::string LyricFileName(const std::string& songName, std::int32_t lengthSeconds, bool timestamped) {
    if (!timestamped)
        return songName + ".txt";
    if (lengthSeconds >= 2)
        return songName + " [" + std::to_string(toolkit::RoundLength(lengthSeconds)) + "].lrc";
    return songName + ".lrc";
}

std::string LyricFileBytes(const std::string& lyricsUtf8, const std::string& sourceUrl, int codePage,
                           bool* timestamped) {
    std::string text;
    text.reserve(lyricsUtf8.size() + sourceUrl.size() + 16);
    text += "[dl:" + sourceUrl + "]\r\n";
    std::string body;
    std::size_t start = 0;
    const std::string lyrics = lyricsUtf8.substr(0, lyricsUtf8.find('\0'));
    while (start <= lyrics.size()) {
        std::size_t end = lyrics.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = lyrics.size();
        const std::string line = lyrics.substr(start, end - start);
        if (!StartsWithDlTag(line))
            body += line + "\r\n";
        if (end < lyrics.size() && lyrics[end] == '\r' && end + 1 < lyrics.size() && lyrics[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    // No trailing blank lines beyond the last line's end.
    while (body.size() >= 4 && body.compare(body.size() - 4, 4, "\r\n\r\n") == 0)
        body.erase(body.size() - 2);
    text += toolkit::IsUtf8CodePage(codePage) ? body : toolkit::Utf8ToCodePage(body, codePage);
    if (timestamped) {
        lyrics::TTextLyrics document;
        document.ParseText(text);
        *timestamped = document.Timestamped;
    }
    return text;
}

TStoreResult StoreLyrics(const TLyricsTarget& target, const std::string& fileBytes, bool timestamped) {
    TStoreResult result;
    const auto fail = [&](const char* error) {
        result.Error = error;
        return result;
    };
    if (const std::string problem = FileNameProblem(target.SongName, target.CodePage); !problem.empty())
        return fail(problem.c_str());
    if (const std::string problem = FolderProblem(target.Folder); !problem.empty())
        return fail(problem.c_str());

    const std::string fileName = LyricFileName(target.SongName, target.LengthSeconds, timestamped);
    const std::string path = JoinPath(target.Folder, target.Separator, PathName(fileName, target.CodePage));

    // The names the lookup tries before this one, then this one (patterns of the active code page).
    std::vector<std::pair<std::string, bool>> patterns; // pattern, exact (no wildcard)
    const bool lengthNamed = timestamped && target.LengthSeconds >= 2;
    if (!lengthNamed)
        patterns.emplace_back(target.SongName + " [*].lrc", false);
    if (!timestamped)
        patterns.emplace_back(target.SongName + ".lrc", true);
    patterns.emplace_back(fileName, true);

    std::vector<std::string> earlier; // downloads to keep aside once the new file is written
    std::string replaced;             // a download at the path itself
    for (const auto& [pattern, exact] : patterns) {
        for (const std::string& found : FilesMatching(target.Folder, pattern)) {
            if (IsDownload(found)) {
                if (SamePath(found, path))
                    replaced = found;
                else
                    earlier.push_back(found);
            } else if (exact) {
                return fail(kErrorUserFileInWay);
            }
        }
    }

    std::string error;
    if (!replaced.empty()) {
        // The earlier download at this name is kept as a copy before the new one replaces it.
        const std::string backup = BackupName(replaced);
        std::error_code ec;
        if (backup.empty() || !fs::copy_file(toolkit::FilePath(replaced), toolkit::FilePath(backup), ec))
            return fail(kErrorCannotWrite);
        if (!toolkit::WriteFileReplacing(path, fileBytes, &error)) {
            fs::remove(toolkit::FilePath(backup), ec);
            return fail(kErrorCannotWrite);
        }
    } else if (!toolkit::WriteNewFile(path, fileBytes, &error)) {
        std::error_code ec;
        return fail(fs::exists(fs::symlink_status(toolkit::FilePath(path), ec)) ? kErrorUserFileInWay
                                                                                : kErrorCannotWrite);
    }
    // Earlier downloads the lookup would find first step aside; one that cannot stays where it is.
    for (const std::string& file : earlier) {
        const std::string backup = BackupName(file);
        std::error_code ec;
        if (!backup.empty())
            fs::rename(toolkit::FilePath(file), toolkit::FilePath(backup), ec);
    }
    result.Ok = true;
    result.Path = path;
    return result;
}

std::string StoredDownloadSource(const TLyricsTarget& target) {
    if (target.SongName.empty())
        return {};
    const std::vector<std::string> patterns = {
        target.LengthSeconds >= 2
            ? target.SongName + " [" + std::to_string(toolkit::RoundLength(target.LengthSeconds)) + "].lrc"
            : target.SongName + " [*].lrc",
        target.SongName + ".lrc", target.SongName + ".txt"};
    const std::string file = toolkit::FindFirstOfPatterns(target.Folder, false, patterns, nullptr);
    if (file.empty())
        return {};
    std::string bytes;
    bool truncated = false;
    if (!toolkit::ReadFileHead(file, lyrics::TTextLyrics::kMaxFileBytes, bytes, &truncated))
        return {};
    lyrics::TTextLyrics document;
    document.ParseText(lyrics::DecodeLyricFile(bytes, truncated));
    return document.DownloadSource;
}

} // namespace agent
