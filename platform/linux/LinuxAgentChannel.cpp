// Linux agent transport over local sockets (see LinuxAgentChannel.h for the wire format).
#include "platform/linux/LinuxAgentChannel.h"
#include "platform/linux/UnixSocketAddress.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace platform {

const char* const kMainWindowClass = "TFormCantrel";
const char* const kAgentWindowClass = "TFormCantrelAgent";

namespace {

constexpr std::size_t kHeaderBytes = 8;
constexpr std::size_t kAnswerBytes = 8;

std::int64_t NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

std::uint32_t GetU32(const std::uint8_t* p) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

// Waits until fd is ready for the events or the deadline passes.
bool WaitFor(int fd, short events, std::int64_t deadline) {
    for (;;) {
        const std::int64_t left = deadline - NowMs();
        if (left <= 0)
            return false;
        pollfd p{fd, events, 0};
        const int r = poll(&p, 1, int(left));
        if (r > 0)
            return true;
        if (r < 0 && errno != EINTR)
            return false;
    }
}

// Reads exactly size bytes from a non-blocking socket before the deadline.
bool ReadAll(int fd, std::uint8_t* buffer, std::size_t size, std::int64_t deadline) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = recv(fd, buffer + got, size - got, 0);
        if (n > 0) {
            got += std::size_t(n);
        } else if (n == 0) {
            return false;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
            if (!WaitFor(fd, POLLIN, deadline))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

bool WriteAll(int fd, const std::uint8_t* buffer, std::size_t size, std::int64_t deadline) {
    std::size_t sent = 0;
    while (sent < size) {
        const ssize_t n = send(fd, buffer + sent, size - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += std::size_t(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            if (!WaitFor(fd, POLLOUT, deadline))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

// A connected non-blocking socket to the path, or -1.
int ConnectTo(const std::string& path) {
    sockaddr_un address;
    if (!FillUnixAddress(path, address))
        return -1;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

// A folder only this user can enter: it must be a real directory (not a link), owned by us, closed to others.
bool IsPrivateFolder(const std::string& folder) {
    struct stat st {};
    return lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
           (st.st_mode & 077) == 0;
}

} // namespace

std::string AgentRuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        struct stat st {};
        if (stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid())
            return runtime;
    }
    const std::string folder = "/tmp/cantrel-" + std::to_string(getuid());
    mkdir(folder.c_str(), 0700);
    return IsPrivateFolder(folder) ? folder : std::string();
}

TLinuxAgentChannel::TLinuxAgentChannel(std::string folder)
    : Folder_(folder.empty() ? AgentRuntimeFolder() : std::move(folder)) {}

TLinuxAgentChannel::~TLinuxAgentChannel() {
    StopListening();
}

std::string TLinuxAgentChannel::SocketPath(const std::string& className) const {
    // A class name is one path component; anything else is no window of ours.
    if (Folder_.empty() || className.empty() || className.find('/') != std::string::npos ||
        className == "." || className == "..")
        return {};
    return Folder_ + "/" + className;
}

bool TLinuxAgentChannel::Listen(const std::string& ownClass, TReceiver receiver) {
    StopListening();
    const std::string path = SocketPath(ownClass);
    sockaddr_un address;
    if (!FillUnixAddress(path, address))
        return false;

    // A socket file left by a process that is gone is replaced; one that still answers is not.
    const int probe = ConnectTo(path);
    if (probe >= 0) {
        close(probe);
        return false;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode))
            return false;
        unlink(path.c_str());
    }

    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0) {
        close(fd);
        return false;
    }
    chmod(path.c_str(), 0600);
    ListenFd_ = fd;
    ListenPath_ = path;
    Receiver_ = std::move(receiver);
    return true;
}

void TLinuxAgentChannel::StopListening() {
    if (ListenFd_ >= 0) {
        close(ListenFd_);
        ListenFd_ = -1;
        unlink(ListenPath_.c_str());
        ListenPath_.clear();
    }
    Receiver_ = nullptr;
}

void TLinuxAgentChannel::ProcessPending() {
    while (ListenFd_ >= 0) {
        const int connection = accept4(ListenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0) {
            if (errno == EINTR)
                continue;
            return; // EAGAIN: nothing more waits
        }
        Serve(connection);
        close(connection);
    }
}

void TLinuxAgentChannel::WaitForRecords(int timeoutMs) {
    if (ListenFd_ < 0) {
        const timespec pause{timeoutMs / 1000, long(timeoutMs % 1000) * 1000000L};
        nanosleep(&pause, nullptr);
        return;
    }
    pollfd p{ListenFd_, POLLIN, 0};
    poll(&p, 1, timeoutMs);
}

bool TLinuxAgentChannel::IsListening(const std::string& className) {
    // A socket file left by a process that died refuses the connection; a live side accepts it, reads no
    // header and closes it again without an answer.
    const int fd = ConnectTo(SocketPath(className));
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

void TLinuxAgentChannel::Serve(int connection) {
    ucred peer{};
    socklen_t peerSize = sizeof peer;
    if (getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &peerSize) != 0 || peer.uid != getuid())
        return;

    const std::int64_t deadline = NowMs() + ReceiveTimeoutMs;
    std::uint8_t header[kHeaderBytes];
    if (!ReadAll(connection, header, sizeof header, deadline))
        return;
    const std::uint32_t dataId = GetU32(header);
    const std::uint32_t size = GetU32(header + 4);
    if (dataId != 0 || size > kMaxRecordBytes)
        return;
    std::uint8_t data[kMaxRecordBytes];
    if (!ReadAll(connection, data, size, deadline))
        return;

    std::intptr_t answer = 0;
    if (Receiver_) {
        // The receiver may itself send records, which can bring us back here; keep a copy alive meanwhile.
        TReceiver receiver = Receiver_;
        answer = receiver(data, size);
    }
    std::uint8_t reply[kAnswerBytes];
    const std::uint64_t value = std::uint64_t(std::int64_t(answer));
    PutU32(reply, std::uint32_t(value));
    PutU32(reply + 4, std::uint32_t(value >> 32));
    WriteAll(connection, reply, sizeof reply, NowMs() + ReceiveTimeoutMs);
}

std::intptr_t TLinuxAgentChannel::SendRecord(const std::string& toClass, const void* data, std::size_t size) {
    if (size > kMaxRecordBytes || (size > 0 && data == nullptr))
        return 0;
    const int fd = ConnectTo(SocketPath(toClass));
    if (fd < 0)
        return 0;

    std::uint8_t message[kHeaderBytes + kMaxRecordBytes];
    PutU32(message, 0);
    PutU32(message + 4, std::uint32_t(size));
    if (size > 0)
        std::memcpy(message + kHeaderBytes, data, size);

    const std::int64_t deadline = NowMs() + AnswerTimeoutMs;
    std::intptr_t answer = 0;
    if (WriteAll(fd, message, kHeaderBytes + size, deadline)) {
        // Wait for the answer; records sent to us meanwhile are handled, so the two sides never deadlock.
        std::uint8_t reply[kAnswerBytes];
        std::size_t got = 0;
        for (;;) {
            const std::int64_t left = deadline - NowMs();
            if (left <= 0)
                break;
            pollfd fds[2] = {{fd, POLLIN, 0}, {ListenFd_, POLLIN, 0}};
            const int r = poll(fds, ListenFd_ >= 0 ? 2 : 1, int(left));
            if (r < 0 && errno != EINTR)
                break;
            if (r > 0 && ListenFd_ >= 0 && (fds[1].revents & POLLIN))
                ProcessPending();
            if (r > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
                const ssize_t n = recv(fd, reply + got, sizeof reply - got, 0);
                if (n <= 0 && !(n < 0 && (errno == EAGAIN || errno == EINTR)))
                    break;
                if (n > 0)
                    got += std::size_t(n);
                if (got == sizeof reply) {
                    const std::uint64_t value = GetU32(reply) | (std::uint64_t(GetU32(reply + 4)) << 32);
                    answer = std::intptr_t(std::int64_t(value));
                    break;
                }
            }
        }
    }
    close(fd);
    return answer;
}

bool TLinuxAgentChannel::StartProgram(const std::string& path) {
    // Double fork so the agent is adopted by init and never left a zombie; a pipe closed on exec tells
    // whether the program really started.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return false;
    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
            const int error = errno;
            ssize_t ignored = write(report[1], &error, sizeof error);
            (void)ignored;
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t n;
    do {
        n = read(report[0], &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

std::unique_ptr<IAgentChannel> CreateAgentChannel() {
    return std::make_unique<TLinuxAgentChannel>();
}

std::string AgentProgramName() {
    return "CantrelAgent";
}

} // namespace platform
