// The agent record, the requests and replies of the agent link, and the fake agent's answers.
#include "lyrics/USearchAgent.h"
#include "lyrics/fake/FakeAgent.h"
#include "platform/fake/FakeAgentChannel.h"
#include "toolkit/CodePage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;
using namespace lyrics;

namespace {

TEST(AgentRecord, LayoutOfTheFields) {
    const auto bytes = BuildAgentRecord({"Search", -1, "Artist - Title", 185, 1});
    ASSERT_EQ(bytes.size(), 524u);
    EXPECT_EQ(bytes[0], 6);
    EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 7), "Search");
    EXPECT_EQ(bytes[7], 0); // unused bytes are zero
    for (int i = 256; i < 260; ++i)
        EXPECT_EQ(bytes[i], 0xff); // -1, little-endian
    EXPECT_EQ(bytes[260], 14);
    EXPECT_EQ(std::string(bytes.begin() + 261, bytes.begin() + 275), "Artist - Title");
    EXPECT_EQ(bytes[516], 185);
    EXPECT_EQ(bytes[517], 0);
    EXPECT_EQ(bytes[520], 1);
}

TEST(AgentRecord, RoundTrips) {
    const TAgentRecord cases[] = {
        {"Search", -1, "AC/DC - Back In Black", 255, 1},
        {"CancelSearch", 0, "", 0, 0},
        {"", 2147483647, std::string(255, 'x'), -2147483647 - 1, 0},
        {std::string("a\0b", 3), 7, "\xe9\xfc", 0, 1}, // any byte travels, zero bytes included
    };
    for (const auto& record : cases) {
        const auto bytes = BuildAgentRecord(record);
        const auto parsed = ParseAgentRecord(bytes.data(), bytes.size());
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(*parsed, record);
    }
}

TEST(AgentRecord, LongTextsAreCutToTheirField) {
    const auto bytes = BuildAgentRecord({std::string(300, 'c'), 0, std::string(1000, 't'), 0, 0});
    const auto parsed = ParseAgentRecord(bytes.data(), bytes.size());
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->Command, std::string(255, 'c'));
    EXPECT_EQ(parsed->Text, std::string(255, 't'));
}

TEST(AgentRecord, UnderUtf8ACutEndsOnAWholeCharacter) {
    toolkit::SetActiveCodePage(toolkit::kCodePageUtf8);
    std::string name;
    for (int i = 0; i < 100; ++i)
        name += "\xd0\x96\xe6\x97\xa5"; // Ж (2 bytes) and 日 (3 bytes)
    const auto bytes = BuildAgentRecord({kAgentSearch, -1, name, 0, 0});
    const auto parsed = ParseAgentRecord(bytes.data(), bytes.size());
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->Text.size(), 255u); // 51 pairs of 5 bytes end exactly at 255
    EXPECT_EQ(parsed->Text, name.substr(0, 255));
    const auto shifted = BuildAgentRecord({kAgentSearch, -1, "x" + name, 0, 0});
    const auto cut = ParseAgentRecord(shifted.data(), shifted.size());
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->Text, ("x" + name).substr(0, 253)); // the next 日 would not fit whole
    toolkit::SetActiveCodePage(1252);
}

TEST(AgentRecord, WrongSizesAreDropped) {
    std::vector<std::uint8_t> bytes(2000, 0);
    for (std::size_t size : {0, 1, 256, 523, 525, 1048, 2000})
        EXPECT_FALSE(ParseAgentRecord(bytes.data(), size).has_value()) << size;
    EXPECT_FALSE(ParseAgentRecord(nullptr, 524).has_value());
    EXPECT_TRUE(ParseAgentRecord(bytes.data(), 524).has_value());
}

