#include "platform/e2e/FakeMprisPlayer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

bool WaitFor(pid_t pid, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD))
            return true;
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace

std::string TFakeMprisPlayer::Program() {
    if (const char* path = std::getenv("CANTREL_FAKE_MPRIS_PLAYER"); path && *path)
        return path;
    return CANTREL_FAKE_MPRIS_PLAYER;
}

TFakeMprisPlayer::TFakeMprisPlayer(const std::string& busAddress, TOptions options)
    : Options_(std::move(options)) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0)
        return;
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        return;
    }
    std::vector<std::string> argv = {Program(), "--name", Options_.name, "--identity", Options_.identity};
    if (!Options_.position)
        argv.push_back("--no-position");
    if (!Options_.sendsSignals)
        argv.push_back("--no-signals");
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "DBUS_SESSION_BUS_ADDRESS=", 25) != 0)
            env.emplace_back(*e);
    env.push_back("DBUS_SESSION_BUS_ADDRESS=" + busAddress);
    std::vector<char*> args, envp;
    for (auto& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const pid_t parent = getpid();

    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        dup2(in[0], 0);
        dup2(out[1], 1);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    In_ = in[1];
    Out_ = out[0];
    Pid_ = pid;
    if (pid < 0) {
        Pid_ = -1;
        return;
    }
    std::string line;
    if (!ReadLine(line, 5000) || line != "ready")
        Quit();
}

TFakeMprisPlayer::~TFakeMprisPlayer() {
    Quit();
}

bool TFakeMprisPlayer::Running() {
    if (Pid_ <= 0)
        return false;
    if (WaitFor(Pid_, 0)) {
        Pid_ = -1;
        return false;
    }
    return true;
}

void TFakeMprisPlayer::Quit() {
    if (Pid_ > 0) {
        kill(Pid_, SIGCONT); // in case a test left it stopped
        if (In_ >= 0)
            close(In_); // its input ends: it quits
        In_ = -1;
        if (!WaitFor(Pid_, 2000)) {
            kill(Pid_, SIGKILL);
            WaitFor(Pid_, 5000);
        }
        Pid_ = -1;
    }
    if (In_ >= 0)
        close(In_);
    if (Out_ >= 0)
        close(Out_);
    In_ = Out_ = -1;
}

void TFakeMprisPlayer::SignalProcess(int signal) {
    if (Pid_ > 0)
        kill(Pid_, signal);
}

bool TFakeMprisPlayer::ReadLine(std::string& line, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto end = Buffer_.find('\n');
        if (end != std::string::npos) {
            line = Buffer_.substr(0, end);
            Buffer_.erase(0, end + 1);
            return true;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || Out_ < 0)
            return false;
        pollfd p{Out_, POLLIN, 0};
        if (poll(&p, 1, int(left)) <= 0)
            continue;
        char buffer[1024];
        const ssize_t n = read(Out_, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        Buffer_.append(buffer, std::size_t(n));
    }
}

bool TFakeMprisPlayer::Ask(const std::string& line, std::string& answer) {
    if (In_ < 0)
        return false;
    const std::string text = line + "\n";
    if (write(In_, text.data(), text.size()) != ssize_t(text.size()))
        return false;
    return ReadLine(answer, 2000);
}

bool TFakeMprisPlayer::Status(const std::string& status) {
    std::string answer;
    return Ask("status\t" + status, answer) && answer == "ok";
}

bool TFakeMprisPlayer::Track(const std::string& trackId, const std::string& title,
                             const std::vector<std::string>& artists, const std::string& url,
                             std::int64_t lengthUs) {
    std::string joined;
    for (const auto& artist : artists)
        joined += (joined.empty() ? "" : ";") + artist;
    std::string answer;
    return Ask("track\t" + trackId + "\t" + title + "\t" + joined + "\t" + url + "\t" +
                   std::to_string(lengthUs),
               answer) &&
           answer == "ok";
}

bool TFakeMprisPlayer::Seek(std::int64_t positionUs) {
    std::string answer;
    return Ask("position\t" + std::to_string(positionUs), answer) && answer == "ok";
}

bool TFakeMprisPlayer::Rate(double rate) {
    char text[64];
    std::snprintf(text, sizeof text, "rate\t%.6f", rate);
    std::string answer;
    return Ask(text, answer) && answer == "ok";
}

bool TFakeMprisPlayer::Silent(bool silent) {
    std::string answer;
    return Ask(std::string("silent\t") + (silent ? "1" : "0"), answer) && answer == "ok";
}

bool TFakeMprisPlayer::Signals(bool on) {
    std::string answer;
    return Ask(std::string("signals\t") + (on ? "1" : "0"), answer) && answer == "ok";
}

std::int64_t TFakeMprisPlayer::PositionUs() {
    std::string answer;
    if (!Ask("get\tposition", answer) || answer.rfind("position\t", 0) != 0)
        return -1;
    return std::atoll(answer.c_str() + 9);
}

std::string TFakeMprisPlayer::Calls() {
    std::string answer;
    if (!Ask("get\tcalls", answer) || answer.rfind("calls\t", 0) != 0)
        return {};
    return answer.substr(6);
}

} // namespace platform
