#include "toolkit/FileBytes.h"

#include "platform/Platform.h"
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

    // The error names the file and gives the system's reason (in the system's own words).
    const std::string missing = folder / "no-such-folder" + "/x.txt";
    EXPECT_FALSE(toolkit::WriteFileReplacing(missing, "x", &error));
    const std::string named = "Cannot write " + missing + ": ";
    EXPECT_EQ(error.substr(0, named.size()), named);
    EXPECT_GT(error.size(), named.size());
    if (platform::PathSeparator() == '/') {
        EXPECT_EQ(error, named + "No such file or directory");
    }
}

// Modes exist on Linux only: Windows knows only the read-only mark.
bool HasFileModes() {
    return platform::PathSeparator() == '/';
}

TEST(FileBytes, OwnerOnlyFilesAreNeverReadableByOthers) {
    if (!HasFileModes())
        GTEST_SKIP() << "no file modes";
    TTempFolder folder;
    const auto ownerReadWrite = fs::perms::owner_read | fs::perms::owner_write;
    const std::string fresh = folder / "Settings.ini";
    ASSERT_TRUE(toolkit::WriteFileReplacing(fresh, "[a]\r\n", nullptr, toolkit::TFileAccess::OwnerOnly));
    EXPECT_EQ(fs::status(fresh).permissions(), ownerReadWrite);

    // A file that others could read loses those rights at its next save; the owner's stay.
    const std::string open = folder / "Open.ini";
    TTempFolder::WriteFile(open, "old");
    fs::permissions(open,
                    ownerReadWrite | fs::perms::owner_exec | fs::perms::group_read | fs::perms::others_read);
    ASSERT_TRUE(toolkit::WriteFileReplacing(open, "new", nullptr, toolkit::TFileAccess::OwnerOnly));
    EXPECT_EQ(fs::status(open).permissions(), ownerReadWrite | fs::perms::owner_exec);
    EXPECT_EQ(TTempFolder::ReadFile(open), "new");

    // A leftover new file of an interrupted save, readable by all, is not reused with its mode.
    const std::string left = folder / "Left.ini";
    TTempFolder::WriteFile(left + ".~new", "half");
    fs::permissions(left + ".~new", fs::perms::all);
    ASSERT_TRUE(toolkit::WriteFileReplacing(left, "whole", nullptr, toolkit::TFileAccess::OwnerOnly));
    EXPECT_EQ(fs::status(left).permissions(), ownerReadWrite);
    EXPECT_FALSE(fs::exists(left + ".~new"));
}

TEST(FileBytes, ASymbolicLinkStaysAndItsTargetIsReplaced) {
    TTempFolder folder;
    const std::string dotfiles = folder / "dotfiles";
    const std::string config = folder / "config";
    fs::create_directories(dotfiles);
    fs::create_directories(config);
    const std::string target = dotfiles + "/Settings.ini";
    TTempFolder::WriteFile(target, "old");
    const std::string link = config + "/Settings.ini";
    std::error_code ec;
    fs::create_symlink("../dotfiles/Settings.ini", link, ec); // relative, as dotfile managers make them
    if (ec)
        GTEST_SKIP() << "no symbolic links here: " << ec.message();
    // A chain of two links.
    const std::string second = folder / "Second.ini";
    fs::create_symlink(link, second);

    struct TCase {
        std::string through;
        std::string bytes;
    } cases[] = {{link, "one"}, {second, "two"}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.through);
        ASSERT_TRUE(
            toolkit::WriteFileReplacing(c.through, c.bytes, nullptr, toolkit::TFileAccess::OwnerOnly));
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_TRUE(fs::is_symlink(second));
        EXPECT_EQ(TTempFolder::ReadFile(target), c.bytes);
        EXPECT_EQ(TTempFolder::ReadFile(c.through), c.bytes);
        if (HasFileModes()) {
            EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
        }
        // Nothing left beside the link or the target.
        EXPECT_EQ(std::distance(fs::directory_iterator(config), fs::directory_iterator()), 1);
        EXPECT_EQ(std::distance(fs::directory_iterator(dotfiles), fs::directory_iterator()), 1);
    }

    // A link to a file not there yet makes the file.
    const std::string dangling = folder / "Dangling.ini";
    fs::create_symlink("dotfiles/New.ini", dangling);
    ASSERT_TRUE(toolkit::WriteFileReplacing(dangling, "made"));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(TTempFolder::ReadFile(dotfiles + "/New.ini"), "made");

    // Links that point at each other: a failure, nothing written.
    const std::string loopA = folder / "LoopA.ini";
    const std::string loopB = folder / "LoopB.ini";
    fs::create_symlink(loopB, loopA);
    fs::create_symlink(loopA, loopB);
    std::string error;
    EXPECT_FALSE(toolkit::WriteFileReplacing(loopA, "x", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_symlink(loopA));
    EXPECT_TRUE(fs::is_symlink(loopB));
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
