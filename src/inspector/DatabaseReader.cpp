#include "DatabaseReader.h"

#include "DataSetRecord.h"
#include "PlaylistItemRecord.h"
#include "RecordFields.h"
#include "RecordReport.h"
#include "StringRecord.h"
#include "TextCodec.h"
#include "TrackColumns.h"
#include "TrackRecord.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

TBvMultiStringHolder MakeTempStringHolder() {
    TBvMultiStringHolder table;
    for (TTrackColumn column : TrackColumns)
        table.MultipleStrings().Add().SetName(std::string(TrackColumnName(column)));
    table.MultipleStrings().Add().SetName(std::string(PlaylistNamesColumn));
    return table;
}

namespace {

// A location such as E:\mobile\..\..\x.mp3 would name a file outside the
// folders the database may point at.
bool ClimbsUp(std::string_view path) {
    if (path.find("..") == std::string_view::npos)
        return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (path.substr(start, end - start) == "..")
            return true;
        start = end + 1;
    }
    return false;
}

// A number in decimal, as TrackKey writes it, straight into its place in a column.
void AddNumber(std::vector<std::string>& column, uint32_t n) {
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    column.emplace_back(digits, end);
}

// The playing time as PlayingTimeText writes it, straight into its place in a column.
void AddPlayingTime(std::vector<std::string>& column, uint32_t ms) {
    const uint32_t seconds = ms / 1000;
    char text[24];
    char* end = std::to_chars(text, text + 11, seconds / 60).ptr;
    *end++ = ':';
    end = std::to_chars(end, text + sizeof text, seconds % 60).ptr;
    column.emplace_back(text, end);
}

// The rows a column's room is made present for at a time.
constexpr size_t RowsAhead = 2048;

// Makes the pages of the column's reserved room for its next RowsAhead rows present in one
// call, when its rows reach them: the system would otherwise stop the scan once for every
// page the rows first touch. Room a damaged count reserved beyond the rows read is never
// made present.
void PrepareRoom(std::vector<std::string>& column) {
#ifdef MADV_POPULATE_WRITE
    if (column.size() % RowsAhead != 0)
        return;
    const size_t rows = std::min(RowsAhead, column.capacity() - column.size());
    static const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    // Only whole pages inside the room: its edges may share a page with other memory.
    const auto from = reinterpret_cast<uintptr_t>(column.data() + column.size());
    const auto to = reinterpret_cast<uintptr_t>(column.data() + column.size() + rows);
    const uintptr_t first = (from + page - 1) / page * page;
    const uintptr_t last = to / page * page;
    if (last > first)
        // A system without it leaves the pages to be brought in one by one, as before.
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#else
    (void)column;
#endif
}

// A text the record's decoding already made UTF-8, as the report's scan hands it over.
constexpr int DecodedText = -1;

// A string record's text in a string of its own size; one already decoded as it is.
std::string TextOf(std::string_view raw, int encoding) {
    if (encoding == DecodedText)
        return std::string(raw);
    return StringText(raw, static_cast<uint8_t>(encoding));
}

} // namespace

void TDatabaseReader::Reset() {
    inTrackList_ = false;
    inPlaylist_ = false;
    mhodsLeft_ = 0;
    sectionCount_ = 0;
    playlistIndex_ = -1;
    playlistNamed_ = false;
    playlistsSeen_ = 0;
    playlistItemsCounted_ = 0;
    playlistItemsRead_ = 0;
    pending_ = {};
    rows_ = {};
    for (auto& keys : keys_)
        keys = {};
    using enum TTrackColumn;
    cols_ = {&TrackColumn(*temp_, Artist),
             &TrackColumn(*temp_, Title),
             &TrackColumn(*temp_, Album),
             &TrackColumn(*temp_, Time),
             &TrackColumn(*temp_, Size),
             &TrackColumn(*temp_, FileName),
             &TrackColumn(*temp_, BitRate),
             &TrackColumn(*temp_, UID),
             &temp_->StringsByName(PlaylistNamesColumn)};
    for (TStringList* list : {cols_.UID, cols_.Artist, cols_.Title, cols_.Album, cols_.Size,
                              cols_.Time, cols_.FileName, cols_.BitRate, cols_.Playlists})
        list->Clear();
    for (auto& list : *uids_)
        list.Clear();
}

