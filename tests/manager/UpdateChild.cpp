// A whole run of the program in a process of its own, for the tests that need a second
// process or one they can kill: start-up, tracks added from the PC to the track list and
// the library, an update of the card "E:", and the close that saves the settings and the
// library.
//
//   bv_update_child <card folder> <data folder> <file>...
//
// BV_CHILD_ENCODE=1 re-encodes the tracks above 112 kbit/s with lame. BV_CHILD_HOLD=<file>
// makes the first copy wait after its first block, once "<file>.holding" is made, until
// <file> exists. Every log line and warning goes to the standard output. Exit code 0
// when the update wrote the database, 3 when it did not.
#include "TrackManager.h"
#include "TrackManagerUpdateState.h"

#include "Dispatcher.h"
#include "Drives.h"
#include "Files.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <card folder> <data folder> <file>...\n", argv[0]);
        return 2;
    }
    setenv("BRISVANE_DRIVES", (std::string("E=") + argv[1] + ":removable").c_str(), 1);
    RefreshDriveTable();
    TScriptedManagerUi ui;
    TTrackManager m(ui, TManagerPaths{ToWindowsPath(argv[2]) + "\\", {}});
    bool updated = false;
    m.Log.SetSink([&](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        updated = updated || line.find("Mobile updated!") != std::string::npos;
    });
    m.Start();
    m.Model.PhoneDrive = 'E';
    if (const char* encode = std::getenv("BV_CHILD_ENCODE"); encode && *encode == '1') {
        m.Options.cbAutoEncode = true;
        m.Options.cbBitrate = "112";
        m.Options.comboM4ABitrate = "64";
        m.Options.rbM4A_CBR = true;
        m.Options.comboConverters = "lame";
    }
    for (int i = 3; i < argc; ++i) {
        const std::string file = ToWindowsPath(argv[i]);
        const bool m4a = LowerCase(ExtractFileExt(file)) == ".m4a";
        m4a ? m.AddM4aToTrackList(file) : m.AddMp3ToTrackList(file);
        m4a ? m.AddM4aToMediaDB(file) : m.AddMp3ToMediaDB(file);
    }
    m.Model.SyncAllMusic();
    if (const char* hold = std::getenv("BV_CHILD_HOLD"); hold && *hold) {
        const std::string release = hold;
        UpdateStateOf(m).AfterFirstCopyBlock = [release] {
            static bool once = false;
            if (once)
                return;
            once = true;
            std::ofstream(release + ".holding").put('1');
            struct stat st;
            for (int i = 0; i < 3000 && ::stat(release.c_str(), &st) != 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        };
    }
    m.btnUpdateMobileClick();
    while (m.IsBusy())
        CheckSynchronize(20);
    while (CheckSynchronize(0)) {
    }
    m.FormClose();
    for (const std::string& w : ui.Warnings)
        std::printf("WARNING: %s\n", w.c_str());
    return updated ? 0 : 3;
}
