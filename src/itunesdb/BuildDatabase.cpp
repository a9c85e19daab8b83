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
#include <memory>

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

size_t TrackBytes(const TTrackTexts& t) {
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

// A track's numbers as its row gives them.
struct TTrackNumbers {
    int32_t TimeMs;
    uint32_t Size;
    int32_t BitRate;
};

// Raises for a number the file cannot take.
TTrackNumbers NumbersOf(const TTrackRowSnapshot& row) {
    TTrackNumbers n;
    n.TimeMs = TimeTextToMs(row.Time);
    const int64_t size = RowInt64(row.Size);
    if (!SizeFits(size))
        throw EiTunesDBError(
            Format("%s: a size of %s bytes does not fit the database.", {row.FileName, row.Size}));
    n.Size = static_cast<uint32_t>(size);
    n.BitRate = RowInt(row.BitRate);
    return n;
}

// Where the records are written: either the whole image, sized beforehand, or a small
// buffer handed over to a sink whenever the next record does not fit behind what it holds.
class TImageOut {
public:
    // The whole image at `image`, `size` bytes.
    TImageOut(char* image, size_t size) : buffer_(image), capacity_(size) {}
    // Pieces of at most `pieceSize` bytes (more for a single record that is larger), in
    // a buffer on large pages when it is large enough for one.
    TImageOut(const TImagePieceSink& sink, size_t pieceSize)
        : owned_(pieceSize), buffer_(owned_.Data()), capacity_(pieceSize), sink_(&sink) {}

    // Room for n bytes, to be written and then passed to Advance.
    char* Reserve(size_t n) {
        if (n > capacity_ - used_)
            MakeRoom(n);
        return buffer_ + used_;
    }
    void Advance(size_t n) { used_ += n; }
    // Everything written so far, for the checks of the length.
    size_t Written() const { return handed_ + used_; }
    // Hands the bytes not yet handed over.
    void Flush() {
        if (sink_ && used_ > 0)
            (*sink_)({buffer_, used_});
        handed_ += used_;
        used_ = 0;
    }

private:
    void MakeRoom(size_t n) {
        // The whole image has the room its layout asked for, or the layout is wrong.
        if (!sink_)
            throw EiTunesDBError(Format("The database image came out longer than its %d bytes.",
                                        {static_cast<int64_t>(capacity_)}));
        Flush();
        if (n > capacity_) {
            owned_ = {}; // the old piece's memory first, so the two never add up
            owned_ = TLargeBuffer(n);
            buffer_ = owned_.Data();
            capacity_ = n;
        }
    }

    TLargeBuffer owned_;
    char* buffer_;
    size_t capacity_;
    size_t used_ = 0, handed_ = 0;
    const TImagePieceSink* sink_ = nullptr;
};

// Writes track row r, its string records behind it.
void WriteTrack(TImageOut& out, const TTrackRowSnapshot& row, const TTrackNumbers& n, int32_t r,
                const TBuildContext& c) {
    TTrackRecord::TFields f;
    f.TimeMs = n.TimeMs;
    f.Size = n.Size;
    f.BitRate = n.BitRate;
    f.SampleRate = TrackSampleRate;
    f.Year = 2005;
    f.TrackId = Wrap32(int64_t{r} + FirstTrackId);
    f.DbId = Wrap32(int64_t{r} + FirstDbId);
    if (!row.FileName.empty())
        f.TypeCode = TypeCodeOf(row.FileName);
    const TTrackTexts t = TextsOf(row, c);
    const size_t bytes = TrackBytes(t);
    char* const rec = out.Reserve(bytes);
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
    out.Advance(bytes);
}

} // namespace

