#include "platform/fake/FakeAgentChannel.h"

namespace platform {

TFakeAgentChannel::~TFakeAgentChannel() {
    StopListening();
}

bool TFakeAgentChannel::Listen(const std::string& ownClass, TReceiver receiver) {
    StopListening();
    if (ownClass.empty() || Hub_.Listeners_.count(ownClass))
        return false;
    Hub_.Listeners_[ownClass] = std::move(receiver);
    ClassName_ = ownClass;
    return true;
}

void TFakeAgentChannel::StopListening() {
    if (!ClassName_.empty()) {
        Hub_.Listeners_.erase(ClassName_);
        ClassName_.clear();
    }
}

std::intptr_t TFakeAgentChannel::SendRecord(const std::string& toClass, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::vector<std::uint8_t> copy(bytes, bytes + size);
    std::intptr_t answer = 0;
    auto it = Hub_.Listeners_.find(toClass);
    if (it != Hub_.Listeners_.end() && it->second) {
        IAgentChannel::TReceiver receiver = it->second; // the receiver may stop listening while it runs
        answer = receiver(copy.data(), copy.size());
    }
    Hub_.Sent.push_back({toClass, std::move(copy), answer});
    return answer;
}

bool TFakeAgentChannel::IsListening(const std::string& className) {
    return Hub_.Listeners_.count(className) != 0;
}

bool TFakeAgentChannel::StartProgram(const std::string& path) {
    Started.push_back(path);
    return StartSucceeds;
}

} // namespace platform
