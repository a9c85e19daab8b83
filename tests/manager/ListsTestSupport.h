// A track manager over a private folder with a few rows put straight into the
// track list, and drive "E:" mapped to a card folder, for the list commands.
#pragma once

#include "TrackManager.h"

#include "AudioFixtures.h"
#include "Drives.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace BvTest {

class TListsFixture : public ::testing::Test {
protected:
    TAudioFixtureFolder Folder;
    TScriptedManagerUi Ui;
    std::unique_ptr<TTrackManager> Owner;
    TTrackManager* M = nullptr;

    void SetUp() override {
        std::filesystem::create_directories(Folder.Path("card/mobile/audio"));
        setenv("BRISVANE_DRIVES", ("E=" + Folder.Path("card") + ":removable").c_str(), 1);
        RefreshDriveTable();
        const std::string home = WindowsPathOf(Folder.Path()) + "\\";
        Owner = std::make_unique<TTrackManager>(Ui, TManagerPaths{home, home});
        M = Owner.get();
        M->FormCreate();
        M->Model.PhoneDrive = 'E';
    }
    void TearDown() override {
        Owner.reset();
        unsetenv("BRISVANE_DRIVES");
        RefreshDriveTable();
    }

    // Appends a row and lists it in the master playlist; returns its row.
    int AddRow(const std::string& artist, const std::string& title, const std::string& album = "Al",
               const std::string& time = "3:5", const std::string& size = "4000",
               const std::string& file = "", const std::string& bitrate = "128") {
        const int n = M->Model.TrackCount();
        const std::string name = file.empty() ? "C:\\music\\" + std::to_string(n) + ".mp3" : file;
        const int row = M->Model.AppendTrack(
            {artist, title, album, time, size, name, bitrate, std::to_string(n)});
        M->Model.SyncAllMusic();
        return row;
    }

    std::vector<std::string> Entries(int playlist) const {
        return M->Model.PlaylistTracks[static_cast<size_t>(playlist)].Items();
    }
    std::vector<std::string> Column(const std::string& name) const {
        return M->Model.TrackListHolder.StringsByName(name).Items();
    }
    std::vector<std::string> Texts(const TListView& view) const {
        std::vector<std::string> texts;
        for (const TViewLine& l : view.Lines)
            texts.push_back(l.Text);
        return texts;
    }
    // A user playlist with the given entries; returns its index.
    int AddPlaylist(const std::string& name, std::vector<std::string> entries) {
        M->ListBoxPlayLists.Items.Add(name);
        const int index = M->ListBoxPlayLists.Items.Count() - 1;
        auto& list = M->Model.PlaylistTracks[static_cast<size_t>(index)];
        list.Clear();
        for (auto& e : entries)
            list.Add(e);
        return index;
    }
    void Show(int playlist) { M->ListBoxPlayListsClick(playlist); }
    void SelectLines(std::initializer_list<int> lines) {
        M->BvPlaylist.SelectNone();
        for (int l : lines)
            M->BvPlaylist.Select(l);
    }
    std::string CardFile(const std::string& name, const std::string& bytes = "x") {
        WriteWholeFile(Folder.Path("card/mobile/audio/" + name), bytes);
        return "E:\\mobile\\audio\\" + name;
    }
    bool CardFileExists(const std::string& name) const {
        return std::filesystem::exists(Folder.Path("card/mobile/audio/" + name));
    }
};

using StringVec = std::vector<std::string>;

} // namespace BvTest
