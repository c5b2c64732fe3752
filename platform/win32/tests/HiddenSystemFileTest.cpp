// The directory search passes over files that are both hidden and system, and only those.
#include "platform/Platform.h"
#include "toolkit/DirectorySearch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

namespace {

std::string MakeTempFolder() {
    char base[MAX_PATH + 1];
    const DWORD n = GetTempPathA(MAX_PATH, base);
    std::string folder = std::string(base, n) + "cantrel-hidden-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

void Touch(const std::string& path, DWORD attributes) {
    std::ofstream(path) << "[00:01]x\n";
    SetFileAttributesA(path.c_str(), attributes);
}

} // namespace

TEST(HiddenSystemFile, SearchSkipsOnlyFilesThatAreBoth) {
    const std::string folder = MakeTempFolder();
    struct {
        const char* name;
        DWORD attributes;
        bool found;
    } cases[] = {
        {"plain.lrc", FILE_ATTRIBUTE_NORMAL, true},
        {"hidden.lrc", FILE_ATTRIBUTE_HIDDEN, true},
        {"system.lrc", FILE_ATTRIBUTE_SYSTEM, true},
        {"both.lrc", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false},
    };
    for (const auto& c : cases)
        Touch(folder + c.name, c.attributes);

    toolkit::TDirectorySearch search;
    search.Root = folder;
    search.Pattern = "*.lrc";
    int progress = 0;
    search.OnProgress = [&] { ++progress; };
    search.Search();

    for (const auto& c : cases) {
        const bool found = std::any_of(search.Found.begin(), search.Found.end(), [&](const std::string& p) {
            return p.size() >= std::string(c.name).size() && p.substr(p.size() - std::string(c.name).size()) == c.name;
        });
        EXPECT_EQ(found, c.found) << c.name;
        EXPECT_EQ(platform::IsHiddenSystemFile(folder + c.name), !c.found) << c.name;
    }
    EXPECT_EQ(progress, 4) << "every entry reports progress, skipped ones too";

    for (const auto& c : cases) {
        SetFileAttributesA((folder + c.name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA((folder + c.name).c_str());
    }
    RemoveDirectoryA(folder.c_str());
}
