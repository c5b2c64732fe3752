#pragma once
// Test helper: waits for something another process or thread does.

#include <functional>

namespace testing_support {

// Checks the condition every pollMs until it holds or timeoutMs have passed; true when it held. The
// condition is checked once more at the deadline, so a slow last step still counts.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs, int pollMs = 10);

} // namespace testing_support
