#pragma once
// A program around the submission for tests: a settings store in a fresh temporary program folder
// (user "alice"), the lyric document, the upload list, a host whose song length and editor state the
// test sets, and the submission itself.

#include "config/TNullSettingsView.h"
#include "config/TSongList.h"
#include "config/USettings.h"
#include "database/UUploadLyric.h"
#include "lyrics/UTextLyrics.h"
#include "toolkit/CodePage.h"
#include "toolkit/tests/TempFolder.h"

#include <string>
#include <vector>

namespace database::test {

class TFakeUploadHost : public IUploadHost {
public:
    std::int32_t Length = 245000;
    bool Editor = false;
    int Updates = 0;
    std::int32_t GetSongLength() override { return Length; }
    bool EditorVisible() override { return Editor; }
    void UpdateSong() override { ++Updates; }
};

struct TUploadWorld {
    testing_support::TTempFolder Temp;
    config::TNullSettingsView View;
    config::TSongList Cancel;
    config::TSongList Upload;
    config::TSettings Settings{View, Cancel, Upload, Temp / "prog", "", platform::PathSeparator()};
    lyrics::TTextLyrics Document;
    TFakeUploadHost Host;
    IProcessMessages* Messages = nullptr; // the user interface's hook, when a test has one
    TUploadLyric Submission{Document, Settings, Upload, Host, Messages};

    explicit TUploadWorld(IProcessMessages* messages = nullptr) : Messages(messages) {
        Settings.LoadSettings();
        Settings.SetCharset("charset_english"); // the tests' texts are Windows-1252
        Settings.SetUsername("alice");
        Settings.SetPassword("secret");
    }

    std::string IndexFileName() const { return Settings.SettingsFolder() + "unknown"; }
    void WriteIndex(const std::string& bytes) const {
        testing_support::TTempFolder::WriteFile(IndexFileName(), bytes);
    }

    // A found document for the song, parsed from lyric text.
    void Load(const std::string& songName, const std::string& text) {
        Document.ParseText(text);
        Document.SongName = songName;
        Document.Found = true;
    }
};

// The index code of a text: the first four digits of its MD5.
inline std::string IndexCode(const std::string& text) {
    return Md5Hex(text).substr(0, 4);
}

// The multipart form the submission sends: each part with its name and value, then the closing delimiter.
inline const std::string kDelimiter = "-------------------------------7cf87224d2020a";

inline std::string Form(const std::vector<std::pair<std::string, std::string>>& parts) {
    std::string body;
    for (const auto& [name, value] : parts)
        body +=
            kDelimiter + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
    return body + kDelimiter + "--\r\n";
}

} // namespace database::test
