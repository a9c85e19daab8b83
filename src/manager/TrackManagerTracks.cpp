// Adding music files to the track list: the add commands and the two row builders.
#include "TrackManager.h"

#include "BvID3v1.h"
#include "BvID3v2.h"
#include "BvReadStream.h"
#include "CodecGate.h"
#include "Files.h"
#include "RtFileUtils.h"
#include "ScopeExit.h"
#include "TrackManagerUpdateState.h"
#include "iTunesDB.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <sys/stat.h>
#include <thread>

namespace {

constexpr std::string_view MediaFilter = "Media files (*.mp3;*.m4a)|*.mp3;*.m4a";

std::string Underscores(std::string s) {
    std::replace(s.begin(), s.end(), '_', ' ');
    return s;
}

// Drops the last four characters (the extension with its dot).
std::string Cut(const std::string& s) {
    size_t end = s.size();
    for (int n = 0; n < 4 && end > 0; ++n) {
        --end;
        while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80)
            --end;
    }
    return s.substr(0, end);
}

std::string TimeText(int64_t seconds) {
    if (seconds < 0)
        seconds = 0;
    std::string text = IntToStr(seconds / 60);
    text.push_back(':');
    text.append(IntToStr(seconds % 60));
    return text;
}

std::string FirstStringTrimmed(const TStrings& list) {
    return list.Count() > 0 ? Trim(list[0]) : std::string();
}

std::string ExtOf(const std::string& fileName) {
    return LowerCase(ExtractFileExt(fileName));
}

} // namespace

void TTrackManager::ParseTrackFileName(const std::string& fileName, bool m4aVariant,
                                       std::string& artist, std::string& title) {
    const std::string n = ExtractFileName(fileName);
    const size_t dash = n.find('-');
    if (dash != std::string::npos) {
        const std::string before = n.substr(0, dash);
        const std::string after = n.substr(dash + 1);
        if (m4aVariant) {
            artist = Trim(Underscores(before));
            title = Trim(Underscores(Cut(after)));
        } else {
            artist = Underscores(Trim(before));
            title = Underscores(Trim(Cut(after)));
        }
        return;
    }
    artist = "Unknown Artist";
    title = m4aVariant ? Underscores(Trim(Cut(Trim(n)))) : Trim(Cut(Underscores(Trim(n))));
}

TTrackRowSnapshot TTrackManager::BuildMp3Row(const std::string& fileName) {
    TTrackRowSnapshot row;
    row.FileName = fileName;
    // One open for everything: the ID3v2 tag and the audio behind it come from the
    // head of the file, the ID3v1 trailer from its end. Raises for a file that is
    // gone or is not a regular file, which the caller skips with the message.
    const std::unique_ptr<TBvReadStream> file = OpenTagFile(fileName);
    bool tagged = false;
    // A damaged stream still gives a row with its size.
    row.Size = IntToStr(file->Size());
    row.Time = TimeText(0);
    row.BitRate = IntToStr(0);
    // A tag that cannot be read leaves the file to the file-name rule.
    try {
        TBvID3v2 v2;
        v2.OpenStream(*file);
        const TBvID3FileInfo& fi = v2.FileInfo();
        row.Time = TimeText(fi.LengthSeconds);
        row.Size = IntToStr(fi.FileByteSize);
        row.BitRate = IntToStr(std::max(0, fi.BitrateKbps));
        if (v2.Header().HasTag()) {
            const std::string artist = FirstStringTrimmed(v2.Texts().LeadArtist());
            const std::string title = Trim(v2.Texts().Title());
            if (!artist.empty() || !title.empty()) {
                row.Artist = artist;
                row.Title = title;
                row.Album = Trim(v2.Texts().Album());
                tagged = true;
            }
        }
        v2.Close();
        if (!tagged) {
            TBvID3v1 v1;
            v1.ReadFromStream(*file);
            if (v1.HasTag() && (!Trim(v1.Artist).empty() || !Trim(v1.SongName).empty())) {
                row.Artist = Trim(v1.Artist);
                row.Title = Trim(v1.SongName);
                row.Album = Trim(v1.Album);
                tagged = true;
            }
        }
    } catch (const Exception&) {
        tagged = false;
    }
    if (!tagged) {
        ParseTrackFileName(fileName, false, row.Artist, row.Title);
        row.Album = "Unknown Album";
    }
    return row;
}

