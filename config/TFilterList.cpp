#include "config/TFilterList.h"

#include "toolkit/TProfileFile.h"

#include <utility>

namespace config {

void TFilterList::MergeFilter(const TFilter& site) {
    for (auto& item : items_) {
        if (item.Url == site.Url) {
            const bool enabled = item.Enabled;
            item = site;
            item.Enabled = enabled;
            return;
        }
    }
    items_.push_back(site);
}

void TFilterList::MergeProfile(const toolkit::TProfileFile& profile) {
    for (const auto& section : profile.SectionNames()) {
        TFilter site;
        site.Url = profile.ReadString(section, "Url", "");
        if (site.Url.empty())
            continue;
        site.Description = profile.ReadString(section, "Description", "n/a");
        site.Author = profile.ReadString(section, "Author", "n/a");
        site.RegExpr = profile.ReadString(section, "RegExpr", "");
        site.RegExprSecondary = profile.ReadString(section, "RegExprSecondary", "");
        site.Enabled = profile.ReadBool(section, "Enabled", true);
        MergeFilter(site);
    }
}

void TFilterList::WriteProfile(toolkit::TProfileFile& profile) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const TFilter& site = items_[i];
        const std::string section = "Filter" + std::to_string(i);
        profile.WriteString(section, "Url", site.Url);
        profile.WriteString(section, "Description", site.Description);
        profile.WriteString(section, "Author", site.Author);
        profile.WriteString(section, "AuthorWeb", site.AuthorWeb);
        profile.WriteString(section, "RegExpr", site.RegExpr);
        profile.WriteString(section, "RegExprSecondary", site.RegExprSecondary);
        profile.WriteBool(section, "Enabled", site.Enabled);
    }
}

std::size_t TFilterList::MoveUp(std::size_t position) {
    if (position == 0 || position >= items_.size())
        return position;
    std::swap(items_[position], items_[position - 1]);
    return position - 1;
}

std::size_t TFilterList::MoveDown(std::size_t position) {
    if (position + 1 >= items_.size())
        return position;
    std::swap(items_[position], items_[position + 1]);
    return position + 1;
}

bool TFilterList::SetEnabled(std::size_t position, bool enabled) {
    if (position >= items_.size())
        return false;
    items_[position].Enabled = enabled;
    return true;
}

void TFilterList::CommitFilterChecks(const std::vector<bool>& checks) {
    for (std::size_t i = 0; i < checks.size() && i < items_.size(); ++i)
        items_[i].Enabled = checks[i];
}

} // namespace config
