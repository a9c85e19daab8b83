// Start-up on damaged files: the input is split at "\x00|" into the eight library
// files and the settings file; the manager must start, keep its library columns of
// one length, apply the settings and show the library without failing.
#include "TrackManager.h"

#include "Drives.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// One folder for the whole run, removed when the run ends (libFuzzer leaves
// through exit, which runs the destructors of statics).
class TRunFolder {
public:
    TRunFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "bvstartupfuzzXXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        path_ = pattern;
    }
    ~TRunFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TRunFolder(const TRunFolder&) = delete;
    TRunFolder& operator=(const TRunFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

const std::string& Folder() {
    static const TRunFolder folder;
    return folder.Path();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string names[] = {"MediaDB.db0", "MediaDB.db1", "MediaDB.db2",
                                 "MediaDB.db3", "MediaDB.db4", "MediaDB.db5",
                                 "MediaDB.db6", "MediaDB.db7", "brisvane.ini"};
    size_t start = 0;
    for (const std::string& name : names) {
        const std::string path = Folder() + "/" + name;
        if (start > input.size()) {
            std::remove(path.c_str());
            continue;
        }
        size_t end = input.find(std::string_view("\0|", 2), start);
        if (end == std::string::npos)
            end = input.size();
        WriteFile(path, input.substr(start, end - start));
        start = end + 2;
    }
    TScriptedManagerUi ui;
    const std::string folder = ToWindowsPath(Folder()) + "\\";
    TTrackManager manager(ui, {folder, folder});
    manager.Start();
    const int rows = manager.Model.MediaDB.StringsByName("Artist").Count();
    for (const char* column : {"Title", "Album", "Time", "Size", "FileName", "BitRate", "UID"})
        if (manager.Model.MediaDB.StringsByName(column).Count() != rows)
            std::abort();
    manager.RefreshTrackView();
    if (manager.Options.comboM4A_VBR_Quality < 0 || manager.Options.comboM4A_VBR_Quality > 7 ||
        manager.Options.ComboFormat < 0 || manager.Options.ComboFormat > 1)
        std::abort();
    return 0;
}
