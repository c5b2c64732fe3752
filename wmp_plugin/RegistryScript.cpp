#include "wmp_plugin/RegistryScript.h"

#include <cctype>

namespace wmp_plugin {

namespace {

struct TToken {
    std::string Text;
    bool Quoted = false;
};

bool SameWord(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && !b[i];
}

class TScriptParser {
public:
    TScriptParser(const std::string& script, const std::u16string& modulePath)
        : Script(script), ModulePath(modulePath) {}

    bool ParseAll(std::vector<TRegistryTree>& trees) {
        TToken t;
        while (Next(t)) {
            TRegistryTree tree;
            if (t.Quoted || !RootOf(t.Text, tree.Root) || !Expect("{") || !ParseBody(nullptr, tree.Keys))
                return false;
            trees.push_back(std::move(tree));
        }
        return Ok;
    }

private:
    const std::string& Script;
    const std::u16string& ModulePath;
    std::size_t Pos = 0;
    bool Ok = true;

    void SkipSpace() {
        while (Pos < Script.size() && std::isspace(static_cast<unsigned char>(Script[Pos])))
            ++Pos;
    }

    // The next token; false at the end of the script or on an unterminated quote (which sets Ok false).
    bool Next(TToken& t) {
        SkipSpace();
        t = TToken();
        if (Pos >= Script.size())
            return false;
        if (Script[Pos] == '\'') {
            t.Quoted = true;
            for (++Pos;; ++Pos) {
                if (Pos >= Script.size()) {
                    Ok = false;
                    return false;
                }
                if (Script[Pos] == '\'') {
                    if (Pos + 1 < Script.size() && Script[Pos + 1] == '\'') {
                        t.Text.push_back('\'');
                        ++Pos;
                        continue;
                    }
                    ++Pos;
                    return true;
                }
                t.Text.push_back(Script[Pos]);
            }
        }
        while (Pos < Script.size() && !std::isspace(static_cast<unsigned char>(Script[Pos])))
            t.Text.push_back(Script[Pos++]);
        return true;
    }

    bool Peek(TToken& t) {
        const auto saved = Pos;
        const bool got = Next(t);
        Pos = saved;
        return got;
    }

    bool Expect(const char* word) {
        TToken t;
        return Next(t) && !t.Quoted && t.Text == word;
    }

    static bool RootOf(const std::string& word, TRegistryRootKey& root) {
        if (SameWord(word, "HKCR") || SameWord(word, "HKEY_CLASSES_ROOT"))
            root = TRegistryRootKey::ClassesRoot;
        else if (SameWord(word, "HKLM") || SameWord(word, "HKEY_LOCAL_MACHINE"))
            root = TRegistryRootKey::LocalMachine;
        else if (SameWord(word, "HKCU") || SameWord(word, "HKEY_CURRENT_USER"))
            root = TRegistryRootKey::CurrentUser;
        else
            return false;
        return true;
    }

    static std::u16string Widen(const std::string& text) {
        std::u16string wide;
        for (char c : text)
            wide.push_back(char16_t(static_cast<unsigned char>(c)));
        return wide;
    }

    std::u16string Substitute(const std::string& text) const {
        std::u16string out = Widen(text);
        const std::u16string marker = u"%MODULE%";
        for (auto at = out.find(marker); at != std::u16string::npos;
             at = out.find(marker, at + ModulePath.size())) {
            out.replace(at, marker.size(), ModulePath);
        }
        return out;
    }

    static bool ParseNumber(const std::string& text, std::uint32_t& number) {
        if (text.empty())
            return false;
        const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        const unsigned base = hex ? 16 : 10;
        unsigned long long n = 0;
        for (std::size_t i = hex ? 2 : 0; i < text.size(); ++i) {
            const int c = std::tolower(static_cast<unsigned char>(text[i]));
            unsigned digit;
            if (c >= '0' && c <= '9')
                digit = unsigned(c - '0');
            else if (hex && c >= 'a' && c <= 'f')
                digit = unsigned(c - 'a' + 10);
            else
                return false;
            n = n * base + digit;
            if (n > 0xFFFFFFFFull)
                return false;
        }
        number = std::uint32_t(n);
        return true;
    }

    // "= s 'text'" or "= d 'number'", the "=" already read.
    bool ParseValue(TRegistryValue& value) {
        TToken type, data;
        if (!Next(type) || type.Quoted || !Next(data))
            return false;
        if (SameWord(type.Text, "s")) {
            value.IsNumber = false;
            value.Text = Substitute(data.Text);
            return true;
        }
        if (SameWord(type.Text, "d")) {
            value.IsNumber = true;
            return ParseNumber(data.Text, value.Number);
        }
        return false;
    }

    // The items of a block up to its "}": keys, and (inside a key) "val" entries.
    bool ParseBody(TRegistryKey* owner, std::vector<TRegistryKey>& keys) {
        for (;;) {
            TToken t;
            if (!Next(t))
                return false;
            if (!t.Quoted && t.Text == "}")
                return true;
            if (!t.Quoted && SameWord(t.Text, "val")) {
                if (!owner)
                    return false; // a value belongs to a key
                TRegistryValue value;
                TToken name;
                if (!Next(name) || !Expect("=") || !ParseValue(value))
                    return false;
                value.Name = Widen(name.Text);
                owner->Values.push_back(std::move(value));
                continue;
            }
            TRegistryKey key;
            if (!t.Quoted && SameWord(t.Text, "ForceRemove")) {
                key.Flag = TKeyFlag::ForceRemove;
            } else if (!t.Quoted && SameWord(t.Text, "NoRemove")) {
                key.Flag = TKeyFlag::NoRemove;
            }
            if (key.Flag != TKeyFlag::None && !Next(t))
                return false;
            if (t.Text.empty() || (!t.Quoted && (t.Text == "{" || t.Text == "}" || t.Text == "=")))
                return false;
            key.Name = Widen(t.Text);
            TToken after;
            if (Peek(after) && !after.Quoted && after.Text == "=") {
                Next(after);
                if (!ParseValue(key.Default))
                    return false;
                key.HasDefault = true;
            }
            if (Peek(after) && !after.Quoted && after.Text == "{") {
                Next(after);
                if (!ParseBody(&key, key.Subkeys))
                    return false;
            }
            keys.push_back(std::move(key));
        }
    }
};

} // namespace

bool ParseRegistryScript(const std::string& script, const std::u16string& modulePath,
                         std::vector<TRegistryTree>& trees) {
    trees.clear();
    TScriptParser parser(script, modulePath);
    if (!parser.ParseAll(trees)) {
        trees.clear();
        return false;
    }
    return true;
}

} // namespace wmp_plugin
