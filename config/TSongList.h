#pragma once
// A sorted list of song texts without repeats, compared without regard to case (in the active code page;
// after a change of the code page the holder calls Resort, so that lookups find the entries again).
// The cancel list (songs for which no lyric search is made) and the upload list (songs whose lyrics were
// submitted) are instances of it; whoever holds the list owns it. Files are plain text in the active code
// page, one entry a line, every line ended by CR LF.

#include <string>
#include <vector>

namespace config {

class TSongList {
public:
    // Adds the entry at its sorted place. False when an entry equal to it without regard to case is
    // already there, or when it holds a line break (it could not be stored one a line).
    bool Add(const std::string& entry);
    // Removes the entry equal to it without regard to case; false when there is none.
    bool Remove(const std::string& entry);
    bool Contains(const std::string& entry) const;
    void Clear() { items_.clear(); }
    // Sorts the entries again in the active code page's order, keeping every entry (two that now compare
    // equal both stay, the earlier first).
    void Resort();

    std::size_t Count() const { return items_.size(); }
    const std::vector<std::string>& Items() const { return items_; }

    // Replaces the entries by the lines of the text: lines end at CR LF, LF or CR; empty lines count, and
    // so does a last line without a line break. Repeats are dropped.
    void LoadFromBytes(const std::string& bytes);
    // Every entry followed by CR LF, in list order.
    std::string ToBytes() const;

    // A missing, unreadable or oversized file empties the list.
    void LoadFromFile(const std::string& path);
    // Replaces the file in one step; on failure the old file stays as it was. False on failure.
    bool SaveToFile(const std::string& path) const;

private:
    // Position of the first entry not sorting before the text.
    std::size_t LowerBound(const std::string& entry) const;

    std::vector<std::string> items_;
};

} // namespace config
