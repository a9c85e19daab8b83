#include "DataSetRecord.h"
#include "DbHeaderRecord.h"
#include "LargeBuffers.h"
#include "ListRecord.h"
#include "PlaylistDataRecords.h"
#include "PlaylistItemRecord.h"
#include "PlaylistRecord.h"
#include "StringRecord.h"
#include "TrackColumns.h"
#include "TrackRecord.h"
#include "iTunesDB.h"

#include <algorithm>
#include <array>

namespace {

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Where the path's last folder separator or drive colon stands, or npos; with
// `dot`, a dot counts too. A plain loop: find_last_of calls memchr for every
// character it passes, which cost a third of the whole build.
size_t LastSeparator(std::string_view path, bool dot) {
    for (size_t i = path.size(); i-- > 0;) {
        const char c = path[i];
        if (c == '\\' || c == ':' || (dot && c == '.'))
            return i;
    }
    return std::string_view::npos;
}

std::string_view ExtractFileExt(std::string_view path) {
    const size_t at = LastSeparator(path, true);
    if (at == std::string_view::npos || path[at] != '.')
        return {};
    return path.substr(at);
}

std::string_view ExtractFileName(std::string_view path) {
    const size_t at = LastSeparator(path, false);
    return at == std::string_view::npos ? path : path.substr(at + 1);
}

// A row's numbers in their usual form, plain digits few enough that they cannot
// overflow, are read right here; false for anything else (a sign, spaces, hex, no
// digits), which goes the general way and fails as it does. A build reads several per row.
bool PlainNumber(std::string_view text, size_t maxDigits, int64_t& value) {
    if (text.empty() || text.size() > maxDigits)
        return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

int64_t RowInt64(std::string_view text) {
    int64_t value;
    return PlainNumber(text, 18, value) ? value : StrToInt64(text);
}

// Nine digits always fit 32 bits.
int32_t RowInt(std::string_view text) {
    int64_t value;
    return PlainNumber(text, 9, value) ? static_cast<int32_t>(value) : StrToInt(text);
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
    const int64_t total = int64_t{RowInt(minutes)} * 60 + RowInt(seconds);
    return Wrap32(total * 1000);
}

namespace {

bool SizeFits(int64_t size) {
    return size >= 0 && size <= int64_t{0xFFFFFFFF};
}

} // namespace

bool TrackSizeFits(std::string_view sizeText) {
    return SizeFits(StrToInt64(sizeText));
}

uint32_t TypeCodeOf(std::string_view fileName) {
    // The extension compared without regard to case, as LowerCase does: ASCII letters only.
    const std::string_view ext = ExtractFileExt(fileName);
    const bool mp3 =
        ext.size() == 4 && AsciiLower(ext[1]) == 'm' && AsciiLower(ext[2]) == 'p' && ext[3] == '3';
    return mp3 ? TTrackRecord::Mp3TypeCode : TTrackRecord::OtherTypeCode;
}

namespace {

// What the image is written from, besides the snapshot: the upload folder as the
// locations use it.
struct TBuildContext {
    const TDatabaseSnapshot& Snapshot;
    std::string Upload; // with its trailing backslash
};

// A track's stored location, without the drive, in two pieces written one after the other.
struct TLocationParts {
    std::string_view Head, Tail;
    size_t Size() const { return Head.size() + Tail.size(); }
};

TLocationParts LocationOf(const TTrackRowSnapshot& row, const TBuildContext& c) {
    const std::string& path = row.FileName;
    // The drive compared as LowerCase compares it: ASCII letters without regard to case.
    if (path.size() >= 2 && path[1] == ':' &&
        AsciiLower(path[0]) == AsciiLower(c.Snapshot.PhoneDrive))
        return {{}, TStringRecord::LocationBody(path)};
    // Anything off the card is taken to lie in the upload folder by the time the
    // phone reads the file. Its location is the phone drive, the upload folder and
    // the file's name; the drive letter and its colon are what the record leaves out.
    return {c.Upload, ExtractFileName(path)};
}

// The texts a track's string records hold, in the order they are written; an
// empty text gets no record, the genre always one.
struct TTrackTexts {
    std::array<std::pair<int32_t, std::string_view>, 4> Texts;
    bool HasLocation;
    TLocationParts Location;
};

TTrackTexts TextsOf(const TTrackRowSnapshot& row, const TBuildContext& c) {
    TTrackTexts t{{{{TStringRecord::stArtist, row.Artist},
                    {TStringRecord::stTitle, row.Title},
                    {TStringRecord::stAlbum, row.Album},
                    {TStringRecord::stGenre, TrackGenre}}},
                  !row.FileName.empty(),
                  {}};
    if (t.HasLocation)
        t.Location = LocationOf(row, c);
    return t;
}

size_t TrackBytes(const TTrackRowSnapshot& row, const TBuildContext& c) {
    const TTrackTexts t = TextsOf(row, c);
    size_t n = TTrackRecord::Length;
    for (const auto& [type, text] : t.Texts)
        if (!text.empty())
            n += TStringRecord::FixedLength + text.size();
    if (t.HasLocation)
        n += TStringRecord::FixedLength + t.Location.Size();
    return n;
}

size_t PlaylistBytes(std::string_view name, size_t items) {
    return TPlaylistRecord::Length + TStringRecord::FixedLength + name.size() +
           TPlaylistFixedRecords::Length + items * TPlaylistItemRecord::TotalLength;
}

const std::vector<std::string>& EntriesOf(const TDatabaseSnapshot& s, size_t p) {
    static const std::vector<std::string> none;
    return p < s.PlaylistEntries.size() ? s.PlaylistEntries[p] : none;
}

// Writes track row r at `rec`, its string records behind it, and returns the
// bytes written. Raises for a number the file cannot take.
size_t WriteTrack(char* rec, const TTrackRowSnapshot& row, int32_t r, const TBuildContext& c) {
    TTrackRecord::TFields f;
    f.TimeMs = TimeTextToMs(row.Time);
    const int64_t size = RowInt64(row.Size);
    if (!SizeFits(size))
        throw EiTunesDBError(
            Format("%s: a size of %s bytes does not fit the database.", {row.FileName, row.Size}));
    f.Size = static_cast<uint32_t>(size);
    f.BitRate = RowInt(row.BitRate);
    f.SampleRate = TrackSampleRate;
    f.Year = 2005;
    f.TrackId = Wrap32(int64_t{r} + FirstTrackId);
    f.DbId = Wrap32(int64_t{r} + FirstDbId);
    if (!row.FileName.empty())
        f.TypeCode = TypeCodeOf(row.FileName);
    const TTrackTexts t = TextsOf(row, c);
    char* at = rec + TTrackRecord::Length;
    for (const auto& [type, text] : t.Texts) {
        if (!text.empty()) {
            at += TStringRecord::Write(at, type, {text});
            ++f.StringCount;
        }
    }
    if (t.HasLocation) {
        at +=
            TStringRecord::Write(at, TStringRecord::stLocation, {t.Location.Head, t.Location.Tail});
        ++f.StringCount;
    }
    // The header goes in last, where it stands, once its strings' length is known.
    f.TotalLength = Wrap32(at - rec);
    TTrackRecord::Write(rec, f);
    return static_cast<size_t>(at - rec);
}

// Writes the playlist list and its playlists at `rec` and returns the bytes written.
size_t WritePlaylists(char* rec, const TDatabaseSnapshot& s) {
    const auto count = static_cast<int32_t>(s.PlaylistNames.size());
    TListRecord::Write(rec, TListRecord::PlaylistListTag, count);
    char* at = rec + TListRecord::Length;
    // The items' random bytes are drawn a batch at a time.
    constexpr size_t Batch = 256;
    uint8_t random[2 * Batch];
    for (int32_t p = 0; p < count; ++p) {
        const auto& entries = EntriesOf(s, static_cast<size_t>(p));
        char* playlist = at;
        at += TPlaylistRecord::Length;
        at += TStringRecord::Write(at, TStringRecord::stTitle, {s.PlaylistNames[p]});
        const std::string& fixed = TPlaylistFixedRecords::Build();
        at += fixed.copy(at, fixed.size());
        for (size_t j = 0; j < entries.size(); ++j) {
            if (j % Batch == 0)
                TPlaylistItemRecord::RandomBytes(random, 2 * std::min(Batch, entries.size() - j));
            TPlaylistItemRecord::Write(at, Wrap32(int64_t{RowInt(entries[j])} + FirstTrackId),
                                       random + 2 * (j % Batch));
            at += TPlaylistItemRecord::Length;
            TPositionRecord::Write(at, static_cast<int32_t>(j + 1));
            at += TPositionRecord::Length;
        }
        TPlaylistRecord::Write(playlist, Wrap32(at - playlist),
                               static_cast<int32_t>(entries.size()), 0);
    }
    return static_cast<size_t>(at - rec);
}

// The byte counts of the image's parts, known before a byte is written.
struct TImageLayout {
    size_t TrackSet = 0, PlaylistSet = 0;
    size_t Size() const { return TDbHeaderRecord::Length + TrackSet + 2 * PlaylistSet; }
};

TImageLayout LayoutOf(const TBuildContext& c) {
    const TDatabaseSnapshot& s = c.Snapshot;
    size_t tracksBytes = 0;
    for (const TTrackRowSnapshot& row : s.Tracks)
        tracksBytes += TrackBytes(row, c);
    size_t playlistsBytes = TListRecord::Length;
    for (size_t p = 0; p < s.PlaylistNames.size(); ++p)
        playlistsBytes += PlaylistBytes(s.PlaylistNames[p], EntriesOf(s, p).size());
    return {TDataSetRecord::Length + TListRecord::Length + tracksBytes,
            TDataSetRecord::Length + playlistsBytes};
}

TBuildContext ContextOf(const TDatabaseSnapshot& s) {
    if (s.PlaylistNames.size() > static_cast<size_t>(MaxPlaylists))
        throw EiTunesDBError(Format("Too many playlists: %d (the phone takes at most %d).",
                                    {static_cast<int>(s.PlaylistNames.size()), MaxPlaylists}));
    TBuildContext c{s, s.UploadPath};
    if (c.Upload.empty() || c.Upload.back() != '\\')
        c.Upload += '\\';
    return c;
}

// Writes every byte of the image at `db`, each record in its place and each header
// after what it holds: the file is never copied, and nothing needs to be cleared first.
void WriteImage(char* const db, const TImageLayout& layout, const TBuildContext& c) {
    const TDatabaseSnapshot& s = c.Snapshot;
    char* at = db + TDbHeaderRecord::Length;
    TDataSetRecord::Write(at, Wrap32(static_cast<int64_t>(layout.TrackSet)),
                          TDataSetRecord::dsTracks);
    at += TDataSetRecord::Length;
    TListRecord::Write(at, TListRecord::TrackListTag, static_cast<int32_t>(s.Tracks.size()));
    at += TListRecord::Length;
    for (size_t r = 0; r < s.Tracks.size(); ++r)
        at += WriteTrack(at, s.Tracks[r], static_cast<int32_t>(r), c);

    // Built once and written twice, random item bytes included.
    char* const podcasts = at;
    TDataSetRecord::Write(podcasts, Wrap32(static_cast<int64_t>(layout.PlaylistSet)),
                          TDataSetRecord::dsPodcasts);
    at += TDataSetRecord::Length;
    at += WritePlaylists(at, s);
    char* const playlists = at;
    TDataSetRecord::Write(playlists, Wrap32(static_cast<int64_t>(layout.PlaylistSet)),
                          TDataSetRecord::dsPlaylists);
    at += TDataSetRecord::Length;
    at = std::copy(podcasts + TDataSetRecord::Length, playlists, at);

    const size_t size = layout.Size();
    TDbHeaderRecord::Write(db, Wrap32(static_cast<int64_t>(size)));
    // The sizes above and the records written must agree, or the lengths in the file lie.
    if (at != db + size)
        throw EiTunesDBError(Format("The database image came out %d bytes long instead of %d.",
                                    {static_cast<int64_t>(at - db), static_cast<int64_t>(size)}));
}

} // namespace

TLargeBuffer BuildDatabaseImage(const TDatabaseSnapshot& s) {
    const TBuildContext c = ContextOf(s);
    const TImageLayout layout = LayoutOf(c);
    TLargeBuffer image(layout.Size());
    WriteImage(image.Data(), layout, c);
    return image;
}

std::string BuildDatabase(const TDatabaseSnapshot& s) {
    const TBuildContext c = ContextOf(s);
    const TImageLayout layout = LayoutOf(c);
    std::string image(layout.Size(), '\0');
    WriteImage(image.data(), layout, c);
    return image;
}
