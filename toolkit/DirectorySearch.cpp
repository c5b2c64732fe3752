#include "toolkit/DirectorySearch.h"

#include "platform/Platform.h"
#include "toolkit/CodePage.h"
#include "toolkit/FileBytes.h"
#include "toolkit/TextCompare.h"
#include "toolkit/Wildcard.h"

#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace toolkit {
namespace {

// Deeper folders than this are not entered: a guard against pathological trees, far beyond any real one.
constexpr int kMaxDepth = 256;

// What a walk does with each file, given its path and its case-folded name: return false to stop the
// whole walk.
using TFileVisitor = std::function<bool(const fs::path& path, const std::u32string& foldedName)>;

// The path as the program passes it to the file functions; empty when it cannot be expressed.
std::string PathText(const fs::path& path) {
    try {
        return PathString(path);
    } catch (...) {
        return {};
    }
}

class TWalk {
public:
    TWalk(bool recursive, const std::function<void()>& onProgress, const TFileVisitor& visit)
        : Recursive_(recursive), OnProgress_(onProgress), Visit_(visit) {}

    void Run(const std::string& root) {
        if (root.empty())
            return;
        std::error_code ec;
        const fs::path rootPath = FilePath(root);
        const fs::path canonical = fs::canonical(rootPath, ec);
        if (!ec)
            Visited_.insert(canonical);
        Folder(rootPath, 0);
    }

private:
    // Returns false when the visitor stopped the walk.
    bool Folder(const fs::path& folder, int depth) {
        std::vector<fs::path> subfolders;
        std::error_code ec;
        fs::directory_iterator it(folder, ec);
        if (ec)
            return true;
        for (; it != fs::directory_iterator(); it.increment(ec)) {
            if (ec)
                break;
            if (!Entry(*it, subfolders))
                return false;
        }
        if (ec) // the listing broke off: keep what was listed, go on with the subfolders seen so far
            ec.clear();
        if (depth + 1 > kMaxDepth)
            return true;
        for (const fs::path& sub : subfolders) {
            const fs::path canonical = fs::canonical(sub, ec);
            if (ec || !Visited_.insert(canonical).second)
                continue;
            if (!Folder(sub, depth + 1))
                return false;
        }
        return true;
    }

    bool Entry(const fs::directory_entry& entry, std::vector<fs::path>& subfolders) {
        std::error_code ec;
        const bool isFolder = entry.is_directory(ec); // follows links; a broken link counts as a file
        bool goOn = true;
        if (isFolder && !ec) {
            if (Recursive_)
                subfolders.push_back(entry.path());
        } else {
            const std::string name = PathText(entry.path().filename());
            // Files that are both hidden and system belong to the operating system, not to the user.
            if (!name.empty() && !platform::IsHiddenSystemFile(PathText(entry.path())))
                goOn = Visit_(entry.path(), FoldedFileName(name));
        }
        if (OnProgress_)
            OnProgress_();
        return goOn;
    }

    bool Recursive_;
    const std::function<void()>& OnProgress_;
    const TFileVisitor& Visit_;
    std::set<fs::path> Visited_;
};

} // namespace

void TDirectorySearch::Search() {
    Found.clear();
    const TWildcardPattern pattern(Pattern, ActiveCodePage());
    const TFileVisitor visit = [&](const fs::path& path, const std::u32string& name) {
        if (pattern.Matches(name)) {
            std::string text = PathText(path);
            if (!text.empty())
                Found.push_back(std::move(text));
        }
        return true;
    };
    TWalk(Recursive, OnProgress, visit).Run(Root);
}

std::string FindFirstOfPatterns(const std::string& root, bool recursive,
                                const std::vector<std::string>& patterns,
                                const std::function<void()>& onProgress) {
    std::vector<TWildcardPattern> prepared;
    for (const std::string& p : patterns)
        prepared.emplace_back(p, ActiveCodePage());
    std::vector<std::string> first(patterns.size());
    const TFileVisitor visit = [&](const fs::path& path, const std::u32string& name) {
        for (std::size_t i = 0; i < prepared.size(); ++i) {
            if (first[i].empty() && prepared[i].Matches(name))
                first[i] = PathText(path);
        }
        return prepared.empty() || first[0].empty();
    };
    TWalk(recursive, onProgress, visit).Run(root);
    for (const std::string& path : first) {
        if (!path.empty())
            return path;
    }
    return {};
}

} // namespace toolkit
