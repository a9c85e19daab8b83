#include "DatabaseReader.h"

#include "DataSetRecord.h"
#include "PlaylistItemRecord.h"
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
// stored location with its colons turned back into backslashes. The record's text keeps
// its room for the next record's.
void TDatabaseReader::SetLocation(std::string_view location) {
    std::string& path = pending_.FileName;
    path.clear();
    path.reserve(2 + location.size());
    path += context_->PhoneDrive;
    path += ':';
    const size_t from = path.size();
    path.append(location);
    std::replace(path.begin() + static_cast<std::ptrdiff_t>(from), path.end(), ':', '\\');
    pending_.HasLocation = true;
}

void TDatabaseReader::Apply(TDecodedRecord& rec, TScanResult& result) {
    switch (rec.Kind) {
    case TRecordKind::DataSet:
        HandOver(result);
        ++sectionCount_;
        break;
    case TRecordKind::TrackList:
        inTrackList_ = true;
        // Room for the tracks the list announces, so the columns never grow by copying.
        for (auto* column : {&rows_.Artist, &rows_.Title, &rows_.Album, &rows_.Size, &rows_.Time,
                             &rows_.FileName, &rows_.BitRate, &rows_.UID})
            column->reserve(column->size() + rec.Count);
        break;
    case TRecordKind::PlaylistList:
        inTrackList_ = false;
        break;
    case TRecordKind::Track:
        HandOver(result);
        mhodsLeft_ = static_cast<int>(rec.DataCount);
        pending_.Read = true;
        pending_.Id = rec.Id;
        pending_.Size = rec.Size;
        pending_.TimeMs = rec.TimeMs;
        pending_.BitRate = rec.BitRate;
        break;
    case TRecordKind::Playlist:
        inPlaylist_ = true;
        // Each playlist gets a list of its own, named or not, so its items
        // never join the playlist before it.
        if (sectionCount_ < 3) {
            if (playlistsSeen_ < MaxPlaylists) {
                cols_.Playlists->Add("");
                playlistIndex_ = playlistsSeen_;
                // Each playlist's count is checked against the whole rest of the file, so
                // together they may reserve only what the file could hold.
                const size_t room = std::min<size_t>(rec.Count, itemRoom_);
                itemRoom_ -= room;
                keys_[static_cast<size_t>(playlistIndex_)].reserve(room);
            } else {
                ++result.DroppedPlaylists;
                playlistIndex_ = MaxPlaylists;
            }
            ++playlistsSeen_;
            playlistNamed_ = false;
            playlistItemsCounted_ = rec.DataCount;
            playlistItemsRead_ = 0;
        }
        break;
    case TRecordKind::Item:
        if (sectionCount_ < 3) {
            if (playlistIndex_ >= 0 && playlistIndex_ < MaxPlaylists) {
                auto& keys = keys_[static_cast<size_t>(playlistIndex_)];
                PrepareRoom(keys);
                AddNumber(keys, rec.Id);
                ++playlistItemsRead_;
            } else
                ++result.DroppedItems;
        }
        break;
    case TRecordKind::Data:
        if (!rec.IsString)
            break;
        if (rec.HasText) {
            if (mhodsLeft_ > 0 && inTrackList_) {
                // Copied at their own size, not moved: the record's text keeps its room for
                // the next record's, and a short text takes no room of its own.
                switch (rec.DataType) {
                case TStringRecord::stTitle:
                    pending_.Title = std::string(rec.Text);
                    break;
                case TStringRecord::stLocation:
                    SetLocation(rec.Text);
                    break;
                case TStringRecord::stAlbum:
                    pending_.Album = std::string(rec.Text);
                    break;
                case TStringRecord::stArtist:
                    pending_.Artist = std::string(rec.Text);
                    break;
                default:
                    break;
                }
            } else if (!inTrackList_ && rec.DataType == TStringRecord::stTitle && inPlaylist_ &&
                       sectionCount_ < 3 && playlistIndex_ >= 0 && playlistIndex_ < MaxPlaylists &&
                       !playlistNamed_) {
                cols_.Playlists->Put(playlistIndex_, std::move(rec.Text));
                playlistNamed_ = true;
            }
        }
        --mhodsLeft_;
        break;
    default:
        break;
    }
}

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
// asked for early: the file's pages lie anywhere in memory, and the processor does not
// fetch across the end of a page by itself.
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
            else
                DecodeRecordFields(window, i, rec_);
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
        if (rec_.Damaged) {
            ++result_.DamagedRecords;
        } else {
            if (rec_.TextEnd > rec_.TextBegin) {
                textBegin_ = rec_.TextBegin;
                textLength_ = rec_.TextEnd - rec_.TextBegin;
            }
            Apply(rec_, result_);
        }
        if (withReport_) {
            std::string& report = result_.Report;
            report += std::to_string(i);
            report += '\t';
            report += CleanUtf8(Cp1251ToUtf8(tag));
            report += rec_.SubLabel;
            report += '\t';
            report += rec_.Details;
            report += "\r\n";
        }
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
