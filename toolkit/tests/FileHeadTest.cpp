#include "toolkit/FileBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;
using namespace toolkit;

namespace {

fs::path FreshFolder() {
    static int counter = 0;
    std::random_device seed;
    const fs::path p = fs::temp_directory_path() / ("cantrel-bytes-" + std::to_string(seed()) + "-" +
                                                    std::to_string(++counter));
    fs::create_directories(p);
    return p;
}

struct TFolder {
    fs::path Path = FreshFolder();
    ~TFolder() {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path / name, std::ios::binary) << bytes;
        return (Path / name).string();
    }
};

} // namespace

TEST(FileHead, ReadsTheHeadUpToTheLimit) {
    TFolder tmp;
    const std::string big(200000, 'x');
    const std::string path = tmp.Write("big", big);
    struct {
        std::size_t limit;
        std::size_t size;
        bool truncated;
    } cases[] = {{1000, 1000, true}, {200000, 200000, false}, {500000, 200000, false}, {199999, 199999, true}};
    for (const auto& c : cases) {
        std::string bytes;
        bool truncated = !c.truncated;
        ASSERT_TRUE(ReadFileHead(path, c.limit, bytes, &truncated));
        EXPECT_EQ(bytes.size(), c.size);
        EXPECT_EQ(truncated, c.truncated) << c.limit;
    }
    std::string bytes = "old";
    ASSERT_TRUE(ReadFileHead(tmp.Write("empty", ""), 10, bytes));
    EXPECT_EQ(bytes, "");
}

TEST(FileHead, UnreadableFilesFailWithTheSystemsError) {
    TFolder tmp;
    for (const fs::path& p : {tmp.Path / "missing.lrc", tmp.Path}) {
        std::string bytes, error;
        EXPECT_FALSE(ReadFileHead(p.string(), 100, bytes, nullptr, &error)) << p;
        EXPECT_FALSE(error.empty()) << p;
    }
}

TEST(FileHead, RandomAccessStaysInsideTheBytes) {
    TFolder tmp;
    const std::string content = "0123456789";
    TFileByteSource file(tmp.Write("ten", content));
    TMemoryByteSource memory(content);
    ASSERT_TRUE(file.IsOpen());
    for (IByteSource* source : {static_cast<IByteSource*>(&file), static_cast<IByteSource*>(&memory)}) {
        std::string out;
        EXPECT_EQ(source->Size(), 10u);
        EXPECT_TRUE(source->ReadAt(7, 3, out));
        EXPECT_EQ(out, "789");
        EXPECT_TRUE(source->ReadAt(10, 0, out));
        EXPECT_FALSE(source->ReadAt(8, 3, out));
        EXPECT_FALSE(source->ReadAt(11, 0, out));
        EXPECT_FALSE(source->ReadAt(~std::uint64_t(0), 2, out));
        EXPECT_TRUE(source->ReadAt(0, 2, out)); // still usable after a failed read
        EXPECT_EQ(out, "01");
    }
    EXPECT_FALSE(TFileByteSource((tmp.Path / "missing").string()).IsOpen());
}
