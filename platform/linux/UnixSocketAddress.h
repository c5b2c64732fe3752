#pragma once
// The address of a local (Unix domain) socket named by a path, shared by the agent channel and the
// single-instance lock.

#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>

namespace platform {

// Fills address for path; false when the path is empty or too long for a socket address.
inline bool FillUnixAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

} // namespace platform
