#include "DataSetRecord.h"
#include "DbHeaderRecord.h"
#include "ListRecord.h"
#include "PlaylistDataRecords.h"
#include "PlaylistItemRecord.h"
#include "PlaylistRecord.h"
#include "StringRecord.h"
#include "TrackColumns.h"
#include "TrackRecord.h"
#include "iTunesDB.h"

namespace {

std::string ExtractFileExt(std::string_view path) {
    const size_t at = path.find_last_of(".\\:");
    if (at == std::string_view::npos || path[at] != '.')
        return "";
    return std::string(path.substr(at));
}

std::string ExtractFileName(std::string_view path) {
    const size_t at = path.find_last_of("\\:");
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

// "E:" for a drive path; a UNC path or a relative one has no drive letter.
std::string ExtractFileDrive(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':')
        return std::string(path.substr(0, 2));
    return "";
}

// Numbers wrap to 32 bits as they do in the file, without overflowing.
int32_t Wrap32(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

} // namespace

int32_t TimeTextToMs(std::string_view time) {
    const size_t colon = time.find(':');
    const std::string_view minutes = colon == std::string_view::npos ? "" : time.substr(0, colon);
    const std::string_view seconds =
        colon == std::string_view::npos ? "" : time.substr(colon + 1, 2);
    const int64_t total = int64_t{StrToInt(minutes)} * 60 + StrToInt(seconds);
    return Wrap32(total * 1000);
}

bool TrackSizeFits(std::string_view sizeText) {
    const int64_t size = StrToInt64(sizeText);
    return size >= 0 && size <= int64_t{0xFFFFFFFF};
}

uint32_t TypeCodeOf(std::string_view fileName) {
    return LowerCase(ExtractFileExt(fileName)) == ".mp3" ? TTrackRecord::Mp3TypeCode
                                                         : TTrackRecord::OtherTypeCode;
}

namespace {

std::string LocationOf(const TTrackRowSnapshot& row, const TDatabaseSnapshot& s) {
    const std::string drive = std::string(1, s.PhoneDrive) + ":";
    if (LowerCase(ExtractFileDrive(row.FileName)) == LowerCase(drive))
        return row.FileName;
    // Anything off the card is taken to lie in the upload folder by the time the
    // phone reads the file.
    std::string upload = s.UploadPath;
    if (upload.empty() || upload.back() != '\\')
        upload += '\\';
    return drive + upload + ExtractFileName(row.FileName);
}

void AppendTrack(std::string& out, const TTrackRowSnapshot& row, int32_t r,
                 const TDatabaseSnapshot& s) {
    TTrackRecord::TFields f;
    f.TimeMs = TimeTextToMs(row.Time);
    if (!TrackSizeFits(row.Size))
        throw EiTunesDBError(
            Format("%s: a size of %s bytes does not fit the database.", {row.FileName, row.Size}));
    f.Size = static_cast<uint32_t>(StrToInt64(row.Size));
    f.BitRate = StrToInt(row.BitRate);
    f.SampleRate = TrackSampleRate;
    f.Year = 2005;
    f.TrackId = Wrap32(int64_t{r} + FirstTrackId);
    f.DbId = Wrap32(int64_t{r} + FirstDbId);
    std::string location;
    if (!row.FileName.empty()) {
        f.TypeCode = TypeCodeOf(row.FileName);
        location = LocationOf(row, s);
    }
    std::string strings;
    const std::pair<int32_t, const std::string*> texts[] = {{TStringRecord::stArtist, &row.Artist},
                                                            {TStringRecord::stTitle, &row.Title},
                                                            {TStringRecord::stAlbum, &row.Album}};
    for (const auto& [type, text] : texts) {
        if (!text->empty()) {
            strings += TStringRecord::Build(type, *text);
            ++f.StringCount;
        }
    }
    strings += TStringRecord::Build(TStringRecord::stGenre, TrackGenre);
    ++f.StringCount;
    if (!location.empty()) {
        strings += TStringRecord::Build(TStringRecord::stLocation, location);
        ++f.StringCount;
    }
    f.TotalLength = Wrap32(int64_t{TTrackRecord::Length} + static_cast<int64_t>(strings.size()));
    out += TTrackRecord::Build(f);
    out += strings;
}

std::string BuildPlaylists(const TDatabaseSnapshot& s) {
    const auto count = static_cast<int32_t>(s.PlaylistNames.size());
    std::string list = TListRecord::Build(TListRecord::PlaylistListTag, count);
    static const std::vector<std::string> none;
    for (int32_t p = 0; p < count; ++p) {
        const auto& entries =
            static_cast<size_t>(p) < s.PlaylistEntries.size() ? s.PlaylistEntries[p] : none;
        std::string items;
        items.reserve(entries.size() * TPlaylistItemRecord::TotalLength);
        for (size_t j = 0; j < entries.size(); ++j) {
            items +=
                TPlaylistItemRecord::Build(Wrap32(int64_t{StrToInt(entries[j])} + FirstTrackId));
            items += TPositionRecord::Build(static_cast<int32_t>(j + 1));
        }
        const std::string name = TStringRecord::Build(TStringRecord::stTitle, s.PlaylistNames[p]);
        const int64_t total = int64_t{TPlaylistRecord::Length} + static_cast<int64_t>(name.size()) +
                              TPlaylistFixedRecords::Length + static_cast<int64_t>(items.size());
        list += TPlaylistRecord::Build(Wrap32(total), static_cast<int32_t>(entries.size()), 0);
        list += name;
        list += TPlaylistFixedRecords::Build();
        list += items;
    }
    return list;
}

} // namespace

std::string BuildDatabase(const TDatabaseSnapshot& s) {
    if (s.PlaylistNames.size() > static_cast<size_t>(MaxPlaylists))
        throw EiTunesDBError(Format("Too many playlists: %d (the phone takes at most %d).",
                                    {static_cast<int>(s.PlaylistNames.size()), MaxPlaylists}));
    std::string tracks;
    tracks.reserve(s.Tracks.size() * 400);
    for (size_t r = 0; r < s.Tracks.size(); ++r)
        AppendTrack(tracks, s.Tracks[r], static_cast<int32_t>(r), s);

    // Built once and written twice, random item bytes included.
    const std::string playlists = BuildPlaylists(s);
    const auto setLength = [](size_t body, int64_t extra) {
        return Wrap32(static_cast<int64_t>(body) + extra);
    };

    std::string body;
    body.reserve(tracks.size() + 2 * playlists.size() + 3 * TDataSetRecord::Length +
                 TListRecord::Length);
    body += TDataSetRecord::Build(
        setLength(tracks.size(), TDataSetRecord::Length + TListRecord::Length),
        TDataSetRecord::dsTracks);
    body += TListRecord::Build(TListRecord::TrackListTag, static_cast<int32_t>(s.Tracks.size()));
    body += tracks;
    const int32_t playlistSet = setLength(playlists.size(), TDataSetRecord::Length);
    body += TDataSetRecord::Build(playlistSet, TDataSetRecord::dsPodcasts);
    body += playlists;
    body += TDataSetRecord::Build(playlistSet, TDataSetRecord::dsPlaylists);
    body += playlists;

    std::string db = TDbHeaderRecord::Build(setLength(body.size(), TDbHeaderRecord::Length));
    db += body;
    return db;
}
