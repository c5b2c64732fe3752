// Cost of a song change's lyric lookup in a large lyrics folder: 100,000 files in 1,000 subfolders (10
// folders of 99 subfolders each, plus those 10), built once in a temporary folder and removed at exit.
// Prints the time of LoadForCurrentSong for a hit in the root, a hit in the subfolder searched last and a
// miss, and for comparison a miss done as three separate searches.
#include "lyrics/UMp3Tag.h"
#include "lyrics/UTextLyrics.h"
#include "toolkit/DirectorySearch.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

struct TFakeSong : lyrics::ISongInfo {
    std::string Title;
    std::string GetSongTitle() override { return Title; }
    std::string GetSongFileName() override { return {}; }
    std::int32_t GetSongLength() override { return 185000; }
};

// The last folder in listing order, taken one level down at a time: the subfolder searched last.
fs::path LastListed(const fs::path& folder) {
    fs::path last;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_directory())
            last = entry.path();
    }
    return last;
}

class TLyricsFolder {
public:
    TLyricsFolder() {
        std::random_device seed;
        Root = fs::temp_directory_path() / ("cantrel-bench-lookup-" + std::to_string(seed()));
        constexpr int kTop = 10, kSub = 99, kFiles = 100000, kFolders = kTop * (kSub + 1);
        std::vector<fs::path> folders;
        for (int t = 0; t < kTop; ++t) {
            folders.push_back(Root / ("Group " + std::to_string(t)));
            for (int s = 0; s < kSub; ++s)
                folders.push_back(folders[std::size_t(t) * (kSub + 1)] / ("Artist " + std::to_string(s)));
        }
        for (const fs::path& f : folders)
            fs::create_directories(f);
        for (int i = 0; i < kFiles; ++i) {
            const fs::path& folder = folders[std::size_t(i % kFolders)];
            const char* ext = i % 3 == 0 ? ".txt" : ".lrc";
            std::ofstream(folder / ("Artist " + std::to_string(i) + " - Song " + std::to_string(i) + ext)) << "[00:01]x\n";
        }
        std::ofstream(Root / "Root Artist - Root Song [190].lrc") << "[00:01]root\n";
        std::ofstream(LastListed(LastListed(Root)) / "Deep Artist - Deep Song.txt") << "deep\n";
    }
    ~TLyricsFolder() {
        std::error_code ec;
        fs::remove_all(Root, ec);
    }
    fs::path Root;
};

TLyricsFolder& Folder() {
    static TLyricsFolder folder;
    return folder;
}

void Lookup(benchmark::State& state, const std::string& title, bool expectFound) {
    TFakeSong song;
    song.Title = title;
    lyrics::TMp3Tag tag(song);
    tag.Settings.LyricsDir = Folder().Root.string();
    lyrics::TTextLyrics doc;
    for (auto _ : state) {
        if (tag.LoadForCurrentSong(doc) != expectFound)
            state.SkipWithError("unexpected lookup result");
    }
}

void BM_LoadForCurrentSong_HitInRoot(benchmark::State& state) { Lookup(state, "Root Artist - Root Song", true); }
void BM_LoadForCurrentSong_HitDeep(benchmark::State& state) { Lookup(state, "Deep Artist - Deep Song", true); }
void BM_LoadForCurrentSong_Miss(benchmark::State& state) { Lookup(state, "Nobody - Nothing", false); }

// What the miss costs when each pattern is searched on its own, one full walk each.
void BM_Miss_ThreeSeparateSearches(benchmark::State& state) {
    toolkit::TDirectorySearch search;
    search.Root = Folder().Root.string();
    for (auto _ : state) {
        for (const char* pattern : {"Nobody - Nothing [190].lrc", "Nobody - Nothing.lrc", "Nobody - Nothing.txt"}) {
            search.Pattern = pattern;
            search.Search();
        }
    }
}

BENCHMARK(BM_LoadForCurrentSong_HitInRoot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadForCurrentSong_HitDeep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadForCurrentSong_Miss)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Miss_ThreeSeparateSearches)->Unit(benchmark::kMillisecond);

} // namespace
