#pragma once
// The search-site list: the web sites the search agent may search for lyrics, in the order they are
// tried, each enabled or not. It is merged from the user's copy ("UserFilters.ini") and the site
// definitions ("Filters.ini"), and written back to the user's copy. The list owns its entries.

#include <string>
#include <vector>

namespace toolkit {
class TProfileFile;
}

namespace config {

// One search site.
struct TFilter {
    std::string Url; // identifies the site; compared exactly, with case
    std::string Description;
    std::string Author;
    std::string AuthorWeb; // written back, never read, so always empty
    std::string RegExpr;
    std::string RegExprSecondary;
    bool Enabled = true;
};

class TFilterList {
public:
    const std::vector<TFilter>& Items() const { return items_; }
    std::size_t Count() const { return items_.size(); }
    void Clear() { items_.clear(); }

    // The first site with the same Url takes the new site's texts and keeps its place and Enabled flag;
    // without one, the site is appended.
    void MergeFilter(const TFilter& site);

    // Merges every section of the profile that has a non-empty Url, in file order.
    void MergeProfile(const toolkit::TProfileFile& profile);

    // Writes one section per site, "Filter0", "Filter1", ... in list order, with the keys Url,
    // Description, Author, AuthorWeb, RegExpr, RegExprSecondary and Enabled. Other sections stay.
    void WriteProfile(toolkit::TProfileFile& profile) const;

    // Exchanges the site at position with its neighbour; returns the site's new position (unchanged
    // when it cannot move). Positions outside the list change nothing.
    std::size_t MoveUp(std::size_t position);
    std::size_t MoveDown(std::size_t position);

    // Sets one site's Enabled flag; false for a position outside the list.
    bool SetEnabled(std::size_t position, bool enabled);

    // Copies check marks into the Enabled flags from the first position on; stops at the first
    // position that has no check mark (or no site).
    void CommitFilterChecks(const std::vector<bool>& checks);

private:
    std::vector<TFilter> items_;
};

} // namespace config