// What a write needs beyond the snapshot, made before the first byte: the upload folder,
// every number of the rows and entries read, the items' random bytes drawn, the lengths
// of the parts.
struct TImagePlan {
    TBuildContext Context;
    std::vector<TTrackNumbers> Tracks;
    // The items playlist after playlist: the track ids, and two random bytes for each.
    std::vector<int32_t> ItemIds;
    std::vector<uint8_t> Random;
    size_t TrackSet = 0, PlaylistSet = 0;
    size_t Size() const { return TDbHeaderRecord::Length + TrackSet + 2 * PlaylistSet; }
};

namespace {

TBuildContext ContextOf(const TDatabaseSnapshot& s) {
    if (s.PlaylistNames.size() > static_cast<size_t>(MaxPlaylists))
        throw EiTunesDBError(Format("Too many playlists: %d (the phone takes at most %d).",
                                    {static_cast<int>(s.PlaylistNames.size()), MaxPlaylists}));
    TBuildContext c{s, s.UploadPath};
    if (c.Upload.empty() || c.Upload.back() != '\\')
        c.Upload += '\\';
    return c;
}

// The playlist list and its playlists, the same bytes each time it is called.
void WritePlaylists(TImageOut& out, const TImagePlan& p) {
    const TDatabaseSnapshot& s = p.Context.Snapshot;
    const auto count = static_cast<int32_t>(s.PlaylistNames.size());
    TListRecord::Write(out.Reserve(TListRecord::Length), TListRecord::PlaylistListTag, count);
    out.Advance(TListRecord::Length);
    const std::string& fixed = TPlaylistFixedRecords::Build();
    const int32_t* id = p.ItemIds.data();
    const uint8_t* random = p.Random.data();
    for (int32_t l = 0; l < count; ++l) {
        const auto& entries = EntriesOf(s, static_cast<size_t>(l));
        const std::string& name = s.PlaylistNames[static_cast<size_t>(l)];
        const size_t head = TPlaylistRecord::Length + TStringRecord::FixedLength + name.size() +
                            TPlaylistFixedRecords::Length;
        char* rec = out.Reserve(head);
        TPlaylistRecord::Write(rec,
                               Wrap32(static_cast<int64_t>(PlaylistBytes(name, entries.size()))),
                               static_cast<int32_t>(entries.size()), 0);
        char* at = rec + TPlaylistRecord::Length;
        at += TStringRecord::Write(at, TStringRecord::stTitle, {name});
        fixed.copy(at, fixed.size());
        out.Advance(head);
        for (size_t j = 0; j < entries.size(); ++j, ++id, random += 2) {
            char* item = out.Reserve(TPlaylistItemRecord::TotalLength);
            TPlaylistItemRecord::Write(item, *id, random);
            TPositionRecord::Write(item + TPlaylistItemRecord::Length, static_cast<int32_t>(j + 1));
            out.Advance(TPlaylistItemRecord::TotalLength);
        }
    }
}

// Writes every byte of the image in order, each length ahead of what it counts, so
// nothing is patched afterwards and nothing needs to be cleared first.
void WriteImage(TImageOut& out, const TImagePlan& p) {
    const TBuildContext& c = p.Context;
    const TDatabaseSnapshot& s = c.Snapshot;
    const size_t size = p.Size();
    TDbHeaderRecord::Write(out.Reserve(TDbHeaderRecord::Length),
                           Wrap32(static_cast<int64_t>(size)));
    out.Advance(TDbHeaderRecord::Length);
    char* at = out.Reserve(TDataSetRecord::Length + TListRecord::Length);
    TDataSetRecord::Write(at, Wrap32(static_cast<int64_t>(p.TrackSet)), TDataSetRecord::dsTracks);
    TListRecord::Write(at + TDataSetRecord::Length, TListRecord::TrackListTag,
                       static_cast<int32_t>(s.Tracks.size()));
    out.Advance(TDataSetRecord::Length + TListRecord::Length);
    for (size_t r = 0; r < s.Tracks.size(); ++r)
        WriteTrack(out, s.Tracks[r], p.Tracks[r], static_cast<int32_t>(r), c);
    // The same playlists twice, random item bytes included.
    for (const int32_t type : {TDataSetRecord::dsPodcasts, TDataSetRecord::dsPlaylists}) {
        TDataSetRecord::Write(out.Reserve(TDataSetRecord::Length),
                              Wrap32(static_cast<int64_t>(p.PlaylistSet)), type);
        out.Advance(TDataSetRecord::Length);
        WritePlaylists(out, p);
    }
    // The sizes above and the records written must agree, or the lengths in the file lie;
    // checked before the last piece goes.
    if (out.Written() != size)
        throw EiTunesDBError(
            Format("The database image came out %d bytes long instead of %d.",
                   {static_cast<int64_t>(out.Written()), static_cast<int64_t>(size)}));
    out.Flush();
}

} // namespace

