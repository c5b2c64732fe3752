#include "platform/e2e/MpvRig.h"

#include "platform/MediaSession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// Where Debian and others put the mpv-mpris plugin; CANTREL_MPV_MPRIS names another.
std::string MprisPlugin() {
    if (const char* path = std::getenv("CANTREL_MPV_MPRIS"); path && *path)
        return path;
    for (const char* path :
         {"/usr/lib/mpv-mpris/mpris.so", "/etc/mpv/scripts/mpris.so",
          "/usr/lib/x86_64-linux-gnu/mpv/scripts/mpris.so", "/usr/share/mpv/scripts/mpris.so"}) {
        if (access(path, R_OK) == 0)
            return path;
    }
    return {};
}

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

// Starts a program with the environment plus the bus address, stdin from /dev/null, stdout to stdoutFd
// (or the log) and stderr to the log. The child is killed when its parent dies.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& busAddress, int stdoutFd,
            const std::string& logFile) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        if (std::strncmp(*e, "DBUS_SESSION_BUS_ADDRESS=", 25) != 0)
            env.emplace_back(*e);
    }
    if (!busAddress.empty())
        env.push_back("DBUS_SESSION_BUS_ADDRESS=" + busAddress);
    std::vector<char*> args, envp;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    const pid_t parent = getpid();

    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127);
    const int null = open("/dev/null", O_RDWR);
    const int log = logFile.empty() ? null : open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    dup2(null, 0);
    dup2(stdoutFd >= 0 ? stdoutFd : log, 1);
    dup2(log >= 0 ? log : null, 2);
    execvpe(args[0], args.data(), envp.data());
    _exit(127);
}

// Waits up to timeoutMs for the child to end; true when it has ended (and is reaped).
bool WaitFor(pid_t pid, int timeoutMs, int* status = nullptr) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int st = 0;
        const pid_t r = waitpid(pid, &st, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD)) {
            if (status)
                *status = st;
            return true;
        }
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Ends a child: the signal, a grace period, then SIGKILL.
void Stop(int& pid, int signal, int graceMs) {
    if (pid <= 0)
        return;
    kill(pid, signal);
    if (!WaitFor(pid, graceMs)) {
        kill(pid, SIGKILL);
        WaitFor(pid, 5000);
    }
    pid = -1;
}