TTrackRowSnapshot TTrackManager::BuildM4aRow(const std::string& fileName, bool forMediaDB) {
    // Asked without opening: a named pipe would block the open, a device never ends.
    struct stat st {};
    const std::string path = ResolvePath(fileName);
    if (!path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        throw EFOpenError(Format("%s is not a file", {fileName}));
    TTrackRowSnapshot row;
    ParseTrackFileName(fileName, !forMediaDB, row.Artist, row.Title);
    row.Album = "Unknown Album";
    // Raises for a file that is gone, which the caller skips.
    const int64_t bytes = GetSizeOfFile(fileName);
    int64_t seconds = 0;
    try {
        std::string quoted(1, '"');
        quoted.append(fileName).push_back('"');
        seconds = CodecGate::gettime(quoted);
    } catch (const Exception&) {
        // A damaged file keeps its row, without a playing time.
        seconds = 0;
    }
    row.Time = TimeText(seconds);
    row.Size = IntToStr(bytes);
    row.FileName = fileName;
    // The library keeps no bitrate for M4A files; a file without a time gets none.
    row.BitRate = IntToStr(forMediaDB || seconds <= 0 ? 0 : (bytes / 1024) * 8 / seconds);
    return row;
}

int TTrackManager::AddMp3ToTrackList(const std::string& fileName) {
    try {
        TTrackRowSnapshot row = BuildMp3Row(fileName);
        row.UID = IntToStr(Model.TrackCount());
        return Model.AppendTrack(row);
    } catch (const Exception& e) {
        Log.AddLog(Format("Could not add %s: %s", {fileName, e.Message()}));
        return -1;
    }
}

int TTrackManager::AddM4aToTrackList(const std::string& fileName) {
    try {
        TTrackRowSnapshot row = BuildM4aRow(fileName, false);
        row.UID = IntToStr(Model.TrackCount());
        return Model.AppendTrack(row);
    } catch (const Exception& e) {
        Log.AddLog(Format("Could not add %s: %s", {fileName, e.Message()}));
        return -1;
    }
}

// One add of files: what is left to add and what it gathered so far.
struct TTrackManager::TAddJob {
    std::vector<std::string> Paths;
    size_t Next = 0;
    bool SkipListed = false;
    int Playlist = -1;
    // The listed names under the file-name rule; a lookup per file keeps a folder of
    // thousands of files from growing quadratically.
    TFileNameSet Listed;
    std::vector<std::string> Failed;
    // Every file was tried; the view's refresh is left to a turn of its own.
    bool AllTried = false;
    // A piece has run: a Stop that came before the first lets that one in, as Stop ends an
    // add after its current piece.
    bool Started = false;
    TMainThreadTimer Timer;
};

void TTrackManager::AddFilesToTrackList(const std::vector<std::string>& paths, bool skipListed) {
    StartAdding(paths, skipListed, SelectedPlaylist(), false);
}

void TTrackManager::StartAdding(const std::vector<std::string>& paths, bool skipListed,
                                int playlist, bool inRun) {
    auto job = std::make_shared<TAddJob>();
    job->Paths = paths;
    job->SkipListed = skipListed;
    job->Playlist = playlist;
    if (skipListed)
        job->Listed = TFileNameSet(TrackColumn(Model.TrackListHolder, TTrackColumn::FileName));
    // An add that goes on from a finished search takes its first piece on a tick, as every
    // later one: the search's end came on a turn of its own.
    if (inRun && !paths.empty()) {
        addJob_ = job;
        job->Timer.SetInterval(1);
        job->Timer.SetOnTimer([this] { AddingPiece(); });
        job->Timer.SetEnabled(true);
        return;
    }
    job->Started = true;
    if (!AddSomeFiles(*job, AddPieceMs)) {
        TScopeExit ended([this, inRun] {
            if (inRun)
                EndAddRun();
        });
        FinishAdding(*job);
        return;
    }
    // The rest goes on the next turns, as a run: held commands wait for its end, and Stop
    // ends it after its current file.
    if (!inRun) {
        auto& st = UpdateStateOf(*this);
        Model.CancelRequested = 0;
        ++st.CardBusy;
        st.BeginRun(TRunKind::Add);
    }
    // A timer's tick runs one piece per turn of the event loop; calls posted from a posted
    // call may all run in the same turn.
    addJob_ = job;
    job->Timer.SetInterval(1);
    job->Timer.SetOnTimer([this] { AddingPiece(); });
    job->Timer.SetEnabled(true);
}

void TTrackManager::EndAddRun() {
    auto& st = UpdateStateOf(*this);
    --st.CardBusy;
    st.EndRun();
}

bool TTrackManager::AddSomeFiles(TAddJob& job, int pieceMs) {
    // pieceMs 0: every file that is left.
    // A piece takes at least this many names, so a short add still ends in its own turn.
    constexpr size_t MinPiece = 100;
    const size_t first = job.Next;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(pieceMs);
    while (job.Next < job.Paths.size()) {
        if (pieceMs > 0 && job.Next - first >= MinPiece &&
            std::chrono::steady_clock::now() >= until)
            return true;
        const std::string& path = job.Paths[job.Next++];
        const std::string ext = ExtOf(path);
        if (ext != ".mp3" && ext != ".m4a")
            continue;
        if (DirectoryExists(path))
            continue;
        if (job.SkipListed && job.Listed.Contains(path))
            continue;
        const int row = ext == ".mp3" ? AddMp3ToTrackList(path) : AddM4aToTrackList(path);
        if (row < 0) {
            job.Failed.push_back(path);
            continue;
        }
        if (job.SkipListed)
            job.Listed.Add(path);
        if (job.Playlist >= 1 && job.Playlist < MaxPlaylists)
            Model.PlaylistTracks[static_cast<size_t>(job.Playlist)].Add(IntToStr(row));
    }
    return false;
}

void TTrackManager::AddingPiece() {
    std::shared_ptr<TAddJob> job = addJob_;
    if (!job)
        return;
    // Stop keeps what was added and adds no more. The last piece leaves the refresh of the
    // view to the next turns: the two together would hold the loop for twice as long.
    if ((Model.CancelRequested == 0 || !job->Started) && !job->AllTried) {
        job->Started = true;
        job->AllTried = !AddSomeFiles(*job, AddPieceMs);
        return;
    }
    job->Timer.SetEnabled(false);
    addJob_.reset();
    // The timer goes on the next pump, not inside its own tick.
    Queue([job] {});
    bool filling = false;
    // The run ends however the finish ends: with the view's fill, or here if it never began.
    TScopeExit ended([this, &filling] {
        if (!filling)
            EndAddRun();
    });
    Model.UpdateAllMusic();
    filling = true;
    RefreshTrackViewInPieces([this, job] {
        TScopeExit runEnded([this] {
            // A Stop during the fill stops nothing, and is not left for the next run.
            Model.CancelRequested = 0;
            EndAddRun();
        });
        ShowAddFailures(*job);
    });
}

void TTrackManager::FinishAdding(TAddJob& job) {
    Model.UpdateAllMusic();
    RefreshTrackView();
    ShowAddFailures(job);
}

void TTrackManager::ShowAddFailures(const TAddJob& job) {
    if (!job.Failed.empty()) {
        std::string list;
        for (const std::string& f : job.Failed)
            list += "\r\n" + f;
        ui_.ShowWarning("These files could not be added:" + list);
    }
}

void TTrackManager::btnAddFileClick() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    std::vector<std::string> files;
    if (!ui_.OpenFiles(std::string(MediaFilter), files))
        files.clear();
    AddFilesToTrackList(files, true);
}

