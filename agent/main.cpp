// CantrelAgent, the search agent: started by the main window from its "Cantrel" folder, it finds lyrics
// in the open lyric database and on the sites of the search-site list and stores them in the lyrics folder.
// It takes no arguments and ends on "Close", when the main window is gone, or at once when another agent
// already runs.
#include "agent/core/TAgentService.h"
#include "agent/core/TAgentSettings.h"
#include "agent/core/THttpFetcher.h"
#include "platform/AgentChannel.h"
#include "platform/Platform.h"

int main() {
    const char separator = platform::PathSeparator();
    const std::string programFolder = agent::ProgramFolderOfAgent(platform::ProgramFolder(), separator);
    const std::string userDataFolder = platform::UserDataFolder();

    auto channel = platform::CreateAgentChannel();
    agent::TAgentService service(
        *channel, [&] { return agent::LoadSearchConfig(programFolder, userDataFolder, separator); },
        [](const agent::TSearchConfig& config) {
            return std::make_shared<agent::THttpFetcher>(config.Limits);
        });
    if (!service.Listen())
        return 0; // another agent serves the main window
    return service.Run();
}
