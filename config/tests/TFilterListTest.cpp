#include "config/TFilterList.h"

#include "config/TSongList.h"
#include "config/USettings.h"
#include "config/tests/TRecordingSettingsView.h"
#include "toolkit/FileBytes.h"
#include "toolkit/TProfileFile.h"
#include "toolkit/tests/TempFolder.h"

#include <gtest/gtest.h>

using namespace config;
using testing_support::TTempFolder;

namespace {

// The list as "Url:Description:Enabled" texts, for comparing whole lists.
std::vector<std::string> Describe(const TFilterList& list) {
    std::vector<std::string> out;
    for (const auto& f : list.Items())
        out.push_back(f.Url + ":" + f.Description + ":" + (f.Enabled ? "1" : "0"));
    return out;
}

TEST(FilterList, MergeOfUserFiltersAndFilters) {
    struct {
        const char* name;
        std::string userFilters;
        std::string filters;
        std::vector<std::string> expected;
    } cases[] = {
        {"a site in both: the user's place and flag, the definition's texts",
         "[Filter0]\nUrl=b\nDescription=old b\nEnabled=0\n[Filter1]\nUrl=a\nDescription=old a\n",
         "[x]\nUrl=a\nDescription=new a\n[y]\nUrl=b\nDescription=new b\nEnabled=1\n",
         {"b:new b:0", "a:new a:1"}},
        {"a new site comes at the end, enabled unless the file says 0",
         "[Filter0]\nUrl=a\n",
         "[x]\nUrl=c\nEnabled=0\n[y]\nUrl=d\n[z]\nUrl=a\n",
         {"a:n/a:1", "c:n/a:0", "d:n/a:1"}},
        {"the same Url twice in one file: later texts, earlier flag and place",
         "[1]\nUrl=a\nDescription=first\nEnabled=0\n[2]\nUrl=b\n[3]\nUrl=a\nDescription=second\nEnabled=1\n",
         "",
         {"a:second:0", "b:n/a:1"}},
        {"sections without Url or with an empty one are skipped",
         "[1]\nDescription=x\n[2]\nUrl=\n[3]\nUrl = a \n",
         "[1]\nUrl=\n",
         {"a:n/a:1"}},
        {"Url is compared with case",
         "[1]\nUrl=http://A/\n",
         "[1]\nUrl=http://a/\n",
         {"http://A/:n/a:1", "http://a/:n/a:1"}},
        {"an unreadable Enabled gives true", "[1]\nUrl=a\nEnabled=no\n", "", {"a:n/a:1"}},
        {"a user's site that Filters.ini does not know stays",
         "[1]\nUrl=mine\n",
         "[1]\nUrl=theirs\n",
         {"mine:n/a:1", "theirs:n/a:1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TTempFolder temp;
        const char sep = platform::PathSeparator();
        const std::string cantrel = temp / "Cantrel" + sep;
        toolkit::EnsureFolder(cantrel);
        TTempFolder::WriteFile(cantrel + "UserFilters.ini", c.userFilters);
        TTempFolder::WriteFile(cantrel + "Filters.ini", c.filters);
        TRecordingSettingsView view;
        TSongList cancel, upload;
        TSettings settings(view, cancel, upload, temp.Path(), "", sep);
        settings.LoadSettings();
        EXPECT_EQ(Describe(settings.Filters()), c.expected);
        // The dialog's list shows the sites in list order.
        std::vector<std::string> urls;
        for (const auto& f : settings.Filters().Items())
            urls.push_back(f.Url);
        EXPECT_EQ(view.filterCaptions, urls);
    }
}

TEST(FilterList, MergeKeepsEveryText) {
    TFilterList list;
    list.MergeProfile(toolkit::TProfileFile("[a]\nUrl=u\nEnabled=0\n"));
    list.MergeProfile(toolkit::TProfileFile(
        "[b]\nUrl=u\nDescription=D\nAuthor=A\nAuthorWeb=W\nRegExpr=R1\nRegExprSecondary=R2\nEnabled=1\n"));
    ASSERT_EQ(list.Count(), 1u);
    const TFilter& f = list.Items()[0];
    EXPECT_EQ(f.Description, "D");
    EXPECT_EQ(f.Author, "A");
    EXPECT_EQ(f.AuthorWeb, ""); // never read from a file
    EXPECT_EQ(f.RegExpr, "R1");
    EXPECT_EQ(f.RegExprSecondary, "R2");
    EXPECT_FALSE(f.Enabled);
}

TEST(FilterList, SaveWritesFilterSectionsInListOrder) {
    TFilterList list;
    list.MergeProfile(
        toolkit::TProfileFile("[x]\nUrl=a\nDescription=A site\nAuthor=me\nRegExpr=<b>\n[y]\nUrl=b\n"));
    list.MergeFilter(TFilter{"c", "C", "n/a", "ignored", "", "", false});
    list.MoveDown(0);
    toolkit::TProfileFile ini("; user's copy\r\n[Filter3]\r\nUrl=stale\r\n");
    list.WriteProfile(ini);
    EXPECT_EQ(ini.Bytes(),
              "; user's copy\r\n[Filter3]\r\nUrl=stale\r\n"
              "[Filter0]\r\nUrl=b\r\nDescription=n/a\r\nAuthor=n/a\r\nAuthorWeb=\r\nRegExpr=\r\n"
              "RegExprSecondary=\r\nEnabled=1\r\n"
              "[Filter1]\r\nUrl=a\r\nDescription=A site\r\nAuthor=me\r\nAuthorWeb=\r\nRegExpr=<b>\r\n"
              "RegExprSecondary=\r\nEnabled=1\r\n"
              "[Filter2]\r\nUrl=c\r\nDescription=C\r\nAuthor=n/a\r\nAuthorWeb=ignored\r\nRegExpr=\r\n"
              "RegExprSecondary=\r\nEnabled=0\r\n");
    // Read back, the list is the same (AuthorWeb aside).
    TFilterList again;
    again.MergeProfile(toolkit::TProfileFile(ini.Bytes()));
    EXPECT_EQ(Describe(again), (std::vector<std::string>{"stale:n/a:1", "b:n/a:1", "a:A site:1", "c:C:0"}));
}

TEST(FilterList, MovesAndCheckMarks) {
    TFilterList list;
    for (const char* url : {"a", "b", "c"})
        list.MergeFilter(TFilter{url, "", "", "", "", "", true});
    struct {
        const char* name;
        bool up;
        std::size_t from;
        std::size_t to;
        std::vector<std::string> order;
    } cases[] = {
        {"first up", true, 0, 0, {"a", "b", "c"}},          {"last down", false, 2, 2, {"a", "b", "c"}},
        {"middle up", true, 1, 0, {"b", "a", "c"}},         {"first down", false, 0, 1, {"a", "b", "c"}},
        {"outside the list", false, 7, 7, {"a", "b", "c"}},
    };
    for (const auto& c : cases) {
        const std::size_t to = c.up ? list.MoveUp(c.from) : list.MoveDown(c.from);
        EXPECT_EQ(to, c.to) << c.name;
        std::vector<std::string> order;
        for (const auto& f : list.Items())
            order.push_back(f.Url);
        EXPECT_EQ(order, c.order) << c.name;
    }

    list.CommitFilterChecks({false, true}); // stops where the check marks end
    EXPECT_EQ(Describe(list), (std::vector<std::string>{"a::0", "b::1", "c::1"}));
    list.CommitFilterChecks({true, false, false, false});
    EXPECT_EQ(Describe(list), (std::vector<std::string>{"a::1", "b::0", "c::0"}));
    EXPECT_TRUE(list.SetEnabled(2, true));
    EXPECT_FALSE(list.SetEnabled(3, true));
}

} // namespace