// The search and what it found. The worker writes Found and Error before it sets Searched;
// the GUI thread reads them after.
struct TTrackManager::TFolderSearch {
    std::thread Worker;
    // Which search a worker's end belongs to.
    uint64_t Serial = 0;
    std::promise<void> Done;
    std::future<void> Searched = Done.get_future();
    int Playlist = -1;
    std::vector<std::string> Found;
    std::string Error;
    // A window that goes while the worker searches waits for it.
    ~TFolderSearch() {
        if (Worker.joinable())
            Worker.join();
    }
};

void TTrackManager::btnAddDIRClick() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    std::string folder;
    if (!ui_.SelectFolder(folder))
        return;
    if (AddPieceMs <= 0) {
        TStringList found;
        try {
            FindMusicFilesRecursive(folder, found);
        } catch (const Exception& e) {
            ui_.ShowWarning(e.Message());
        }
        AddFilesToTrackList(found.Items(), true);
        return;
    }
    // A large folder takes long to search: it is searched on a worker while the window
    // answers. A search that ends within half a piece goes on at once, as a search on this
    // thread would; a longer one ends on a later turn, as part of the add's run. The files go
    // to the playlist chosen now.
    static uint64_t searches = 0;
    auto search = std::make_shared<TFolderSearch>();
    search->Serial = ++searches;
    search->Playlist = SelectedPlaylist();
    auto& st = UpdateStateOf(*this);
    search->Worker =
        std::thread([raw = search.get(), serial = search->Serial, folder, alive = st.Alive] {
            try {
                TStringList found;
                FindMusicFilesRecursive(folder, found);
                raw->Found = found.Items();
            } catch (const Exception& e) {
                raw->Error = e.Message();
            } catch (const std::exception& e) {
                raw->Error = e.what();
            }
            raw->Done.set_value();
            Queue([alive, serial] {
                if (*alive)
                    (*alive)->FolderSearchEnded(serial);
            });
        });
    if (search->Searched.wait_for(std::chrono::milliseconds(AddPieceMs / 2)) ==
        std::future_status::ready) {
        search->Worker.join();
        if (!search->Error.empty())
            ui_.ShowWarning(search->Error);
        StartAdding(search->Found, true, search->Playlist, false);
        return;
    }
    Model.CancelRequested = 0;
    ++st.CardBusy;
    st.BeginRun(TRunKind::Add);
    folderSearch_ = std::move(search);
}

void TTrackManager::FolderSearchEnded(uint64_t serial) {
    BV_ASSERT_GUI_THREAD();
    // The end of a search that went on at once, or of one a closing window waited for, finds
    // nothing to do.
    if (!folderSearch_ || folderSearch_->Serial != serial)
        return;
    std::shared_ptr<TFolderSearch> search = std::move(folderSearch_);
    search->Worker.join();
    bool started = false;
    // The run ends here unless the add goes on with it.
    TScopeExit ended([this, &started] {
        if (!started)
            EndAddRun();
    });
    if (!search->Error.empty())
        ui_.ShowWarning(search->Error);
    started = true;
    StartAdding(search->Found, true, search->Playlist, true);
}

void TTrackManager::BvDragDrop1Drop(const std::vector<std::string>& paths) {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    AddFilesToTrackList(paths, false);
}
