#include "agent/core/TAgentSettings.h"

#include "config/TNullSettingsView.h"
#include "config/TSongList.h"
#include "config/USettings.h"
#include "toolkit/CodePage.h"
#include "toolkit/TProfileFile.h"

#include <algorithm>

namespace agent {

TSearchConfig LoadSearchConfig(const std::string& programFolder, const std::string& userDataFolder,
                               char separator) {
    config::TNullSettingsView view;
    config::TSongList cancelList, uploadList;
    config::TSettings settings(view, cancelList, uploadList, programFolder, userDataFolder, separator);
    settings.LoadSettings(); // also makes the character set's code page the active one

    TSearchConfig result;
    result.LyricsDir = settings.LyricsDir();
    result.Separator = separator;
    result.CodePage = toolkit::ActiveCodePage();
    result.LrclibUrl = settings.LrclibUrl();
    result.Sites = settings.Filters().Items();

    const toolkit::TProfileFile ini = toolkit::LoadProfileFile(settings.SettingsFileName());
    const auto seconds = [&](const char* key, int fallback) {
        return std::max(1, ini.ReadInteger("Agent", key, fallback));
    };
    result.Limits.TimeoutSeconds = seconds("Timeout", result.Limits.TimeoutSeconds);
    result.Limits.TotalSeconds = seconds("Total", result.Limits.TotalSeconds);
    result.SearchTime = std::chrono::seconds(seconds("SearchTime", 60));
    return result;
}

std::string ProgramFolderOfAgent(const std::string& agentFolder, char separator) {
    std::string folder = agentFolder;
    while (!folder.empty() && (folder.back() == separator || folder.back() == '/'))
        folder.pop_back();
    const std::size_t cut = folder.find_last_of(std::string(1, separator) + "/");
    return cut == std::string::npos ? std::string() : folder.substr(0, cut + 1);
}

} // namespace agent
