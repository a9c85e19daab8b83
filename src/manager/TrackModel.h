// The track manager's state without its controls: the track tables, the
// playlists by row number, the paths and run flags, and the routines through
// which the rest of the program reads and changes the track list.
#pragma once

#include "BvStringHolder.h"
#include "PackedTable.h"
#include "TrackColumns.h"
#include "iTunesDB.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// A point in the track view; apart from the windows' own point type, which the windows
// include beside this header.
struct TViewPoint {
    int X = 0;
    int Y = 0;
};

// A track table with the eight columns in their stored order.
TBvMultiStringHolder MakeTrackTable();

// The one rule of file-name equality, for adding, the library and every duplicate
// check: letters compare without regard to case, every other byte exactly, so two
// names that differ in a byte that is not UTF-8 are two files. Two names are the
// same file exactly when their keys are equal.
std::string FileNameKey(std::string_view name);
inline bool SameFileName(std::string_view a, std::string_view b) {
    return FileNameKey(a) == FileNameKey(b);
}

// File names as a set under that rule, for many lookups in a row without a search
// per lookup.
class TFileNameSet {
public:
    TFileNameSet() = default;
    explicit TFileNameSet(const TStrings& names);
    bool Contains(std::string_view name) const { return keys_.count(FileNameKey(name)) != 0; }
    void Add(std::string_view name) { keys_.insert(FileNameKey(name)); }

private:
    std::unordered_set<std::string> keys_;
};

class TTrackModel {
public:
    TTrackModel();

    TBvMultiStringHolder TrackListHolder;
    // The media library, packed: it runs to a hundred thousand rows.
    TPackedTable MediaDB;
    TBvMultiStringHolder DeletedHolder;
    // The reader's output: the eight columns and the playlist names.
    TBvMultiStringHolder TempStringHolder;
    // List i belongs to playlist i; each entry is the decimal text of a track row.
    TPlaylistLists PlaylistTracks;
    // The track keys of each playlist read from a database.
    TPlaylistLists PlaylistTrackUIDs;

    std::string SettingsFile;
    std::string UploadPath = "\\mobile\\audio\\";
    std::string PhoneDBPath;
    // The drive selector's letter.
    char PhoneDrive = 'E';

    // Read by the update workers while the GUI thread sets them.
    std::atomic<uint8_t> ConverterRunning{0};
    std::atomic<uint8_t> CancelRequested{0};
    std::atomic<uint8_t> CopyDone{0};
    std::atomic<uint8_t> ConvertDone{0};
    std::atomic<uint8_t> TransFlashHandled{0};
    std::atomic<int32_t> CopyingFileSize{0};
    std::atomic<int32_t> ConvertingFileSize{0};
    int32_t SearchPos = 0;
    TViewPoint HintMousePos;

    // Clears what one update run leaves behind. TransFlashHandled is no run flag and
    // is meant to survive: it says the automatic read was started for the card now
    // present, and a run must not make the same card be read again.
    void ResetRunFlags();

    // The column's value in a row of the track list, the library or the deleted
    // list. A row out of range raises EListError.
    void GetTrackField(int row, TTrackColumn column, std::string& result) const;
    void GetMediaDBField(int row, TTrackColumn column, std::string& result) const;
    void GetDeletedField(int row, TTrackColumn column, std::string& result) const;

    int TrackCount() const;
    static int StrToTrackIndex(std::string_view text);
    // Whether the FileName column holds the path, by SameFileName.
    bool IsInTrackList(std::string_view path) const;
    // Whether the path lies on the phone's drive.
    bool IsOnPhone(std::string_view path) const;

    // Appends a row with a fresh private serial; returns its row index.
    int AppendTrack(const TTrackRowSnapshot& row);
    // Appends the rows of a track table (a reader's result) column by column, which for
    // thousands of rows is much quicker than row by row. The table's texts are moved into
    // the rows when every column holds exactly that many, else copied. Returns the first
    // new row.
    int AppendTracks(TBvMultiStringHolder& table, int rows);
    // Removes the row (to the deleted list when toDeleted is 1) and renumbers
    // the playlists; entries that are not numbers are left alone. Either all of
    // it happens or, on an error, nothing.
    void DeleteTrack(int row, uint8_t toDeleted);
    // Removes every row marked in `remove` at once, leaving the playlists as
    // DeleteTrack of each, from the last down, would; not to the deleted list.
    void DeleteTracks(const std::vector<bool>& remove);
    // Swaps two rows in every column, their serials with them.
    void ExchangeTracks(int a, int b);
    // Empties the track list, the deleted list and every playlist.
    void ClearTracks();

    // The private serial of a row, never shown, saved or written; workers use it
    // to find their row again after rows have moved. RowOfSerial gives -1 for a
    // row that is gone.
    uint64_t RowSerial(int row);
    int RowOfSerial(uint64_t serial);

    // Adds to list 0 every entry of every playlist and every row it lacks.
    void SyncAllMusic();
    void UpdateAllMusic() { SyncAllMusic(); }

    // What the database build reads, copied so it can run on a worker.
    TDatabaseSnapshot Snapshot(const TStrings& playlistNames) const;

private:
    void SyncSerials();

    std::vector<uint64_t> serials_;
    uint64_t nextSerial_ = 1;
};
