#include "config/TSongList.h"

#include "toolkit/CodePage.h"
#include "toolkit/FileBytes.h"
#include "toolkit/TextCompare.h"

#include <algorithm>

namespace config {

std::size_t TSongList::LowerBound(const std::string& entry) const {
    std::size_t low = 0;
    std::size_t high = items_.size();
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (toolkit::CompareTextIgnoreCase(items_[mid], entry) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

bool TSongList::Add(const std::string& entry) {
    if (entry.find_first_of("\r\n") != std::string::npos)
        return false;
    const std::size_t at = LowerBound(entry);
    if (at < items_.size() && toolkit::SameTextIgnoreCase(items_[at], entry))
        return false;
    items_.insert(items_.begin() + long(at), entry);
    return true;
}

bool TSongList::Remove(const std::string& entry) {
    const std::size_t at = LowerBound(entry);
    if (at >= items_.size() || !toolkit::SameTextIgnoreCase(items_[at], entry))
        return false;
    items_.erase(items_.begin() + long(at));
    return true;
}

bool TSongList::Contains(const std::string& entry) const {
    const std::size_t at = LowerBound(entry);
    return at < items_.size() && toolkit::SameTextIgnoreCase(items_[at], entry);
}

namespace {

// Sorts the texts by their case-folded forms, each folded once; equal ones keep their order.
void SortIgnoringCase(std::vector<std::string>& texts) {
    const int page = toolkit::ActiveCodePage();
    std::vector<std::pair<std::u32string, std::size_t>> keys;
    keys.reserve(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        keys.emplace_back(toolkit::FoldedCodePoints(texts[i], page), i);
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> sorted;
    sorted.reserve(texts.size());
    for (const auto& key : keys)
        sorted.push_back(std::move(texts[key.second]));
    texts = std::move(sorted);
}

} // namespace

void TSongList::Resort() {
    SortIgnoringCase(items_);
}

void TSongList::LoadFromBytes(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(pos));
            break;
        }
        lines.push_back(bytes.substr(pos, end - pos));
        pos = end + 1;
        if (bytes[end] == '\r' && pos < bytes.size() && bytes[pos] == '\n')
            ++pos;
    }
    // Sorted once rather than inserted one by one, so a long file loads in n log n; of entries equal
    // without regard to case the first in the file stays.
    SortIgnoringCase(lines);
    const auto last = std::unique(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return toolkit::SameTextIgnoreCase(a, b);
    });
    lines.erase(last, lines.end());
    items_ = std::move(lines);
}

std::string TSongList::ToBytes() const {
    std::string out;
    for (const auto& item : items_) {
        out += item;
        out += "\r\n";
    }
    return out;
}

void TSongList::LoadFromFile(const std::string& path) {
    const auto bytes = toolkit::ReadFileBytes(path);
    if (bytes)
        LoadFromBytes(*bytes);
    else
        items_.clear();
}

bool TSongList::SaveToFile(const std::string& path) const {
    return toolkit::WriteFileReplacing(path, ToBytes());
}

} // namespace config
