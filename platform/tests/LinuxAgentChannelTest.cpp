// The local-socket transport: delivery and answer, nobody listening, stale and live socket files, bounded
// handling of bad senders, answers while both sides send, and starting a program.
#include "platform/linux/LinuxAgentChannel.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using platform::TLinuxAgentChannel;

namespace {

class LinuxAgentChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/cantrel-channel-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        Folder = pattern;
    }
    void TearDown() override { fs::remove_all(Folder); }

    // Serves a channel on a thread until Stop is set.
    std::thread ServeOn(TLinuxAgentChannel& channel) {
        return std::thread([&channel, this] {
            while (!Stop)
                channel.ProcessPending(), std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
    }

    // A raw client that writes bytes and returns what it reads back before the peer closes.
    std::vector<std::uint8_t> RawExchange(const std::string& className,
                                          const std::vector<std::uint8_t>& bytes, bool holdOpenMs = false) {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = Folder + "/" + className;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        if (holdOpenMs)
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        std::vector<std::uint8_t> answer;
        std::uint8_t buffer[64];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
            answer.insert(answer.end(), buffer, buffer + n);
        close(fd);
        return answer;
    }

    std::string Folder;
    std::atomic<bool> Stop{false};
};

TEST_F(LinuxAgentChannelTest, DeliversRecordAndReturnsAnswer) {
    TLinuxAgentChannel receiver(Folder), sender(Folder);
    std::vector<std::vector<std::uint8_t>> got;
    ASSERT_TRUE(receiver.Listen("TFormTest", [&](const std::uint8_t* data, std::size_t size) {
        got.emplace_back(data, data + size);
        return std::intptr_t(99);
    }));
    EXPECT_TRUE(fs::exists(Folder + "/TFormTest"));
    EXPECT_GE(receiver.EventHandle(), 0);

    std::thread server = ServeOn(receiver);
    const std::vector<std::uint8_t> record(524, 0x5a);
    EXPECT_EQ(sender.SendRecord("TFormTest", record.data(), record.size()), 99);
    EXPECT_EQ(sender.SendRecord("TFormTest", nullptr, 0), 99); // an empty record is delivered as well
    Stop = true;
    server.join();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], record);
    EXPECT_TRUE(got[1].empty());

    receiver.StopListening();
    EXPECT_FALSE(fs::exists(Folder + "/TFormTest"));
}

TEST_F(LinuxAgentChannelTest, NegativeAnswersSurviveTheTrip) {
    TLinuxAgentChannel receiver(Folder), sender(Folder);
    ASSERT_TRUE(
        receiver.Listen("TFormTest", [](const std::uint8_t*, std::size_t) { return std::intptr_t(-7); }));
    std::thread server = ServeOn(receiver);
    const std::uint8_t byte = 1;
    EXPECT_EQ(sender.SendRecord("TFormTest", &byte, 1), -7);
    Stop = true;
    server.join();
}

TEST_F(LinuxAgentChannelTest, NobodyListeningAnswersZero) {
    TLinuxAgentChannel sender(Folder);
    const std::uint8_t byte = 1;
    EXPECT_EQ(sender.SendRecord("TFormCantrelAgent", &byte, 1), 0);
    EXPECT_EQ(sender.SendRecord("../escape", &byte, 1), 0);
    EXPECT_EQ(sender.SendRecord("", &byte, 1), 0);
}

TEST_F(LinuxAgentChannelTest, StaleSocketFileIsReplacedLiveOneIsNot) {
    {
        TLinuxAgentChannel first(Folder);
        ASSERT_TRUE(
            first.Listen("TFormTest", [](const std::uint8_t*, std::size_t) { return std::intptr_t(1); }));
        TLinuxAgentChannel second(Folder);
        EXPECT_FALSE(
            second.Listen("TFormTest", [](const std::uint8_t*, std::size_t) { return std::intptr_t(2); }));
        EXPECT_TRUE(fs::exists(Folder + "/TFormTest")); // the failed attempt leaves the live socket alone
        EXPECT_TRUE(second.IsListening("TFormTest"));   // how the agent watches the main window
    }
    // A socket file whose owner died without cleaning up.
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s/TFormTest", Folder.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
    TLinuxAgentChannel third(Folder);
    EXPECT_FALSE(third.IsListening("TFormTest")); // a dead side's socket file counts as nobody
    EXPECT_FALSE(third.IsListening("TFormNobody"));
    EXPECT_TRUE(third.Listen("TFormTest", [](const std::uint8_t*, std::size_t) { return std::intptr_t(3); }));

    // A regular file of that name is not ours to delete.
    std::ofstream(Folder + "/TFormOther") << "data";
    EXPECT_FALSE(
        third.Listen("TFormOther", [](const std::uint8_t*, std::size_t) { return std::intptr_t(3); }));
    EXPECT_TRUE(fs::exists(Folder + "/TFormOther"));
}

