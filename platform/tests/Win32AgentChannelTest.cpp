// The WM_COPYDATA transport: a record sent to the window of a class reaches its listener and the answer
// comes back; nobody listening answers 0; a second listener of a live class is refused.
#include "platform/AgentChannel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Win32AgentChannel, DeliversRecordAndReturnsAnswer) {
    auto receiver = platform::CreateAgentChannel();
    auto sender = platform::CreateAgentChannel();
    std::vector<std::uint8_t> got;
    ASSERT_TRUE(receiver->Listen("TFormCantrelTest", [&](const std::uint8_t* data, std::size_t size) {
        got.assign(data, data + size);
        return std::intptr_t(99);
    }));
    EXPECT_EQ(receiver->EventHandle(), -1);

    const std::vector<std::uint8_t> record(524, 0x33);
    EXPECT_EQ(sender->SendRecord("TFormCantrelTest", record.data(), record.size()), 99);
    EXPECT_EQ(got, record);

    auto second = platform::CreateAgentChannel();
    EXPECT_FALSE(second->Listen("TFormCantrelTest",
                                [](const std::uint8_t*, std::size_t) { return std::intptr_t(1); }));

    // The agent watches the main window this way.
    EXPECT_TRUE(sender->IsListening("TFormCantrelTest"));
    receiver->StopListening();
    EXPECT_FALSE(sender->IsListening("TFormCantrelTest"));
    EXPECT_EQ(sender->SendRecord("TFormCantrelTest", record.data(), record.size()), 0);
}

TEST(Win32AgentChannel, NobodyListeningAnswersZero) {
    auto sender = platform::CreateAgentChannel();
    const std::uint8_t byte = 1;
    EXPECT_EQ(sender->SendRecord("TFormNobodyHasThisClass", &byte, 1), 0);
    EXPECT_EQ(platform::AgentProgramName(), "CantrelAgent.exe");
}

} // namespace