void TDatabaseReader::HandOver(TScanResult& result) {
    if (!pending_.Read)
        return;
    std::string& path = pending_.FileName;
    if (!pending_.HasLocation) {
        // A track without a location record is the drive's root: the path is the drive alone.
        path.clear();
        path += context_->PhoneDrive;
        path += ':';
    }
    if (ClimbsUp(path)) {
        if (result.RefusedLocations++ == 0)
            result.FirstRefusedLocation = path;
    } else if (!context_->IsInTrackList || !context_->IsInTrackList(path)) {
        if (rows_.UID.size() % RowsAhead == 0)
            for (auto* column : {&rows_.Artist, &rows_.Title, &rows_.Album, &rows_.Size,
                                 &rows_.Time, &rows_.FileName, &rows_.BitRate, &rows_.UID})
                PrepareRoom(*column);
        rows_.Artist.push_back(std::move(pending_.Artist));
        rows_.Album.push_back(std::move(pending_.Album));
        AddNumber(rows_.Size, pending_.Size);
        rows_.Title.push_back(std::move(pending_.Title));
        AddPlayingTime(rows_.Time, pending_.TimeMs);
        AddNumber(rows_.BitRate, pending_.BitRate);
        rows_.FileName.push_back(std::move(path));
        AddNumber(rows_.UID, pending_.Id);
    }
    pending_.Read = false;
    pending_.HasLocation = false;
    pending_.Artist.clear();
    pending_.Title.clear();
    pending_.Album.clear();
    pending_.FileName.clear();
}

// The path is built once, at its final size, as the location is read: the drive, then the
// stored location with its colons turned back into backslashes.
void TDatabaseReader::SetLocation(std::string_view raw, int encoding) {
    const size_t n = encoding != 0 ? raw.size() : raw.size() / 2;
    std::string path(2 + n, '\0');
    path[0] = context_->PhoneDrive;
    path[1] = ':';
    char* out = path.data() + 2;
    // A location of ASCII letters, as nearly all are, goes straight from the record's bytes.
    bool plain;
    if (encoding != 0) {
        plain = IsAscii(raw);
        if (plain)
            std::replace_copy(raw.begin(), raw.end(), out, ':', '\\');
    } else {
        unsigned high = 0;
        for (size_t k = 0; k < n; ++k) {
            const auto c = static_cast<unsigned char>(raw[2 * k]);
            high |= (c & 0x80u) | static_cast<unsigned char>(raw[2 * k + 1]);
            out[k] = c == ':' ? '\\' : static_cast<char>(c);
        }
        plain = high == 0;
    }
    if (!plain) {
        const std::string text = TextOf(raw, encoding);
        path = std::string(2 + text.size(), '\0');
        path[0] = context_->PhoneDrive;
        path[1] = ':';
        std::replace_copy(text.begin(), text.end(), path.begin() + 2, ':', '\\');
    }
    pending_.FileName = std::move(path);
    pending_.HasLocation = true;
}

void TDatabaseReader::TakeDataSet() {
    HandOver(result_);
    ++sectionCount_;
}

void TDatabaseReader::TakeTrackList(uint32_t count) {
    inTrackList_ = true;
    // Room for the tracks the list announces, so the columns never grow by copying.
    for (auto* column : {&rows_.Artist, &rows_.Title, &rows_.Album, &rows_.Size, &rows_.Time,
                         &rows_.FileName, &rows_.BitRate, &rows_.UID})
        column->reserve(column->size() + count);
}

void TDatabaseReader::TakeTrack(uint32_t dataCount, uint32_t id, uint32_t size, uint32_t timeMs,
                                uint32_t bitRate) {
    HandOver(result_);
    mhodsLeft_ = static_cast<int>(dataCount);
    pending_.Read = true;
    pending_.Id = id;
    pending_.Size = size;
    pending_.TimeMs = timeMs;
    pending_.BitRate = bitRate;
}

void TDatabaseReader::TakePlaylist(uint32_t dataCount, uint32_t count) {
    inPlaylist_ = true;
    // Each playlist gets a list of its own, named or not, so its items
    // never join the playlist before it.
    if (sectionCount_ >= 3)
        return;
    if (playlistsSeen_ < MaxPlaylists) {
        cols_.Playlists->Add("");
        playlistIndex_ = playlistsSeen_;
        // Each playlist's count is checked against the whole rest of the file, so
        // together they may reserve only what the file could hold.
        const size_t room = std::min<size_t>(count, itemRoom_);
        itemRoom_ -= room;
        keys_[static_cast<size_t>(playlistIndex_)].reserve(room);
    } else {
        ++result_.DroppedPlaylists;
        playlistIndex_ = MaxPlaylists;
    }
    ++playlistsSeen_;
    playlistNamed_ = false;
    playlistItemsCounted_ = dataCount;
    playlistItemsRead_ = 0;
}