TEST_F(LinuxAgentChannelTest, BadSendersAreDroppedWithinBounds) {
    TLinuxAgentChannel receiver(Folder);
    receiver.ReceiveTimeoutMs = 100;
    int calls = 0;
    ASSERT_TRUE(receiver.Listen("TFormTest", [&](const std::uint8_t*, std::size_t) {
        ++calls;
        return std::intptr_t(99);
    }));
    std::thread server = ServeOn(receiver);

    struct TCase {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    const TCase cases[] = {
        {"size far beyond the limit", {0, 0, 0, 0, 0xa0, 0x86, 0x01, 0x00}},
        {"non-zero data identifier", {1, 0, 0, 0, 1, 0, 0, 0, 0x41}},
        {"short header", {0, 0}},
        {"data shorter than announced", {0, 0, 0, 0, 100, 0, 0, 0, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        const auto started = std::chrono::steady_clock::now();
        EXPECT_TRUE(RawExchange("TFormTest", c.bytes, true).empty()) << c.what;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3)) << c.what;
    }
    EXPECT_EQ(calls, 0);

    TLinuxAgentChannel sender(Folder);
    const std::vector<std::uint8_t> huge(TLinuxAgentChannel::kMaxRecordBytes + 1, 0);
    EXPECT_EQ(sender.SendRecord("TFormTest", huge.data(), huge.size()), 0);
    EXPECT_EQ(calls, 0);
    Stop = true;
    server.join();
}

TEST_F(LinuxAgentChannelTest, SenderStillReceivesWhileWaitingForItsAnswer) {
    // The main side asks the agent; the agent, before answering, sends a reply back to the main side, which
    // is itself waiting. Both must complete.
    TLinuxAgentChannel main(Folder), agent(Folder);
    int mainGot = 0;
    ASSERT_TRUE(main.Listen("TFormMain", [&](const std::uint8_t*, std::size_t) {
        ++mainGot;
        return std::intptr_t(0);
    }));
    ASSERT_TRUE(agent.Listen("TFormAgent", [&](const std::uint8_t*, std::size_t) {
        const std::uint8_t reply = 2;
        EXPECT_EQ(agent.SendRecord("TFormMain", &reply, 1), 0);
        return std::intptr_t(99);
    }));
    std::thread server = ServeOn(agent);
    const std::uint8_t request = 1;
    EXPECT_EQ(main.SendRecord("TFormAgent", &request, 1), 99);
    EXPECT_EQ(mainGot, 1);
    Stop = true;
    server.join();
}

TEST_F(LinuxAgentChannelTest, StartsProgramsAndReportsMissingOnes) {
    const std::string script = Folder + "/agent.sh";
    const std::string marker = Folder + "/started";
    std::ofstream(script) << "#!/bin/sh\ntouch '" << marker << "'\n";
    fs::permissions(script, fs::perms::owner_all);

    TLinuxAgentChannel channel(Folder);
    EXPECT_TRUE(channel.StartProgram(script));
    for (int i = 0; i < 200 && !fs::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(fs::exists(marker));
    EXPECT_FALSE(channel.StartProgram(Folder + "/missing"));
}

TEST_F(LinuxAgentChannelTest, RuntimeFolderIsTheUsersElseAPrivateOne) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved ? saved : "";
    setenv("XDG_RUNTIME_DIR", "/nonexistent-runtime-folder", 1);
    const std::string fallback = platform::AgentRuntimeFolder();
    EXPECT_EQ(fallback, "/tmp/cantrel-" + std::to_string(getuid()));
    struct stat st {};
    ASSERT_EQ(stat(fallback.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
    setenv("XDG_RUNTIME_DIR", Folder.c_str(), 1);
    EXPECT_EQ(platform::AgentRuntimeFolder(), Folder);
    if (saved)
        setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
}

} // namespace
