// The eight columns of a track table by name, so that code addresses a column
// through a name the compiler checks; the column's text name is needed only
// where a stored file or the string-list holder asks for it.
#pragma once

#include "BvStringHolder.h"
#include "iTunesDB.h"

#include <cstdint>
#include <string>
#include <string_view>

// In the order the library files store them.
enum class TTrackColumn { Artist, Title, Album, Time, Size, FileName, BitRate, UID };

inline constexpr TTrackColumn TrackColumns[] = {
    TTrackColumn::Artist, TTrackColumn::Title,    TTrackColumn::Album,   TTrackColumn::Time,
    TTrackColumn::Size,   TTrackColumn::FileName, TTrackColumn::BitRate, TTrackColumn::UID};

// What every track has as its genre and sample rate; no column holds them.
inline constexpr std::string_view TrackGenre = "Other";
inline constexpr int32_t TrackSampleRate = 44100;

// The name the column is stored under in the library files and the track tables.
constexpr std::string_view TrackColumnName(TTrackColumn column) {
    switch (column) {
    case TTrackColumn::Artist:
        return "Artist";
    case TTrackColumn::Title:
        return "Title";
    case TTrackColumn::Album:
        return "Album";
    case TTrackColumn::Time:
        return "Time";
    case TTrackColumn::Size:
        return "Size";
    case TTrackColumn::FileName:
        return "FileName";
    case TTrackColumn::BitRate:
        return "BitRate";
    case TTrackColumn::UID:
        return "UID";
    }
    return "";
}

// The member of a row snapshot that holds the column.
constexpr std::string TTrackRowSnapshot::*TrackRowField(TTrackColumn column) {
    switch (column) {
    case TTrackColumn::Artist:
        return &TTrackRowSnapshot::Artist;
    case TTrackColumn::Title:
        return &TTrackRowSnapshot::Title;
    case TTrackColumn::Album:
        return &TTrackRowSnapshot::Album;
    case TTrackColumn::Time:
        return &TTrackRowSnapshot::Time;
    case TTrackColumn::Size:
        return &TTrackRowSnapshot::Size;
    case TTrackColumn::FileName:
        return &TTrackRowSnapshot::FileName;
    case TTrackColumn::BitRate:
        return &TTrackRowSnapshot::BitRate;
    case TTrackColumn::UID:
        return &TTrackRowSnapshot::UID;
    }
    return &TTrackRowSnapshot::UID;
}

// The column's list in a track table; EBvMultiStringHolderException when the
// table lacks it.
inline TStringList& TrackColumn(TBvMultiStringHolder& table, TTrackColumn column) {
    return table.StringsByName(TrackColumnName(column));
}
inline const TStringList& TrackColumn(const TBvMultiStringHolder& table, TTrackColumn column) {
    return table.StringsByName(TrackColumnName(column));
}