void TDatabaseReader::TakeItem(uint32_t id) {
    if (sectionCount_ >= 3)
        return;
    if (playlistIndex_ >= 0 && playlistIndex_ < MaxPlaylists) {
        auto& keys = keys_[static_cast<size_t>(playlistIndex_)];
        PrepareRoom(keys);
        AddNumber(keys, id);
        ++playlistItemsRead_;
    } else
        ++result_.DroppedItems;
}

// A string record's text, still as the record's bytes: only what is taken is decoded, each
// straight into a string of its own size.
void TDatabaseReader::TakeString(uint32_t type, std::string_view raw, int encoding) {
    if (mhodsLeft_ > 0 && inTrackList_) {
        switch (type) {
        case TStringRecord::stTitle:
            pending_.Title = TextOf(raw, encoding);
            break;
        case TStringRecord::stLocation:
            SetLocation(raw, encoding);
            break;
        case TStringRecord::stAlbum:
            pending_.Album = TextOf(raw, encoding);
            break;
        case TStringRecord::stArtist:
            pending_.Artist = TextOf(raw, encoding);
            break;
        default:
            break;
        }
    } else if (!inTrackList_ && type == TStringRecord::stTitle && inPlaylist_ &&
               sectionCount_ < 3 && playlistIndex_ >= 0 && playlistIndex_ < MaxPlaylists &&
               !playlistNamed_) {
        cols_.Playlists->Put(playlistIndex_, TextOf(raw, encoding));
        playlistNamed_ = true;
    }
    --mhodsLeft_;
}

// The report's scan: the record decoded whole, its line's texts with it.
void TDatabaseReader::Apply(const TDecodedRecord& rec) {
    switch (rec.Kind) {
    case TRecordKind::DataSet:
        TakeDataSet();
        break;
    case TRecordKind::TrackList:
        TakeTrackList(rec.Count);
        break;
    case TRecordKind::PlaylistList:
        inTrackList_ = false;
        break;
    case TRecordKind::Track:
        TakeTrack(rec.DataCount, rec.Id, rec.Size, rec.TimeMs, rec.BitRate);
        break;
    case TRecordKind::Playlist:
        TakePlaylist(rec.DataCount, rec.Count);
        break;
    case TRecordKind::Item:
        TakeItem(rec.Id);
        break;
    case TRecordKind::Data:
        if (!rec.IsString)
            break;
        if (rec.HasText)
            TakeString(rec.DataType, rec.Text, DecodedText);
        else
            --mhodsLeft_;
        break;
    default:
        break;
    }
}

// The card read's scan: the record's fields taken as they are read, with no record between.
struct TDatabaseReader::TSink {
    TDatabaseReader& Reader;

    void Text(size_t begin, size_t end) {
        if (end > begin) {
            Reader.textBegin_ = begin;
            Reader.textLength_ = end - begin;
        }
    }
    void Data(uint32_t, size_t textBegin, size_t textEnd) { Text(textBegin, textEnd); }
    void DamagedData(uint32_t, bool) { ++Reader.result_.DamagedRecords; }
    void StringWithoutText(uint32_t) { --Reader.mhodsLeft_; }
    void String(uint32_t type, std::string_view raw, uint8_t encoding, size_t textBegin,
                size_t textEnd) {
        Text(textBegin, textEnd);
        Reader.TakeString(type, raw, encoding);
    }
    void Track(uint32_t dataCount, uint32_t id, uint32_t size, uint32_t timeMs, uint32_t bitRate) {
        Reader.TakeTrack(dataCount, id, size, timeMs, bitRate);
    }
    void Item(uint32_t id) { Reader.TakeItem(id); }
    void DataSet() { Reader.TakeDataSet(); }
    void Playlist(uint32_t dataCount, uint32_t count) { Reader.TakePlaylist(dataCount, count); }
    void TrackList(uint32_t count) { Reader.TakeTrackList(count); }
    void PlaylistList() { Reader.inTrackList_ = false; }
    void Header() {}
};

// A file cut inside its last playlist still parses: the playlist's record may be whole and
// its name or items simply absent. It shows by the items it lacks against its own count.
void TDatabaseReader::CheckLastPlaylist(TScanResult& result) {
    if (sectionCount_ >= 3 || playlistIndex_ < 0 || playlistIndex_ >= MaxPlaylists ||
        playlistItemsRead_ >= playlistItemsCounted_)
        return;
    if (playlistIndex_ == 0) {
        result.MasterPlaylistCut = true;
    } else if (!playlistNamed_) {
        cols_.Playlists->Delete(playlistIndex_);
        keys_[static_cast<size_t>(playlistIndex_)].clear();
        result.CutPlaylistDropped = true;
        result.CutPlaylistItems = static_cast<int>(playlistItemsRead_);
    }
}

