// INI file bytes through the profile reader: the file reads back byte for byte, every lookup is bounded,
// a written key is found again, and the search-site list merges from it.
#include "config/TFilterList.h"
#include "toolkit/TProfileFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider fuzz(data, size);
    const std::string section = fuzz.ConsumeRandomLengthString(16);
    const std::string key = fuzz.ConsumeRandomLengthString(16);
    const std::string value = fuzz.ConsumeRandomLengthString(32);
    const std::string bytes = fuzz.ConsumeRemainingBytesAsString();

    toolkit::TProfileFile profile(bytes);
    if (!profile.IsLocked() && profile.Bytes() != bytes)
        std::abort();
    for (const std::string& name : profile.SectionNames()) {
        profile.Find(name, key);
        profile.ReadString(name, "Url", "");
        profile.ReadProfileInt(name, key, 7);
        profile.ReadInteger(name, key, 7);
        profile.ReadBool(name, key, false);
        for (const std::string& keyName : profile.KeyNames(name))
            if (!profile.Find(name, keyName))
                std::abort();
    }
    config::TFilterList sites;
    sites.MergeProfile(profile);

    toolkit::TProfileFile written = profile;
    if (written.WriteString(section, key, value)) {
        const toolkit::TProfileFile reread(written.Bytes());
        if (!reread.Find(section, key))
            std::abort();
    } else if (written.Bytes() != profile.Bytes()) {
        std::abort();
    }
    return 0;
}
