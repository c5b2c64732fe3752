#include "platform/win32/tests/WaitUntil.h"

#include <chrono>
#include <thread>

namespace testing_support {

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs, int pollMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
    }
    return condition();
}

} // namespace testing_support
