// Song list file bytes (the cancel and upload lists) through the list reader, under each code page: the
// list is sorted without repeats and holds no line break, and its file reads back to the same list.
#include "config/TSongList.h"
#include "toolkit/CodePage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const int kPages[] = {1252, 1250, 1251, 1253, 65001};
    toolkit::SetActiveCodePage(kPages[data[0] % 5]);
    config::TSongList list;
    list.LoadFromBytes(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    for (const std::string& entry : list.Items()) {
        if (entry.find_first_of("\r\n") != std::string::npos || !list.Contains(entry))
            std::abort();
    }
    config::TSongList again;
    again.LoadFromBytes(list.ToBytes());
    if (again.Items() != list.Items())
        std::abort();
    if (!list.Items().empty()) {
        const std::string first = list.Items().front();
        if (!list.Remove(first) || list.Contains(first))
            std::abort();
    }
    return 0;
}