TScanResult TDatabaseReader::Scan(std::string_view db, TBvMultiStringHolder& temp,
                                  TPlaylistLists& uids, const TReaderContext& context,
                                  bool withReport) {
    Begin(db.size(), temp, uids, context, withReport);
    Feed(db, 0);
    return Finish();
}

void TDatabaseReader::Begin(size_t fileSize, TBvMultiStringHolder& temp, TPlaylistLists& uids,
                            const TReaderContext& context, bool withReport) {
    temp_ = &temp;
    uids_ = &uids;
    context_ = &context;
    Reset();
    fileSize_ = fileSize;
    withReport_ = withReport;
    stopped_ = false;
    nextTag_ = 0;
    textBegin_ = textLength_ = 0;
    itemRoom_ = fileSize / TPlaylistItemRecord::Length;
    result_ = {};
    result_.Size = fileSize;
    // A report runs to about three times the file; growing it step by step
    // would copy it over and over.
    if (withReport)
        result_.Report.reserve(fileSize * 3);
}

namespace {

// A tag is decoded only with this much of the file behind it in the piece held, unless
// the piece reaches the end of the file: every record's fixed fields fit, so only a long
// text ever needs its piece again.
constexpr size_t TagRoom = TDatabaseReader::MinFeedBytes / 2;

// The offsets of "hm" a search hands over at a time: the scan takes them one by one, and
// the search keeps running over the bytes between them instead of starting again at each.
constexpr size_t HmBatch = 192;
// Each step of a search adds at most this many offsets.
constexpr size_t HmStep = 64;
// How far ahead of the search its bytes are fetched.
constexpr size_t PrefetchAhead = 1024;

// Fills `hits` with the offsets of "hm" from `from` on, in order, until the bytes end or
// a step might not fit in the batch; returns how many, with `from` moved to the first
// offset not yet looked at. The ends of the bytes are tried one by one.
size_t FindHmByBytes(const char* data, size_t size, size_t& from, size_t* hits) {
    size_t n = 0;
    for (; from + 1 < size && n < HmBatch; ++from)
        if (data[from] == 'h' && data[from + 1] == 'm')
            hits[n++] = from;
    if (from + 1 >= size)
        from = size;
    return n;
}

#if defined(__x86_64__)
// Sixty-four offsets tried at once, on processors that can. The bytes a little ahead are
// asked for early: the processor's own fetching stops at the end of each page.
__attribute__((target("avx2"), always_inline)) inline uint32_t HmMask(const char* at) {
    const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 1));
    return static_cast<uint32_t>(
        _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(here, _mm256_set1_epi8('h')),
                                              _mm256_cmpeq_epi8(next, _mm256_set1_epi8('m')))));
}

__attribute__((target("avx2"))) size_t FindHmWide(const char* data, size_t size, size_t& from,
                                                  size_t* hits) {
    size_t n = 0;
    for (; from + 65 <= size && n <= HmBatch - HmStep; from += 64) {
        _mm_prefetch(data + from + PrefetchAhead, _MM_HINT_T0);
        auto found = uint64_t{HmMask(data + from)} | uint64_t{HmMask(data + from + 32)} << 32;
        for (; found != 0; found &= found - 1)
            hits[n++] = from + static_cast<size_t>(__builtin_ctzll(found));
    }
    if (n > HmBatch - HmStep)
        return n;
    return n + FindHmByBytes(data, size, from, hits + n);
}

// Sixteen at once, on every processor of the kind.
size_t FindHmNarrow(const char* data, size_t size, size_t& from, size_t* hits) {
    const __m128i h = _mm_set1_epi8('h');
    const __m128i m = _mm_set1_epi8('m');
    size_t n = 0;
    for (; from + 17 <= size && n <= HmBatch - HmStep; from += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from + 1));
        auto found = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, h), _mm_cmpeq_epi8(next, m))));
        for (; found != 0; found &= found - 1)
            hits[n++] = from + static_cast<size_t>(__builtin_ctz(found));
    }
    if (n > HmBatch - HmStep)
        return n;
    return n + FindHmByBytes(data, size, from, hits + n);
}
#endif

