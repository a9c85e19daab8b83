// The database scan: finds records by their tags at every byte offset (never
// by the length fields), writes one report line per tag, and collects the
// tracks into the reader's track table and the playlists' track keys.
#pragma once

#include "BvStringHolder.h"
#include "RecordReport.h"
#include "iTunesDB.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The reader's output table: the eight track columns and the playlist names,
// the last under this name.
inline constexpr std::string_view PlaylistNamesColumn = "Playlists";
TBvMultiStringHolder MakeTempStringHolder();

struct TReaderContext {
    char PhoneDrive = 'E';
    // Whether the track list already holds this path (any letter case); such a
    // track is not taken again.
    std::function<bool(const std::string&)> IsInTrackList;
};

struct TScanResult {
    // One line per tag ending in "hm", CR LF after each; empty when no report was asked for.
    std::string Report;
    uint64_t Size = 0;
    bool Completed = true;
    size_t StopOffset = 0; // where an incomplete record ended the scan
    int DroppedItems = 0;  // items before any playlist or beyond the last list
    int DroppedPlaylists = 0;
    int RefusedLocations = 0;         // locations that climb with ".."
    std::string FirstRefusedLocation; // the first of them, as a card path
    int DamagedRecords = 0;           // records whose length runs past the end, skipped
    // The file ends inside the last playlist, before the items its record counts: a cut master
    // playlist (list 0) is kept as read and flagged; a cut playlist after it is kept when its
    // name was read and dropped (with the items read of it counted) when not.
    bool MasterPlaylistCut = false;
    bool CutPlaylistDropped = false;
    int CutPlaylistItems = 0;
};

// A track whose record was read, waiting for its texts; its numbers are written out
// only when it becomes a row.
struct TPendingTrack {
    bool Read = false;
    bool HasLocation = false; // FileName holds the track's whole path
    uint32_t Id = 0, Size = 0, TimeMs = 0, BitRate = 0;
    std::string Artist, Title, Album;
    std::string FileName; // the path on the phone's drive, once HasLocation
};

class TDatabaseReader {
public:
    // Scans the bytes; clears and fills `temp` (see MakeTempStringHolder) and
    // `uids`. Never throws for anything in the bytes. Only the inspector window
    // shows the report: without `withReport` no line is made and the tracks and
    // playlists collected are the same.
    TScanResult Scan(std::string_view db, TBvMultiStringHolder& temp, TPlaylistLists& uids,
                     const TReaderContext& context, bool withReport = true);

    // The same scan over a file read piece by piece, so the file is never held whole:
    // Begin with the file's size, Feed the pieces in order, and Finish for the result,
    // which is Scan's over the whole file. Begin clears and Feed fills the outputs.
    void Begin(size_t fileSize, TBvMultiStringHolder& temp, TPlaylistLists& uids,
               const TReaderContext& context, bool withReport);
    // Scans what `bytes`, the file's bytes from offset `base` on, let it decode. Returns
    // the offset of the first byte the scan still needs: the next piece starts there
    // (the previous piece's bytes from there on again, then new ones). A piece that does
    // not reach the end of the file must be at least MinFeedBytes long; one that cannot
    // be scanned any further (the returned offset is its own start) must be given again
    // longer.
    size_t Feed(std::string_view bytes, size_t base);
    TScanResult Finish();
    static constexpr size_t MinFeedBytes = 2 * 4096;

private:
    void Reset();
    void HandOver(TScanResult& result);
    struct TSink;
    // What each kind of record adds to the tables; the report's scan and the card read's
    // take the same.
    void Apply(const TDecodedRecord& rec);
    void TakeDataSet();
    void TakeTrackList(uint32_t count);
    void TakeTrack(uint32_t dataCount, uint32_t id, uint32_t size, uint32_t timeMs,
                   uint32_t bitRate);
    void TakePlaylist(uint32_t dataCount, uint32_t count);
    void TakeItem(uint32_t id);
    // `encoding` is the record's (1 UTF-8, 0 UTF-16), or -1 for a text already decoded.
    void TakeString(uint32_t type, std::string_view raw, int encoding);
    void SetLocation(std::string_view raw, int encoding);
    void CheckLastPlaylist(TScanResult& result);

    // The output columns, looked up once per scan.
    struct TColumns {
        TStringList *Artist, *Title, *Album, *Time, *Size, *FileName, *BitRate, *UID, *Playlists;
    };

    TBvMultiStringHolder* temp_ = nullptr;
    TColumns cols_{};
    TPlaylistLists* uids_ = nullptr;
    const TReaderContext* context_ = nullptr;

    // Where the scan stands in the file.
    size_t fileSize_ = 0;
    bool withReport_ = false;
    bool stopped_ = false; // a record ran past the end: nothing after it is scanned
    size_t nextTag_ = 0;   // the first offset not yet looked at for a tag
    // The text bytes of the last string record read, from textBegin_ on: a tag there is
    // part of its text.
    size_t textBegin_ = 0, textLength_ = 0;
    TScanResult result_;
    // The report's scan: one record reused record after record, its strings keeping their room.
    TDecodedRecord rec_;

    bool inTrackList_ = false;
    bool inPlaylist_ = false;
    int mhodsLeft_ = 0;
    int sectionCount_ = 0;
    int playlistIndex_ = -1; // the list that items go to, -1 before any playlist
    bool playlistNamed_ = false;
    int playlistsSeen_ = 0;
    size_t itemRoom_ = 0;               // playlist items the rest of the file could still hold
    uint32_t playlistItemsCounted_ = 0; // what the current playlist's record says it holds
    uint32_t playlistItemsRead_ = 0;
    TPendingTrack pending_;
    // The rows and the playlists' keys collected; the outputs take them whole when the
    // scan ends, rather than entry by entry.
    struct TRows {
        std::vector<std::string> Artist, Title, Album, Time, Size, FileName, BitRate, UID;
    };
    TRows rows_;
    std::array<std::vector<std::string>, MaxPlaylists> keys_;
};
