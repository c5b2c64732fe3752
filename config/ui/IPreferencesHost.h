#pragma once
// What the preferences dialog needs of the main window beyond the settings store: the lyric display built
// again at a new text size, web pages opened in the browser, and the addresses it links to. The main window
// implements it; tests use a recording fake.

#include <string>

namespace config {

class IPreferencesHost {
public:
    virtual ~IPreferencesHost() = default;

    // The size list's selection changed: the lyric display is built again at that size.
    virtual void TextSizeChosen() = 0;
    // Opens a web address with the desktop's default handler.
    virtual void OpenAddress(const std::string& address) = 0;
    // The product's web site and the lyric database's, without a trailing "/".
    virtual std::string ProductSite() const = 0;
    virtual std::string DatabaseSite() const = 0;
};

} // namespace config