TEST(AgentRecord, RandomBytesNeverReadPastTheRecord) {
    std::mt19937 random(8);
    std::vector<std::uint8_t> bytes(524);
    for (int round = 0; round < 2000; ++round) {
        for (auto& b : bytes)
            b = std::uint8_t(random());
        const auto parsed = ParseAgentRecord(bytes.data(), bytes.size());
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(parsed->Command.size(), bytes[0]);
        EXPECT_EQ(parsed->Text.size(), bytes[260]);
    }
}

class SearchAgentTest : public ::testing::Test, public IAgentReplyListener {
protected:
    void AgentReply(const TAgentRecord& reply) override { Replies.push_back(reply); }

    platform::TFakeAgentHub Hub;
    platform::TFakeAgentChannel MainChannel{Hub};
    platform::TFakeAgentChannel AgentChannel{Hub};
    TSearchAgent Link{MainChannel};
    std::vector<TAgentRecord> Replies;
};

TEST_F(SearchAgentTest, RequestsAreAcceptedOnlyWith99) {
    EXPECT_FALSE(Link.Search(-1, "A - B", 180, true)); // nobody listens
    std::intptr_t answer = 99;
    std::vector<TAgentRecord> got;
    ASSERT_TRUE(
        AgentChannel.Listen(platform::kAgentWindowClass, [&](const std::uint8_t* data, std::size_t size) {
            got.push_back(*ParseAgentRecord(data, size));
            return answer;
        }));
    EXPECT_TRUE(Link.Search(-1, "A - B", 180, true));
    EXPECT_TRUE(Link.Search(3, "A - B", 0, false));
    EXPECT_TRUE(Link.CancelSearch());
    answer = 1;
    EXPECT_FALSE(Link.Close());

    const std::vector<TAgentRecord> expected = {{"Search", -1, "A - B", 180, 1},
                                                {"Search", 3, "A - B", 0, 0},
                                                {"CancelSearch", 0, "", 0, 0},
                                                {"Close", 0, "", 0, 0}};
    EXPECT_EQ(got, expected);
    ASSERT_EQ(Hub.Sent.size(), 5u);
    EXPECT_EQ(Hub.Sent[1].toClass, "TFormCantrelAgent");
}

TEST_F(SearchAgentTest, RepliesReachTheListenerAndAreAnsweredWithZero) {
    ASSERT_TRUE(Link.Listen(*this));
    const auto reply = BuildAgentRecord({"", 0, "DownloadDone", 0, 0});
    EXPECT_EQ(AgentChannel.SendRecord(platform::kMainWindowClass, reply.data(), reply.size()), 0);
    ASSERT_EQ(Replies.size(), 1u);
    EXPECT_EQ(Replies[0].Text, "DownloadDone");

    // A record of another size is dropped.
    std::vector<std::uint8_t> shortRecord(reply.begin(), reply.begin() + 300);
    AgentChannel.SendRecord(platform::kMainWindowClass, shortRecord.data(), shortRecord.size());
    EXPECT_EQ(Replies.size(), 1u);

    Link.StopListening();
    AgentChannel.SendRecord(platform::kMainWindowClass, reply.data(), reply.size());
    EXPECT_EQ(Replies.size(), 1u);
}

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        Folder =
            fs::temp_directory_path() / ("cantrel-agent-" + std::to_string(std::random_device()()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(Folder);
    }
    void TearDown() override { fs::remove_all(Folder); }
    fs::path Folder;
};

using SearchAgentStartTest = TempFolderTest;

TEST_F(SearchAgentStartTest, StartsTheAgentBesideTheProgramOnlyIfItExists) {
    platform::TFakeAgentHub hub;
    platform::TFakeAgentChannel channel(hub);
    TSearchAgent link(channel);
    const std::string programFolder = Folder.string() + "/";
    const std::string expected = programFolder + "Cantrel/" + platform::AgentProgramName();
    EXPECT_EQ(TSearchAgent::AgentPath(programFolder, '/'), expected);

    EXPECT_FALSE(link.Start(programFolder, '/'));
    EXPECT_TRUE(channel.Started.empty());

    fs::create_directories(Folder / "Cantrel");
    std::ofstream(expected) << "agent";
    EXPECT_TRUE(link.Start(programFolder, '/'));
    ASSERT_EQ(channel.Started.size(), 1u);
    EXPECT_EQ(channel.Started[0], expected);

    channel.StartSucceeds = false;
    EXPECT_FALSE(link.Start(programFolder, '/'));
}

