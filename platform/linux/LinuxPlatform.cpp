// Linux back end. The Windows players driven by window messages do not exist here, so the window system
// finds nothing and every message answers 0; the clock is the monotonic clock.
#include "platform/Platform.h"

#include <time.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace platform {
namespace {

class TLinuxWindows final : public IWindowSystem {
public:
    WindowHandle FindWindowOfClass(const std::string&) override { return kNoWindow; }
    bool IsWindowAlive(WindowHandle) override { return false; }
    std::string GetCaption(WindowHandle) override { return {}; }
    bool SetCaption(WindowHandle, const std::string&) override { return false; }
    std::intptr_t Send(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override { return 0; }
    bool Post(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override { return false; }
    void BringToTop(WindowHandle) override {}
    std::string ReadProcessFileName(WindowHandle, std::uintptr_t, std::size_t) override { return {}; }
    std::int32_t VirtualKeyOfChar(char) override { return -1; }
};

class TMonotonicClock final : public IClock {
public:
    std::uint32_t TickCount() override {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        const std::uint64_t ms = std::uint64_t(ts.tv_sec) * 1000u + std::uint64_t(ts.tv_nsec) / 1000000u;
        return static_cast<std::uint32_t>(ms);
    }
};

} // namespace

IWindowSystem& SystemWindows() {
    static TLinuxWindows windows;
    return windows;
}

IClock& SystemClock() {
    static TMonotonicClock clock;
    return clock;
}

std::string ProgramFolder() {
    char path[PATH_MAX + 1];
    const ssize_t n = readlink("/proc/self/exe", path, PATH_MAX);
    if (n <= 0)
        return "./";
    std::string exe(path, std::size_t(n));
    const auto slash = exe.rfind('/');
    return slash == std::string::npos ? std::string("./") : exe.substr(0, slash + 1);
}

std::string UserDataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg)
        return xdg;
    const char* home = std::getenv("HOME");
    if (home && *home)
        return std::string(home) + "/.local/share";
    return {};
}

char PathSeparator() {
    return '/';
}

std::string PathFromSystemFileName(const std::string& bytes) {
    return bytes;
}

void AttachParentConsole() {}

bool IsHiddenSystemFile(const std::string&) {
    return false;
}

} // namespace platform
