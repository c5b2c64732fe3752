#include "toolkit/FileBytes.h"

#include "toolkit/tests/TempFolder.h"

#include <gtest/gtest.h>

using testing_support::TTempFolder;
namespace fs = std::filesystem;

namespace {

TEST(FileBytes, ReadIsBoundedAndSafe) {
    TTempFolder folder;
    const std::string path = folder / "a.txt";
    EXPECT_FALSE(toolkit::ReadFileBytes(path)); // missing
    TTempFolder::WriteFile(path, std::string("a\0b\r\n", 5));
    EXPECT_EQ(toolkit::ReadFileBytes(path), std::string("a\0b\r\n", 5));
    EXPECT_FALSE(toolkit::ReadFileBytes(path, 4));       // larger than allowed
    EXPECT_FALSE(toolkit::ReadFileBytes(folder.Path())); // a folder
}

TEST(FileBytes, ReplacingKeepsTheOldFileOnFailure) {
    TTempFolder folder;
    const std::string path = folder / "Upload.txt";
    ASSERT_TRUE(toolkit::WriteFileReplacing(path, "one\r\n"));
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    const auto privateBits = fs::status(path).permissions(); // Windows knows only the read-only mark
    ASSERT_TRUE(toolkit::WriteFileReplacing(path, "two\r\n"));
    EXPECT_EQ(TTempFolder::ReadFile(path), "two\r\n");
    // The replacement keeps the file private.
    EXPECT_EQ(fs::status(path).permissions(), privateBits);

    fs::permissions(path, fs::perms::owner_read);
    EXPECT_TRUE(toolkit::IsFileReadOnly(path));
    std::string error;
    EXPECT_FALSE(toolkit::WriteFileReplacing(path, "three\r\n", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(TTempFolder::ReadFile(path), "two\r\n");

    // A folder in the way of the new file: nothing is written, nothing left behind.
    const std::string blocked = folder / "Blocked.txt";
    TTempFolder::WriteFile(blocked, "old");
    fs::create_directory(blocked + ".~new");
    fs::create_directory(blocked + ".~new/inner");
    EXPECT_FALSE(toolkit::WriteFileReplacing(blocked, "new"));
    EXPECT_EQ(TTempFolder::ReadFile(blocked), "old");

    // The error names the file and gives the system's reason.
    const std::string missing = folder / "no-such-folder" + "/x.txt";
    EXPECT_FALSE(toolkit::WriteFileReplacing(missing, "x", &error));
    EXPECT_EQ(error, "Cannot write " + missing + ": No such file or directory");
}

TEST(FileBytes, Folders) {
    TTempFolder folder;
    const std::string nested = folder / "a" + "/b/c";
    EXPECT_TRUE(toolkit::EnsureFolder(nested));
    EXPECT_TRUE(toolkit::IsFolderWritable(nested));
    EXPECT_TRUE(fs::is_empty(nested)); // the probe is gone
    const std::string file = folder / "file";
    TTempFolder::WriteFile(file, "x");
    EXPECT_FALSE(toolkit::EnsureFolder(file + "/sub"));
    EXPECT_FALSE(toolkit::IsFolderWritable(file));
}

} // namespace