TDatabaseImageWriter::TDatabaseImageWriter(const TDatabaseSnapshot& s)
    : plan_(std::make_unique<TImagePlan>(TImagePlan{ContextOf(s), {}, {}, {}})) {
    TImagePlan& p = *plan_;
    p.Tracks.reserve(s.Tracks.size());
    size_t tracksBytes = 0;
    for (const TTrackRowSnapshot& row : s.Tracks) {
        p.Tracks.push_back(NumbersOf(row));
        tracksBytes += TrackBytes(TextsOf(row, p.Context));
    }
    p.TrackSet = TDataSetRecord::Length + TListRecord::Length + tracksBytes;

    // The items' random bytes are drawn a batch at a time, playlist after playlist, the
    // first batch of a playlist before its first entry is read.
    constexpr size_t Batch = 256;
    size_t items = 0;
    for (size_t l = 0; l < s.PlaylistNames.size(); ++l)
        items += EntriesOf(s, l).size();
    p.ItemIds.resize(items);
    p.Random.resize(2 * items);
    int32_t* id = p.ItemIds.data();
    uint8_t* random = p.Random.data();
    size_t playlistsBytes = TListRecord::Length;
    for (size_t l = 0; l < s.PlaylistNames.size(); ++l) {
        const auto& entries = EntriesOf(s, l);
        for (size_t j = 0; j < entries.size(); ++j) {
            if (j % Batch == 0)
                TPlaylistItemRecord::RandomBytes(random + 2 * j,
                                                 2 * std::min(Batch, entries.size() - j));
            id[j] = Wrap32(int64_t{RowInt(entries[j])} + FirstTrackId);
        }
        id += entries.size();
        random += 2 * entries.size();
        playlistsBytes += PlaylistBytes(s.PlaylistNames[l], entries.size());
    }
    p.PlaylistSet = TDataSetRecord::Length + playlistsBytes;
}

TDatabaseImageWriter::~TDatabaseImageWriter() = default;

size_t TDatabaseImageWriter::Size() const {
    return plan_->Size();
}

void TDatabaseImageWriter::Write(const TImagePieceSink& write, size_t pieceSize) const {
    // A small image needs no buffer larger than itself.
    TImageOut out(write, std::max<size_t>(std::min(pieceSize, Size()), 1));
    WriteImage(out, *plan_);
}

void TDatabaseImageWriter::WriteInto(char* image) const {
    TImageOut out(image, Size());
    WriteImage(out, *plan_);
}

void WriteDatabaseImage(const TDatabaseSnapshot& s, const TImagePieceSink& write) {
    TDatabaseImageWriter(s).Write(write);
}

TLargeBuffer BuildDatabaseImage(const TDatabaseSnapshot& s) {
    const TDatabaseImageWriter writer(s);
    TLargeBuffer image(writer.Size());
    writer.WriteInto(image.Data());
    return image;
}

std::string BuildDatabase(const TDatabaseSnapshot& s) {
    const TDatabaseImageWriter writer(s);
    std::string image(writer.Size(), '\0');
    writer.WriteInto(image.data());
    return image;
}
