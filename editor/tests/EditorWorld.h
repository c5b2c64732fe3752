#pragma once
// The timing editor under test: a real TFormEdit under Xvfb with a fake Winamp, a settable clock, a lyric
// document, the main window's scene texts and a host that records what the editor asks of the main window.

#include "display/MainScene.h"
#include "editor/UEdit.h"
#include "lyrics/UMp3Tag.h"
#include "lyrics/UTextLyrics.h"
#include "platform/fake/FakeWinamp.h"
#include "player/EasyAmp.h"

#include "display/tests/QtTestApp.h"

#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

namespace editor::testing {

namespace fs = std::filesystem;

class TFakeEditorHost : public IEditorHost {
public:
    void ReturnToLyricView() override { ++Returns; }
    void UpdateSong() override { ++Reloads; }
    int MainWindowWidth() override { return 825; }
    int SceneViewWidth() override { return 820; }
    void MainResize() override { ++Resizes; }
    std::string LyricsDir() override { return Dir; }
    std::string LyricsBaseName(const std::string& songName) override {
        return lyrics::NormaliseSongName(songName, true, true);
    }
    void OpenAddress(const std::string& address) override { Opened.push_back(address); }

    std::string Dir;
    int Returns = 0;
    int Reloads = 0;
    int Resizes = 0;
    std::vector<std::string> Opened;
};

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        display::testing::TestApp();
        Folder = fs::temp_directory_path() / ("cantrel-editor-" + std::to_string(std::random_device()()));
        fs::create_directories(Folder / "lyrics");
        Host.Dir = (Folder / "lyrics").string();
        Clock.Now = 1000000;
        Amp = std::make_unique<platform::TFakeWinamp>(Windows, "1. Band - Tune - Winamp");
        Amp->LengthSeconds = 185;
        Session.DetectPlayer();
        Session.PollPlayer();
        Document.SongName = "Band - Tune";

        TEditorServices services;
        services.Session = &Session;
        services.Document = &Document;
        services.Host = &Host;
        services.Texts = {Scene.GLHUDTextEditLyricLyrics, Scene.GLHUDTextEditTime, Scene.GLHUDTextEditSong,
                          Scene.GLHUDTextEditSaveTo,      Scene.GLHUDTextLength,   Scene.GLHUDTextEditExit};
        services.Separator = '/';
        services.HelpAddress = "http://help.example/modules.php?name=doc_editor";
        Editor = std::make_unique<TFormEdit>(services);
        Editor->ShowError = [this](const std::string& message) { Errors.push_back(message); };
        Editor->ChooseOpenFile = [this] { return OpenAnswer; };
        Editor->ClipboardText = [this] { return Clipboard; };
        Editor->SetClipboardText = [this](const QString& text) { Clipboard = text; };
        Editor->ChooseSaveFile = [this](const QString& initial) {
            SaveInitial = initial;
            return SaveAnswer;
        };
    }
    void TearDown() override {
        Editor.reset();
        fs::permissions(Folder, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(Folder);
    }

    // Fills the editor from the document and shows it, as entering the edit view does.
    void Open() {
        Editor->FillFromDocument();
        Editor->ShowEditor();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Editor.get()));
    }
    // The song plays on by ms.
    void Play(int ms) {
        Clock.Advance(std::uint32_t(ms));
        Amp->PositionMs += ms;
        Session.PollPlayer();
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&Editor->SynEditTiming(), Qt::Key(key), modifiers);
    }
    std::string Read(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Write(const fs::path& file, const std::string& bytes) {
        std::ofstream(file, std::ios::binary) << bytes;
    }

    fs::path Folder;
    platform::TFakeWindowSystem Windows;
    platform::TFakeClock Clock;
    player::TPlayerSession Session{Windows, Clock};
    std::unique_ptr<platform::TFakeWinamp> Amp;
    lyrics::TTextLyrics Document;
    display::TMainScene Scene{Clock};
    TFakeEditorHost Host;
    std::unique_ptr<TFormEdit> Editor;
    std::vector<std::string> Errors;
    QString OpenAnswer;
    QString SaveAnswer;
    QString SaveInitial;
    // The editor's clipboard: the display's own is shared with every test running beside this one.
    QString Clipboard;
};

} // namespace editor::testing
