// The fake agent program over the real transport: started the way the program starts its agent (no
// arguments, from "Cantrel" beside the program), asked to search, replying after it stored the file.
#include "lyrics/USearchAgent.h"

#include "platform/AgentChannel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

namespace fs = std::filesystem;
using namespace lyrics;

namespace {

class AgentProcessTest : public ::testing::Test, public IAgentReplyListener {
protected:
    void SetUp() override {
        Folder =
            fs::temp_directory_path() / ("cantrel-agent-process-" + std::to_string(std::random_device()()));
        fs::create_directories(Folder / "run");
        fs::permissions(Folder / "run", fs::perms::owner_all);
        fs::create_directories(Folder / "Cantrel" / "lyrics");
        fs::copy_file(FAKE_AGENT_PATH, Folder / "Cantrel" / "CantrelAgent");
        setenv("XDG_RUNTIME_DIR", (Folder / "run").c_str(), 1);
        setenv("CANTREL_FAKE_AGENT_MAX_SECONDS", "30", 1);
        setenv("CANTREL_FAKE_AGENT_SITES", "http://one.example/,http://two.example/", 1);
        // The channel takes its folder from the runtime folder set above.
        Channel = platform::CreateAgentChannel();
        Link = std::make_unique<TSearchAgent>(*Channel);
    }
    void TearDown() override {
        Link->Close(); // never leave the agent running, whatever failed
        Link.reset();
        unsetenv("CANTREL_FAKE_AGENT_MAX_SECONDS");
        unsetenv("CANTREL_FAKE_AGENT_SITES");
        fs::remove_all(Folder);
    }
    void AgentReply(const TAgentRecord& reply) override { Replies.push_back(reply); }

    template <typename TCondition> bool WaitFor(TCondition condition) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            Channel->ProcessPending();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    fs::path Folder;
    std::unique_ptr<platform::IAgentChannel> Channel;
    std::unique_ptr<TSearchAgent> Link;
    std::vector<TAgentRecord> Replies;
};

TEST_F(AgentProcessTest, SearchThroughTheRealTransport) {
    TSearchAgent& link = *Link;

    ASSERT_TRUE(link.Listen(*this));
    EXPECT_FALSE(link.Search(-1, "A - B", 185, true)); // not running yet: not accepted
    ASSERT_TRUE(link.Start(Folder.string() + "/", '/'));
    ASSERT_TRUE(WaitFor([&] { return link.Search(1, "A - B", 0, false); }));
    ASSERT_TRUE(WaitFor([&] { return !Replies.empty(); }));
    EXPECT_EQ(Replies[0].Text, "DownloadDone");
    EXPECT_TRUE(fs::exists(Folder / "Cantrel" / "lyrics" / "A - B.lrc"));

    EXPECT_TRUE(link.Close());
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(Folder / "run" / "TFormCantrelAgent"); }));
    EXPECT_FALSE(link.Search(-1, "A - B", 185, true));
}

} // namespace