class FakeAgentTest : public TempFolderTest, public IAgentReplyListener {
protected:
    void AgentReply(const TAgentRecord& reply) override { Replies.push_back(reply); }
    std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    platform::TFakeAgentHub Hub;
    platform::TFakeAgentChannel MainChannel{Hub};
    platform::TFakeAgentChannel AgentChannel{Hub};
    TSearchAgent Link{MainChannel};
    std::vector<TAgentRecord> Replies;
};

TEST_F(FakeAgentTest, DownloadStoresTheFileTheLookupExpects) {
    TFakeAgent agent(AgentChannel, Folder.string());
    agent.Sites = {"http://one.example/", "http://two.example/"};
    ASSERT_TRUE(agent.Listen());
    ASSERT_TRUE(Link.Listen(*this));

    struct TCase {
        std::int32_t site, length;
        bool timestamped;
        const char* file;
        const char* source;
    };
    const TCase cases[] = {
        {-1, 185, true, "A - B [190].lrc", "http://versevault.example/"},
        {-1, 0, true, "A - B.lrc", "http://versevault.example/"},
        {-1, 0, false, "A - B.lrc", "http://versevault.example/"},
        {1, 0, false, "A - B.lrc", "http://two.example/"},
    };
    for (const auto& c : cases) {
        Replies.clear();
        EXPECT_TRUE(Link.Search(c.site, "A - B", c.length, c.timestamped));
        EXPECT_TRUE(Replies.empty()); // the reply comes after the request returned
        EXPECT_EQ(agent.Pump(), 1);
        ASSERT_EQ(Replies.size(), 1u);
        EXPECT_EQ(Replies[0].Text, "DownloadDone");
        const std::string text = Read(Folder / c.file);
        EXPECT_NE(text.find(std::string("[dl:") + c.source + "]"), std::string::npos) << c.file;
        EXPECT_NE(text.find("[00:04.00]"), std::string::npos);
    }
}

TEST_F(FakeAgentTest, ModesRepliesAndCommands) {
    TFakeAgent agent(AgentChannel, Folder.string());
    ASSERT_TRUE(agent.Listen());
    ASSERT_TRUE(Link.Listen(*this));
    struct TCase {
        TFakeAgent::TMode mode;
        const char* text;
    };
    const TCase cases[] = {{TFakeAgent::TMode::NotFound, "Not Found"},
                           {TFakeAgent::TMode::ErrorConnecting, "Error Connecting"},
                           {TFakeAgent::TMode::Versevault, "Versevault"}};
    for (const auto& c : cases) {
        Replies.clear();
        agent.Mode = c.mode;
        EXPECT_TRUE(Link.Search(-1, "A - B", 0, true));
        agent.Pump();
        ASSERT_EQ(Replies.size(), 1u);
        EXPECT_EQ(Replies[0].Text, c.text);
    }
    EXPECT_EQ(Replies[0].Command, agent.VersevaultMessage);
    EXPECT_TRUE(fs::is_empty(Folder));

    Replies.clear();
    agent.Mode = TFakeAgent::TMode::Silent;
    EXPECT_TRUE(Link.Search(-1, "A - B", 0, true));
    EXPECT_TRUE(Link.CancelSearch());
    agent.Pump();
    ASSERT_EQ(Replies.size(), 1u);
    EXPECT_EQ(Replies[0].Text, "Done");

    EXPECT_TRUE(Link.Close());
    EXPECT_TRUE(agent.Closed);
    EXPECT_FALSE(Link.Send({"Unknown", 0, "", 0, 0}));
    EXPECT_EQ(agent.Requests.size(), 7u);
}

} // namespace
