#pragma once
// The directory search component: finds files whose names match a wildcard pattern (see Wildcard.h) under a
// root folder. The root's own files come first, in the order the file system lists them; then each
// subfolder, in that order, is searched completely in the same way. "." and ".." are never entries,
// and files that are both hidden and system are passed over.
//
// A folder that cannot be listed is skipped (a missing root gives an empty result); a folder reached again
// through a symbolic link (a link loop) is not searched twice, so every walk ends. Patterns are text of the
// active code page; names are compared as the file system gives them (see FoldedFileName). Found paths
// are the file system's own, ready to open, never converted.

#include <functional>
#include <string>
#include <vector>

namespace toolkit {

class TDirectorySearch {
public:
    std::string Root;
    bool Recursive = true;          // also search the subfolders
    std::string Pattern;            // one file-name pattern
    std::vector<std::string> Found; // full paths, in the order found; replaced by each search
    // Called after each directory entry (file or folder), e.g. to let pending window events run.
    std::function<void()> OnProgress;

    void Search();
};

// One walk for several patterns in priority order. The result is the file that searching for each pattern
// in turn, one full search after the other, would have found first: the first match of the first pattern
// that matches anything; empty when none does. The walk stops as soon as the first pattern has matched.
std::string FindFirstOfPatterns(const std::string& root, bool recursive,
                                const std::vector<std::string>& patterns,
                                const std::function<void()>& onProgress);

} // namespace toolkit
