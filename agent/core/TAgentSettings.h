#pragma once
// What a search reads of the settings: the same files the main window reads, through the same settings
// store, so the agent finds the same lyrics folder, character set and site list. The folder of the agent is
// the program folder's "Cantrel" folder, so the program folder is the one above it.
//
// Settings.ini's section [Agent] holds the agent's own values, none of which the main window uses:
//   Timeout     seconds a request may stay silent (default 15, at least 1)
//   Total       seconds one request may take (default 30, at least 1)
//   SearchTime  seconds after which a search asks no further source (default 60, at least 1)

#include "agent/core/TSearchRun.h"

#include <string>

namespace agent {

// programFolder: the main program's folder; userDataFolder: the user's data folder (may be empty).
TSearchConfig LoadSearchConfig(const std::string& programFolder, const std::string& userDataFolder,
                               char separator);

// The program folder for an agent in agentFolder (with its trailing separator): the folder above it.
std::string ProgramFolderOfAgent(const std::string& agentFolder, char separator);

} // namespace agent
