#include "iTunesDB.h"

#include "DataSetRecord.h"
#include "DbBytes.h"
#include "DbHeaderRecord.h"
#include "ListRecord.h"
#include "PlaylistDataRecords.h"
#include "PlaylistItemRecord.h"
#include "PlaylistRecord.h"
#include "StringRecord.h"
#include "TrackRecord.h"

uint32_t SwapBytes32(uint32_t x) {
    return (x >> 24) | ((x >> 8) & 0xFF00) | ((x << 8) & 0xFF0000) | (x << 24);
}

std::string IntToBytesBE(int32_t x) {
    return DbBytes::Built(4, [&](char* r) { DbBytes::Put32(r, 0, static_cast<uint32_t>(x)); });
}

std::string ZeroBytes(int32_t n) {
    return n > 0 ? std::string(static_cast<size_t>(n), '\0') : "";
}

std::string BuildDbHeaderRecord(int32_t totalLength) {
    return TDbHeaderRecord::Build(totalLength);
}

std::string BuildDataSetRecord(int32_t totalLength, int32_t type) {
    return TDataSetRecord::Build(totalLength, type);
}

std::string BuildTrackListRecord(int32_t trackCount) {
    return TListRecord::Build(TListRecord::TrackListTag, trackCount);
}

std::string BuildTrackRecord(int32_t totalLength, int32_t stringCount, int32_t trackId,
                             uint32_t size, int32_t timeMs, int32_t year, int32_t bitRate,
                             int32_t sampleRate, int32_t dbId, uint32_t typeCode) {
    return TTrackRecord::Build({totalLength, stringCount, trackId, size, timeMs, year, bitRate,
                                sampleRate, dbId, typeCode});
}

std::string BuildStringRecord(int32_t type, std::string_view text) {
    return TStringRecord::Build(type, text);
}

std::string BuildPlaylistFixedRecords() {
    return TPlaylistFixedRecords::Build();
}

std::string BuildPositionRecord(int32_t position) {
    return TPositionRecord::Build(position);
}

std::string BuildPlaylistListRecord(int32_t playlistCount) {
    return TListRecord::Build(TListRecord::PlaylistListTag, playlistCount);
}

std::string BuildPlaylistRecord(int32_t totalLength, int32_t itemCount, int32_t master) {
    return TPlaylistRecord::Build(totalLength, itemCount, master);
}

std::string BuildPlaylistItemRecord(int32_t trackId) {
    return TPlaylistItemRecord::Build(trackId);
}
