#pragma once
// One running program per program folder: the first start holds a lock for as long as it runs, and a later
// start asks it to bring its window to the front, then ends.
//
// Linux: an flock(2) on "cantrel-<key>.lock" in the user's runtime folder ($XDG_RUNTIME_DIR, else a private
// /tmp/cantrel-<uid>) decides who is first (the system drops the lock when the process ends, however it
// ends); the first listens on the local socket "cantrel-<key>.show" beside it, and a later start connects
// there and writes "show". Windows: a named mutex "Local\Cantrel-<key>" decides; the first owns a hidden
// window of the class "CantrelInstance-<key>", which a later start finds with FindWindow, allows to take the
// foreground and posts a message to. <key> is made from the program's folder, so copies of the program in
// different folders (a demo, a test) run side by side.
//
// Used from the thread that owns the program's windows.

#include <functional>
#include <memory>
#include <string>

namespace platform {

class IInstanceLock {
public:
    virtual ~IInstanceLock() = default;

    // True in the first start: it holds the lock until the object is destroyed.
    virtual bool IsFirst() const = 0;
    // In the first start: called whenever a later start asks for the window.
    virtual void SetShowRequestHandler(std::function<void()> handler) = 0;
    // A descriptor the event loop watches for readability and then calls ProcessPending; -1 where the
    // system's own message dispatch delivers the requests (Windows).
    virtual int EventHandle() const = 0;
    virtual void ProcessPending() = 0;
    // In a later start: asks the first to bring its window to the front, waiting a little for a first start
    // that has not set up yet. False when it cannot be reached.
    virtual bool AskFirstToShow() = 0;
};

// The lock of the program in that folder. runtimeFolder replaces the user's runtime folder on Linux (tests);
// empty for the real one.
std::unique_ptr<IInstanceLock> CreateInstanceLock(const std::string& programFolder,
                                                  const std::string& runtimeFolder = {});

// The key of a program folder: 16 hexadecimal digits.
std::string InstanceKey(const std::string& programFolder);

} // namespace platform
