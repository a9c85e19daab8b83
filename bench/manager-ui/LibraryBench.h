// The "Media DB" box with a large library, as a user meets it: the program started on the
// eight library files of 1,000 to 100,000 rows, the box opened, a letter typed in the search.
#pragma once

#include "BenchGui.h"
#include "BenchTracks.h"
#include "Dialogs.h"
#include "Drives.h"
#include "Main.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <system_error>
#include <vector>

namespace LibraryBench {

// A row as a real collection has them: tags of ordinary length and a file deep in a user's
// music folder, about 230 bytes a row in the eight files.
inline TTrackRowSnapshot LongRow(int r) {
    const std::string n = std::to_string(r);
    const std::string artist = "The Artist Called " + std::to_string(r % 997);
    const std::string album = "An Album Title Of Some Length " + std::to_string(r % 101);
    const std::string title = "A Song With A Longer Title Number " + n;
    return {artist,
            title,
            album,
            std::to_string(r % 9) + ":" + std::to_string(10 + r % 50),
            std::to_string(3000000 + r),
            "C:\\Users\\listener\\Music\\" + artist + "\\" + album + "\\" + title + ".mp3",
            "192",
            n};
}

enum TRows { ShortRows, LongRows };

// Removes a folder the benchmarks made when the program ends, so runs leave nothing behind.
inline void RemoveAtExit(const std::string& folder) {
    static struct TFolders {
        std::vector<std::string> List;
        ~TFolders() {
            for (const std::string& f : List) {
                std::error_code ignored;
                std::filesystem::remove_all(f, ignored);
            }
        }
    } folders;
    folders.List.push_back(folder);
}

inline TTrackRowSnapshot RowOf(TRows kind, int r) {
    return kind == LongRows ? LongRow(r) : BenchTrackRow(r);
}

// The folder with the eight files of that many rows, made once per size; its files' size.
struct TLibraryFiles {
    std::string Folder;
    int64_t Bytes = 0;
};

inline const TLibraryFiles& LibraryFiles(TRows kind, int rows) {
    static std::map<std::pair<int, int>, TLibraryFiles> made;
    if (auto it = made.find({kind, rows}); it != made.end())
        return it->second;
    char name[] = "/tmp/bv-library-bench-XXXXXX";
    TLibraryFiles files;
    files.Folder = mkdtemp(name);
    RemoveAtExit(files.Folder);
    std::string TTrackRowSnapshot::*const columns[8] = {
        &TTrackRowSnapshot::Artist, &TTrackRowSnapshot::Title,   &TTrackRowSnapshot::Album,
        &TTrackRowSnapshot::Size,   &TTrackRowSnapshot::Time,    &TTrackRowSnapshot::BitRate,
        &TTrackRowSnapshot::UID,    &TTrackRowSnapshot::FileName};
    for (int column = 0; column < 8; ++column) {
        const std::string file = files.Folder + "/MediaDB.db" + std::to_string(column);
        {
            std::ofstream out(file, std::ios::binary);
            for (int r = 0; r < rows; ++r)
                out << RowOf(kind, r).*columns[column] << "\r\n";
        }
        files.Bytes += static_cast<int64_t>(std::filesystem::file_size(file));
    }
    return made.emplace(std::make_pair(int(kind), rows), files).first->second;
}

inline TForm1* StartWindow(const std::string& folder) {
    EnsureGui();
    SetDialogResponder([](const TDialogRequest&) { return TDialogAnswer{}; });
    TManagerPaths paths;
    paths.ProgramFolder = ToWindowsPath(folder);
    paths.DataFolder = paths.ProgramFolder;
    auto* form = new TForm1(Application, paths);
    form->AfterConstruction();
    form->Manager->OptionsFormCreate();
    form->SetBounds(0, 0, 1024, 700);
    form->Show();
    while (!form->Widget()->isVisible())
        PumpGui();
    PumpGui();
    return form;
}

inline void Free(TForm1* form) {
    delete form;
    PumpGui();
}

inline void TypeKey(TForm1* form, int code, const QString& text) {
    QWidget* list = form->MediaDBList->Widget();
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(list, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(list, &release);
}

} // namespace LibraryBench
