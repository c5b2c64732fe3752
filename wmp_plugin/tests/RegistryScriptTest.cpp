#include "wmp_plugin/RegistryScript.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace wmp_plugin;

namespace {

std::string ReadScript() {
    std::ifstream in(TL_PLUGIN_RGS, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

const TRegistryKey& Only(const std::vector<TRegistryKey>& keys, const std::u16string& name, TKeyFlag flag) {
    EXPECT_EQ(keys.size(), 1u) << "one key expected";
    EXPECT_EQ(keys.at(0).Name, name);
    EXPECT_EQ(keys.at(0).Flag, flag);
    return keys.at(0);
}

const std::u16string kClsid = u"{3E613981-B55A-41E4-878B-27EB936EA401}";

} // namespace

// The plugin's own script describes exactly the registration entries of the library.
TEST(RegistryScript, PluginScriptHoldsTheRegistrationEntries) {
    const std::string script = ReadScript();
    ASSERT_FALSE(script.empty());
    std::vector<TRegistryTree> trees;
    ASSERT_TRUE(
        ParseRegistryScript(script, u"C:\\Program Files\\Windows Media Player\\tl_plugin.dll", trees));
    ASSERT_EQ(trees.size(), 2u);

    EXPECT_EQ(trees[0].Root, TRegistryRootKey::ClassesRoot);
    const auto& clsidFolder = Only(trees[0].Keys, u"CLSID", TKeyFlag::NoRemove);
    EXPECT_FALSE(clsidFolder.HasDefault);
    const auto& cls = Only(clsidFolder.Subkeys, kClsid, TKeyFlag::ForceRemove);
    ASSERT_TRUE(cls.HasDefault);
    EXPECT_EQ(cls.Default.Text, u"Tl_plugin Class");
    EXPECT_TRUE(cls.Values.empty());
    const auto& server = Only(cls.Subkeys, u"InprocServer32", TKeyFlag::None);
    ASSERT_TRUE(server.HasDefault);
    EXPECT_FALSE(server.Default.IsNumber);
    EXPECT_EQ(server.Default.Text, u"C:\\Program Files\\Windows Media Player\\tl_plugin.dll");
    ASSERT_EQ(server.Values.size(), 1u);
    EXPECT_EQ(server.Values[0].Name, u"ThreadingModel");
    EXPECT_EQ(server.Values[0].Text, u"Apartment");
    EXPECT_TRUE(server.Subkeys.empty());

    EXPECT_EQ(trees[1].Root, TRegistryRootKey::LocalMachine);
    const TRegistryKey* k = &Only(trees[1].Keys, u"SOFTWARE", TKeyFlag::NoRemove);
    k = &Only(k->Subkeys, u"Microsoft", TKeyFlag::NoRemove);
    k = &Only(k->Subkeys, u"MediaPlayer", TKeyFlag::NoRemove);
    k = &Only(k->Subkeys, u"UIPlugins", TKeyFlag::NoRemove);
    const auto& plugin = Only(k->Subkeys, kClsid, TKeyFlag::ForceRemove);
    EXPECT_FALSE(plugin.HasDefault);
    ASSERT_EQ(plugin.Values.size(), 3u);
    EXPECT_EQ(plugin.Values[0].Name, u"FriendlyName");
    EXPECT_EQ(plugin.Values[0].Text, u"res://tl_plugin.dll/RT_STRING/#102");
    EXPECT_EQ(plugin.Values[1].Name, u"Description");
    EXPECT_EQ(plugin.Values[1].Text, u"res://tl_plugin.dll/RT_STRING/#103");
    EXPECT_EQ(plugin.Values[2].Name, u"Capabilities");
    EXPECT_TRUE(plugin.Values[2].IsNumber);
    EXPECT_EQ(plugin.Values[2].Number, 3221225473u);
}

TEST(RegistryScript, QuotesNumbersAndModulePath) {
    std::vector<TRegistryTree> trees;
    ASSERT_TRUE(ParseRegistryScript("hkey_current_user { 'My Key' = s 'it''s %MODULE% and %MODULE%' {\n"
                                    "val Hex = d '0xFFFFFFFF'  val Zero = d '0' val 'Two Words' = s '' } }",
                                    u"C:\\it's\\%MODULE%.dll", trees));
    ASSERT_EQ(trees.size(), 1u);
    EXPECT_EQ(trees[0].Root, TRegistryRootKey::CurrentUser);
    const auto& key = trees[0].Keys.at(0);
    EXPECT_EQ(key.Name, u"My Key");
    // The path is put in once per marker, and a marker inside the path is not expanded again.
    EXPECT_EQ(key.Default.Text, u"it's C:\\it's\\%MODULE%.dll and C:\\it's\\%MODULE%.dll");
    ASSERT_EQ(key.Values.size(), 3u);
    EXPECT_EQ(key.Values[0].Number, 0xFFFFFFFFu);
    EXPECT_EQ(key.Values[1].Number, 0u);
    EXPECT_EQ(key.Values[2].Name, u"Two Words");
    EXPECT_EQ(key.Values[2].Text, u"");
}

TEST(RegistryScript, MalformedScriptsAreRejected) {
    const char* scripts[] = {
        "HKCR { Key = s 'unterminated }",
        "HKCR { Key { }",                // block not closed
        "HKXX { Key }",                  // unknown root
        "{ Key }",                       // no root
        "HKCR { Key = d '12x' }",        // not a number
        "HKCR { Key = d '4294967296' }", // beyond 32 bits
        "HKCR { Key = b '00' }",         // unknown type
        "HKCR { val Name = s 'x' }",     // a value outside any key
        "HKCR { ForceRemove }",          // a flag without a key
        "HKCR { Key = }",
    };
    for (const char* s : scripts) {
        std::vector<TRegistryTree> trees;
        EXPECT_FALSE(ParseRegistryScript(s, u"m", trees)) << s;
        EXPECT_TRUE(trees.empty()) << s;
    }
    std::vector<TRegistryTree> trees;
    EXPECT_TRUE(ParseRegistryScript("", u"m", trees));
    EXPECT_TRUE(trees.empty());
}
