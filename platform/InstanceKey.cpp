#include "platform/SingleInstance.h"

#include <cstdint>
#include <cstdio>

namespace platform {

std::string InstanceKey(const std::string& programFolder) {
    // FNV-1a, 64 bits: the same folder gives the same key in every start.
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : programFolder) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

} // namespace platform
