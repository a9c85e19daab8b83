// A headless manager with "E:" mapped to a temporary card folder, a log that
// keeps its lines, and a pump that runs the dispatcher until the update ends.
#pragma once

#include "TrackManager.h"
#include "TrackManagerUpdateState.h"

#include "AudioFixtures.h"
#include "DatabaseChecker.h"
#include "Dispatcher.h"
#include "Drives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace BvTest {

namespace fs = std::filesystem;

inline std::string TagFixture(const std::string& name) {
    return std::string(BV_TEST_DATA_DIR) + "/tags/" + name;
}

struct TCardRun {
    TAudioFixtureFolder Folder;
    std::string Card = Folder.Path("card");
    TScriptedManagerUi Ui;
    std::unique_ptr<TTrackManager> Manager;
    std::vector<std::string> LogLines;

    TCardRun() {
        fs::create_directories(Card);
        fs::create_directories(Folder.Path("pc"));
        setenv("BRISVANE_DRIVES", ("E=" + Card + ":removable").c_str(), 1);
        RefreshDriveTable();
        Manager = std::make_unique<TTrackManager>(
            Ui, TManagerPaths{WindowsPathOf(Folder.Path("pc")) + "\\", {}});
        Manager->Log.SetSink([this](const std::string& line) { LogLines.push_back(line); });
        Manager->Start();
        Manager->Model.PhoneDrive = 'E';
    }
    ~TCardRun() {
        Manager.reset();
        unsetenv("BRISVANE_DRIVES");
        RefreshDriveTable();
    }
    TTrackManager& M() { return *Manager; }
    TTrackManager::TUpdateState& State() { return UpdateStateOf(*Manager); }

    // A PC file copied from a tag fixture; its Windows path.
    std::string PcFile(const std::string& fixture, const std::string& as) {
        const std::string target = Folder.Path("pc/" + as);
        fs::create_directories(fs::path(target).parent_path());
        fs::copy_file(TagFixture(fixture), target, fs::copy_options::overwrite_existing);
        return WindowsPathOf(target);
    }
    std::string PcM4a(const std::string& as, double seconds = 2.0, int kbps = 128) {
        const std::string target = Folder.Path("pc/" + as);
        fs::create_directories(fs::path(target).parent_path());
        WriteM4aFixture(target, seconds, kbps);
        return WindowsPathOf(target);
    }
    int Add(const std::string& windowsPath) {
        const std::string ext = LowerCase(fs::path(windowsPath).extension().string());
        return ext == ".m4a" ? M().AddM4aToTrackList(windowsPath)
                             : M().AddMp3ToTrackList(windowsPath);
    }
    // Runs the update and pumps until it has ended.
    void Update() {
        M().btnUpdateMobileClick();
        Pump();
    }
    void Pump() {
        while (M().IsBusy())
            CheckSynchronize(20);
        while (CheckSynchronize(0)) {
        }
    }
    std::string DbPath() const { return Card + "/iTunes/iTunes_Control/iTunes/iTunesDB"; }
    std::string Db() const { return fs::exists(DbPath()) ? ReadWholeFile(DbPath()) : ""; }
    void WriteOldDb(const std::string& bytes) {
        fs::create_directories(fs::path(DbPath()).parent_path());
        WriteWholeFile(DbPath(), bytes);
    }
    bool Logged(const std::string& part) const {
        return std::any_of(LogLines.begin(), LogLines.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }
    std::string Field(int row, const char* column) {
        return M().Model.TrackListHolder.StringsByName(column)[row];
    }
    std::string AllLog() const {
        std::string s;
        for (const auto& l : LogLines)
            s += l + "\n";
        return s;
    }
};

// A count-down latch for ordering a worker and the test's thread.
class TLatch {
public:
    void CountDown() {
        {
            std::lock_guard<std::mutex> g(lock_);
            done_ = true;
        }
        cv_.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> g(lock_);
        cv_.wait(g, [&] { return done_; });
    }
    bool Done() {
        std::lock_guard<std::mutex> g(lock_);
        return done_;
    }

private:
    std::mutex lock_;
    std::condition_variable cv_;
    bool done_ = false;
};

} // namespace BvTest