// The search for the offsets of "hm", the widest this processor runs. Many offsets are
// tried at once: a file is mostly records' numbers and zeros, and a search for the 'h'
// alone stopped at every tag only to start again.
using THmSearch = size_t (*)(const char* data, size_t size, size_t& from, size_t* hits);
THmSearch HmSearch() {
#if defined(__x86_64__)
    static const THmSearch search = __builtin_cpu_supports("avx2") ? &FindHmWide : &FindHmNarrow;
    return search;
#else
    return &FindHmByBytes;
#endif
}

} // namespace

size_t TDatabaseReader::Feed(std::string_view bytes, size_t base) {
    const size_t end = base + bytes.size();
    if (stopped_)
        return end;
    const bool last = end >= fileSize_;
    const size_t limit = last ? end : end - std::min(end, TagRoom);
    const TDbWindow window{bytes, base, fileSize_};
    const THmSearch findHm = HmSearch();
    // Every record tag ends in "hm", and only such tags get a line.
    size_t hits[HmBatch];
    size_t found = 0, taken = 0;
    size_t from = std::max(nextTag_, base) + 2 - base; // where the search goes on
    for (;;) {
        if (taken == found) {
            if (from >= bytes.size())
                break;
            found = findHm(bytes.data(), bytes.size(), from, hits);
            taken = 0;
            continue;
        }
        const size_t hm = hits[taken++];
        const size_t i = base + hm - 2;
        if (i >= limit) {
            nextTag_ = i;
            return i;
        }
        nextTag_ = i + 1;
        const std::string_view tag = bytes.substr(hm - 2, 4);
        if (i >= textBegin_ && i - textBegin_ < textLength_ && IsRecordTag(tag))
            continue;
        try {
            if (withReport_)
                rec_ = DecodeRecord(window, i);
            else {
                TSink sink{*this};
                DecodeFields(TRecordFields(window, i), sink);
            }
        } catch (const TRecordBeyondWindow&) {
            nextTag_ = i;
            return i;
        } catch (const TRecordPastEnd&) {
            result_.Completed = false;
            result_.StopOffset = i;
            // The track before a cut-off track or data set is complete: keep it.
            if (tag == TTrackRecord::Tag || tag == TDataSetRecord::Tag)
                HandOver(result_);
            stopped_ = true;
            return end;
        }
        // The card read's records took their fields as they were read; the report's are
        // applied now, and get their lines.
        if (!withReport_)
            continue;
        if (rec_.Damaged) {
            ++result_.DamagedRecords;
        } else {
            if (rec_.TextEnd > rec_.TextBegin) {
                textBegin_ = rec_.TextBegin;
                textLength_ = rec_.TextEnd - rec_.TextBegin;
            }
            Apply(rec_);
        }
        std::string& report = result_.Report;
        report += std::to_string(i);
        report += '\t';
        report += CleanUtf8(Cp1251ToUtf8(tag));
        report += rec_.SubLabel;
        report += '\t';
        report += rec_.Details;
        report += "\r\n";
    }
    // No tag is left before the end of the piece; one may still end in its last bytes.
    nextTag_ = std::max(nextTag_, last ? end : limit);
    return nextTag_;
}

TScanResult TDatabaseReader::Finish() {
    TScanResult& result = result_;
    if (result.Completed)
        // A track that is the file's last record has nothing after it to hand it over.
        HandOver(result);
    CheckLastPlaylist(result);
    cols_.Artist->AppendMoved(rows_.Artist);
    cols_.Title->AppendMoved(rows_.Title);
    cols_.Album->AppendMoved(rows_.Album);
    cols_.Time->AppendMoved(rows_.Time);
    cols_.Size->AppendMoved(rows_.Size);
    cols_.FileName->AppendMoved(rows_.FileName);
    cols_.BitRate->AppendMoved(rows_.BitRate);
    cols_.UID->AppendMoved(rows_.UID);
    for (size_t p = 0; p < keys_.size(); ++p) {
        (*uids_)[p].AppendMoved(keys_[p]);
        keys_[p] = {};
    }
    rows_ = {};
    if (!result.Completed && withReport_) {
        result.Report +=
            Format("Scan stopped at offset %d: the record there runs past the end of "
                   "the file (%d bytes).\r\n",
                   {static_cast<int64_t>(result.StopOffset), static_cast<int64_t>(fileSize_)});
    }
    temp_ = nullptr;
    uids_ = nullptr;
    context_ = nullptr;
    cols_ = {};
    rec_ = {};
    return std::move(result_);
}