int Run(const std::vector<std::string>& argv, const std::string& logFile, int timeoutMs) {
    const pid_t pid = Spawn(argv, {}, -1, logFile);
    if (pid < 0)
        return -1;
    int status = 0;
    if (!WaitFor(pid, timeoutMs, &status)) {
        kill(pid, SIGKILL);
        WaitFor(pid, 5000);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

std::string TMpvRig::Missing() {
    std::string missing;
    for (const char* program : {"dbus-daemon", "mpv", "sox"}) {
        if (!OnPath(program))
            missing += std::string(missing.empty() ? "" : ", ") + program;
    }
    if (MprisPlugin().empty())
        missing += std::string(missing.empty() ? "" : ", ") + "the mpv-mpris plugin";
    return missing;
}

std::string TMpvRig::BusMissing() {
    return OnPath("dbus-daemon") ? std::string() : std::string("dbus-daemon");
}

TMpvRig::TMpvRig() {
    char folder[] = "/tmp/cantrel-mpv-XXXXXX";
    if (mkdtemp(folder))
        Folder_ = folder;
}

TMpvRig::~TMpvRig() {
    StopMpv();
    Stop(BusPid_, SIGTERM, 2000);
    if (!Folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(Folder_, ignored);
    }
}

bool TMpvRig::StartBus() {
    if (Folder_.empty() || BusPid_ > 0)
        return false;
    // A bus of our own that listens in our folder and starts no services.
    const std::string config = Folder_ + "/bus.conf";
    std::ofstream(config)
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n  <type>session</type>\n  <listen>unix:dir="
        << Folder_
        << "</listen>\n  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n    <allow own=\"*\"/>\n  </policy>\n</busconfig>\n";
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    BusPid_ = Spawn({"dbus-daemon", "--config-file=" + config, "--nofork", "--print-address=1"}, {}, fds[1],
                    Folder_ + "/bus.log");
    close(fds[1]);
    std::string address;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (address.find('\n') == std::string::npos && Clock::now() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        char buffer[512];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        address.append(buffer, std::size_t(n));
    }
    close(fds[0]);
    const auto end = address.find('\n');
    if (end == std::string::npos) {
        Stop(BusPid_, SIGKILL, 0);
        return false;
    }
    BusAddress_ = address.substr(0, end);
    return true;
}

void TMpvRig::StopBus() {
    Stop(BusPid_, SIGTERM, 2000);
}

std::string TMpvRig::MakeSong(const std::string& fileName, int seconds, const std::string& artist,
                              const std::string& title, int frequencyHz) {
    const std::string path = Folder_ + "/" + fileName;
    const int result = Run({"sox", "-n", "-r", "44100", "-c", "2", "--comment", "ARTIST=" + artist,
                            "--add-comment", "TITLE=" + title, path, "synth", std::to_string(seconds), "sine",
                            std::to_string(frequencyHz), "vol", "0.2"},
                           Folder_ + "/sox.log", 60000);
    return result == 0 ? path : std::string();
}

bool TMpvRig::StartMpv(const std::vector<std::string>& files,
                       const std::vector<std::string>& extraArguments) {
    if (BusAddress_.empty() || MpvPid_ > 0)
        return false;
    std::vector<std::string> argv = {"mpv",
                                     "--no-config",
                                     "--no-terminal",
                                     "--ao=null",
                                     "--vo=null",
                                     "--idle=no",
                                     "--script=" + MprisPlugin(),
                                     "--input-ipc-server=" + Folder_ + "/mpv.sock"};
    argv.insert(argv.end(), extraArguments.begin(), extraArguments.end());
    argv.push_back("--");
    argv.insert(argv.end(), files.begin(), files.end());
    MpvPid_ = Spawn(argv, BusAddress_, -1, Folder_ + "/mpv.log");
    if (MpvPid_ < 0)
        return false;

    const auto deadline = Clock::now() + std::chrono::seconds(15);
    while (!ConnectIpc()) {
        if (Clock::now() > deadline || !MpvRunning())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    double position = 0;
    while (!MpvNumber("time-pos", position)) {
        if (Clock::now() > deadline || !MpvRunning())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const auto media = CreateMediaSession(BusAddress_, 1000);
    while (media->ListPlayers().empty()) {
        if (Clock::now() > deadline || !MpvRunning())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool TMpvRig::MpvRunning() {
    if (MpvPid_ <= 0)
        return false;
    if (WaitFor(MpvPid_, 0)) {
        MpvPid_ = -1;
        return false;
    }
    return true;
}

void TMpvRig::StopMpv() {
    if (MpvPid_ > 0) {
        kill(MpvPid_, SIGCONT); // in case a test left it stopped
        if (IpcSocket_ >= 0)
            MpvCommand("[\"quit\"]");
        if (!WaitFor(MpvPid_, 3000))
            Stop(MpvPid_, SIGKILL, 0);
        MpvPid_ = -1;
    }
    if (IpcSocket_ >= 0) {
        close(IpcSocket_);
        IpcSocket_ = -1;
    }
    IpcBuffer_.clear();
    if (!Folder_.empty())
        unlink((Folder_ + "/mpv.sock").c_str());
}

void TMpvRig::SignalMpv(int signal) {
    if (MpvPid_ > 0)
        kill(MpvPid_, signal);
}

bool TMpvRig::ConnectIpc() {
    if (IpcSocket_ >= 0)
        return true;
    const std::string path = Folder_ + "/mpv.sock";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0)
        return false;
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(s);
        return false;
    }
    IpcSocket_ = s;
    return true;
}

bool TMpvRig::ReadLine(std::string& line, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto end = IpcBuffer_.find('\n');
        if (end != std::string::npos) {
            line = IpcBuffer_.substr(0, end);
            IpcBuffer_.erase(0, end + 1);
            return true;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd p{IpcSocket_, POLLIN, 0};
        if (poll(&p, 1, int(left)) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = recv(IpcSocket_, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        IpcBuffer_.append(buffer, std::size_t(n));
    }
}

std::string TMpvRig::MpvCommand(const std::string& commandArray) {
    if (IpcSocket_ < 0)
        return {};
    const std::int64_t id = NextRequest_++;
    const std::string request =
        "{\"command\":" + commandArray + ",\"request_id\":" + std::to_string(id) + "}\n";
    if (send(IpcSocket_, request.data(), request.size(), MSG_NOSIGNAL) != ssize_t(request.size()))
        return {};
    // Events arrive on the same socket; the reply is the line that carries our request id.
    const std::string tag = "\"request_id\":" + std::to_string(id);
    std::string line;
    while (ReadLine(line, 1000)) {
        const auto at = line.find(tag);
        if (at != std::string::npos &&
            (at + tag.size() >= line.size() || !std::isdigit((unsigned char)line[at + tag.size()])))
            return line;
    }
    return {};
}

bool TMpvRig::MpvNumber(const std::string& property, double& value) {
    const std::string reply = MpvCommand("[\"get_property\",\"" + property + "\"]");
    const auto data = reply.find("\"data\":");
    if (reply.find("\"error\":\"success\"") == std::string::npos || data == std::string::npos)
        return false;
    const char* start = reply.c_str() + data + 7;
    char* end = nullptr;
    value = std::strtod(start, &end);
    return end != start;
}

double TMpvRig::MpvPositionMs() {
    double seconds = 0;
    return MpvNumber("time-pos", seconds) ? seconds * 1000.0 : -1;
}

} // namespace platform
