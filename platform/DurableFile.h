#pragma once
// Writing a file so that it survives a crash or a power cut: its bytes reach the disk before it takes the
// place of an older file, and the rename itself is made lasting. Paths are program paths.

#include <string>

namespace platform {

// Writes bytes to path (a file there is overwritten) and flushes them to the disk before returning.
// privateFile: only the owner may read or write the file (mode 0600 on Linux; on Windows the file takes the
// rights of its folder, which in the user's own folders are private already). False with the system's reason
// in error (when given) on any failure; a partly written file may then be left at path.
bool WriteFileToDisk(const std::string& path, const std::string& bytes, bool privateFile, std::string* error);

// Renames from to to, replacing a file there in one step, and makes the rename lasting (the folder is flushed
// on Linux; the move is written through on Windows). False with the system's reason in error on failure.
bool MoveFileReplacing(const std::string& from, const std::string& to, std::string* error);

} // namespace platform
