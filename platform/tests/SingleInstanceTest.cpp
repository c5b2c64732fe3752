#include "platform/SingleInstance.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace {

// A program folder nobody else uses, and (Linux) a runtime folder of the test's own.
struct TInstanceWorld {
    const std::string ProgramFolder =
        "/cantrel-instance-test-" + std::to_string(std::random_device()()) + "/";
    const std::filesystem::path Runtime = std::filesystem::temp_directory_path() /
                                          ("cantrel-runtime-" + std::to_string(std::random_device()()));
    TInstanceWorld() { std::filesystem::create_directories(Runtime); }
    ~TInstanceWorld() {
        std::error_code ignored;
        std::filesystem::remove_all(Runtime, ignored);
    }
    std::unique_ptr<platform::IInstanceLock> Start(const std::string& folder = {}) {
        return platform::CreateInstanceLock(folder.empty() ? ProgramFolder : folder, Runtime.u8string());
    }
};

TEST(SingleInstance, ALaterStartAsksTheFirstToShowItself) {
    TInstanceWorld world;
    const auto first = world.Start();
    ASSERT_TRUE(first->IsFirst());
    int shown = 0;
    first->SetShowRequestHandler([&] { ++shown; });

    for (int start = 1; start <= 2; ++start) {
        const auto later = world.Start();
        EXPECT_FALSE(later->IsFirst());
        EXPECT_TRUE(later->AskFirstToShow());
        first->ProcessPending();
        EXPECT_EQ(shown, start);
    }
    // A copy of the program in another folder runs on its own.
    const auto other = world.Start(world.ProgramFolder + "other/");
    EXPECT_TRUE(other->IsFirst());
    EXPECT_FALSE(other->AskFirstToShow()); // the first has nobody to ask
}

TEST(SingleInstance, TheLockEndsWithTheFirstStart) {
    TInstanceWorld world;
    auto first = world.Start();
    ASSERT_TRUE(first->IsFirst());
    first.reset();
    const auto next = world.Start();
    EXPECT_TRUE(next->IsFirst());
    int shown = 0;
    next->SetShowRequestHandler([&] { ++shown; });
    EXPECT_TRUE(world.Start()->AskFirstToShow());
    next->ProcessPending();
    EXPECT_EQ(shown, 1);
}

TEST(SingleInstance, KeysFollowTheFolder) {
    EXPECT_EQ(platform::InstanceKey("/usr/lib/cantrel/"), platform::InstanceKey("/usr/lib/cantrel/"));
    EXPECT_NE(platform::InstanceKey("/usr/lib/cantrel/"), platform::InstanceKey("/opt/cantrel/"));
    EXPECT_EQ(platform::InstanceKey("").size(), 16u);
}

} // namespace
