#include "platform/SingleInstance.h"
#include "platform/linux/LinuxAgentChannel.h"
#include "platform/linux/UnixSocketAddress.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace platform {
namespace {

const char kShow[] = "show";

class TLinuxInstanceLock : public IInstanceLock {
public:
    TLinuxInstanceLock(const std::string& programFolder, std::string runtimeFolder) {
        const std::string folder = runtimeFolder.empty() ? AgentRuntimeFolder() : std::move(runtimeFolder);
        if (folder.empty()) {
            First_ = true; // nowhere to keep a lock: every start runs
            return;
        }
        const std::string base = folder + "/cantrel-" + InstanceKey(programFolder);
        SocketPath_ = base + ".show";
        LockFd_ = ::open((base + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (LockFd_ < 0) {
            First_ = true;
            return;
        }
        if (::flock(LockFd_, LOCK_EX | LOCK_NB) != 0) {
            ::close(LockFd_);
            LockFd_ = -1;
            return; // another start holds it
        }
        First_ = true;
        Listen();
    }

    ~TLinuxInstanceLock() override {
        if (ListenFd_ >= 0) {
            ::close(ListenFd_);
            ::unlink(SocketPath_.c_str());
        }
        if (LockFd_ >= 0)
            ::close(LockFd_); // drops the lock
    }

    bool IsFirst() const override { return First_; }
    void SetShowRequestHandler(std::function<void()> handler) override { Handler_ = std::move(handler); }
    int EventHandle() const override { return ListenFd_; }

    void ProcessPending() override {
        while (ListenFd_ >= 0) {
            const int connection = ::accept4(ListenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (connection < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            // Only our own user's processes may ask.
            ucred peer{};
            socklen_t length = sizeof peer;
            char buffer[sizeof kShow] = {};
            const bool ours = ::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
                              peer.uid == ::getuid();
            // The asker writes before it closes; a short wait bounds a silent one.
            ssize_t got = -1;
            for (int i = 0; ours && i < 50; ++i) {
                got = ::recv(connection, buffer, sizeof buffer - 1, 0);
                if (got >= 0 || (errno != EAGAIN && errno != EINTR))
                    break;
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            ::close(connection);
            if (ours && got == ssize_t(sizeof kShow - 1) &&
                std::memcmp(buffer, kShow, sizeof kShow - 1) == 0 && Handler_)
                Handler_();
        }
    }

    bool AskFirstToShow() override {
        if (First_)
            return false;
        sockaddr_un address;
        if (!FillUnixAddress(SocketPath_, address))
            return false;
        // The first start may hold the lock but not listen yet: a few tries over two seconds.
        for (int attempt = 0; attempt < 40; ++attempt) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (fd < 0)
                return false;
            if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
                const bool sent =
                    ::send(fd, kShow, sizeof kShow - 1, MSG_NOSIGNAL) == ssize_t(sizeof kShow - 1);
                ::close(fd);
                return sent;
            }
            ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

private:
    void Listen() {
        sockaddr_un address;
        if (!FillUnixAddress(SocketPath_, address))
            return;
        // The lock is ours, so a socket file there is a leftover of a start that ended.
        struct stat st {};
        if (::lstat(SocketPath_.c_str(), &st) == 0) {
            if (!S_ISSOCK(st.st_mode))
                return;
            ::unlink(SocketPath_.c_str());
        }
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0) {
            ::close(fd);
            return;
        }
        ::chmod(SocketPath_.c_str(), 0600);
        ListenFd_ = fd;
    }

    bool First_ = false;
    int LockFd_ = -1;
    int ListenFd_ = -1;
    std::string SocketPath_;
    std::function<void()> Handler_;
};

} // namespace

std::unique_ptr<IInstanceLock> CreateInstanceLock(const std::string& programFolder,
                                                  const std::string& runtimeFolder) {
    return std::make_unique<TLinuxInstanceLock>(programFolder, runtimeFolder);
}

} // namespace platform
