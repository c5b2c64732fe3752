// The fake search agent as a program, for tests that run the real transport between two processes.
//
//   fake_cantrel_agent [--lyrics-dir D] [--mode download|notfound|error|versevault|silent]
//                      [--log FILE] [--delay-ms N] [--sites URL,URL,...] [--max-seconds N]
//
// Without an option the environment variable CANTREL_FAKE_AGENT_<OPTION> (upper case, "-" as "_") is used,
// so the program can also be started with no arguments the way the main program starts its agent. The
// lyrics folder defaults to "lyrics" beside the program. Every request is appended to the log as one line:
// command, site, text, length and flag separated by tabs. The program ends on "Close" or after
// --max-seconds (default 300), so a test never leaves it running.
#include "lyrics/fake/FakeAgent.h"

#include "platform/AgentChannel.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <thread>

namespace {

std::string Option(const std::map<std::string, std::string>& args, const std::string& name,
                   const std::string& fallback) {
    auto it = args.find(name);
    if (it != args.end())
        return it->second;
    std::string env = "CANTREL_FAKE_AGENT_";
    for (char c : name)
        env += c == '-' ? '_' : char(std::toupper(static_cast<unsigned char>(c)));
    const char* value = std::getenv(env.c_str());
    return value && *value ? value : fallback;
}

} // namespace

int main(int argc, char* argv[]) {
    std::map<std::string, std::string> args;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string name = argv[i];
        if (name.rfind("--", 0) != 0) {
            std::cerr << "unexpected argument " << name << "\n";
            return 2;
        }
        args[name.substr(2)] = argv[i + 1];
    }

    using lyrics::TFakeAgent;
    const std::string mode = Option(args, "mode", "download");
    const std::map<std::string, TFakeAgent::TMode> modes = {{"download", TFakeAgent::TMode::Download},
                                                            {"notfound", TFakeAgent::TMode::NotFound},
                                                            {"error", TFakeAgent::TMode::ErrorConnecting},
                                                            {"versevault", TFakeAgent::TMode::Versevault},
                                                            {"silent", TFakeAgent::TMode::Silent}};
    if (!modes.count(mode)) {
        std::cerr << "unknown mode " << mode << "\n";
        return 2;
    }

    auto channel = platform::CreateAgentChannel();
    TFakeAgent agent(*channel, Option(args, "lyrics-dir", platform::ProgramFolder() + "lyrics"));
    agent.Mode = modes.at(mode);
    const std::string sites = Option(args, "sites", "");
    for (std::size_t start = 0; start < sites.size();) {
        const std::size_t comma = std::min(sites.find(',', start), sites.size());
        agent.Sites.push_back(sites.substr(start, comma - start));
        start = comma + 1;
    }
    const int delayMs = std::atoi(Option(args, "delay-ms", "0").c_str());
    const int maxSeconds = std::atoi(Option(args, "max-seconds", "300").c_str());
    const std::string logPath = Option(args, "log", "");

    if (!agent.Listen()) {
        std::cerr << "cannot listen as the agent\n";
        return 1;
    }

    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::seconds(maxSeconds);
    auto lastRequest = Clock::now();
    std::size_t logged = 0;
    while (!agent.Closed && Clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        channel->ProcessPending();
        if (agent.Requests.size() != logged) {
            lastRequest = Clock::now();
            if (!logPath.empty()) {
                std::ofstream log(logPath, std::ios::app);
                for (; logged < agent.Requests.size(); ++logged) {
                    const auto& r = agent.Requests[logged];
                    log << r.Command << '\t' << r.Site << '\t' << r.Text << '\t' << r.Length << '\t' << r.Flag
                        << '\n';
                }
            }
            logged = agent.Requests.size();
        }
        if (Clock::now() - lastRequest >= std::chrono::milliseconds(delayMs))
            agent.Pump();
    }
    return 0;
}
