// Adding music files to the track list: the add commands and the two row builders.
#include "TrackManager.h"

#include "BvID3v1.h"
#include "BvID3v2.h"
#include "BvReadStream.h"
#include "CodecGate.h"
#include "Files.h"
#include "RtFileUtils.h"
#include "iTunesDB.h"

#include <algorithm>
#include <sys/stat.h>

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

void TTrackManager::AddFilesToTrackList(const std::vector<std::string>& paths, bool skipListed) {
    const int playlist = SelectedPlaylist();
    std::vector<std::string> failed;
    // The listed names under the file-name rule; a lookup per file keeps a folder
    // of thousands of files from growing quadratically.
    TFileNameSet listed;
    if (skipListed)
        listed = TFileNameSet(TrackColumn(Model.TrackListHolder, TTrackColumn::FileName));
    for (const std::string& path : paths) {
        const std::string ext = ExtOf(path);
        if (ext != ".mp3" && ext != ".m4a")
            continue;
        if (DirectoryExists(path))
            continue;
        if (skipListed && listed.Contains(path))
            continue;
        const int row = ext == ".mp3" ? AddMp3ToTrackList(path) : AddM4aToTrackList(path);
        if (row < 0) {
            failed.push_back(path);
            continue;
        }
        if (skipListed)
            listed.Add(path);
        if (playlist >= 1 && playlist < MaxPlaylists)
            Model.PlaylistTracks[static_cast<size_t>(playlist)].Add(IntToStr(row));
    }
    Model.UpdateAllMusic();
    RefreshTrackView();
    if (!failed.empty()) {
        std::string list;
        for (const std::string& f : failed)
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

void TTrackManager::btnAddDIRClick() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    std::string folder;
    if (!ui_.SelectFolder(folder))
        return;
    TStringList found;
    try {
        FindMusicFilesRecursive(folder, found);
    } catch (const Exception& e) {
        ui_.ShowWarning(e.Message());
    }
    AddFilesToTrackList(found.Items(), true);
}

void TTrackManager::BvDragDrop1Drop(const std::vector<std::string>& paths) {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    AddFilesToTrackList(paths, false);
}
