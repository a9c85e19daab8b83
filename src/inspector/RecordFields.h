// The fields of one record found by the scan, read once with every bound checked, and
// handed to a sink: the decoded record the inspector shows, or the reader's tables
// straight away. One reading for both, so both stop, or find a record damaged, exactly
// where the report's decoding does.
#pragma once

#include "DataSetRecord.h"
#include "DbBytes.h"
#include "DbHeaderRecord.h"
#include "ListRecord.h"
#include "PlaylistDataRecords.h"
#include "PlaylistItemRecord.h"
#include "PlaylistRecord.h"
#include "RecordReport.h"
#include "StringRecord.h"
#include "TrackRecord.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// A tag's four letters as one number, so a record's kind is told by one comparison.
constexpr uint32_t TagWord(std::string_view tag) {
    return uint32_t{static_cast<uint8_t>(tag[0])} | uint32_t{static_cast<uint8_t>(tag[1])} << 8 |
           uint32_t{static_cast<uint8_t>(tag[2])} << 16 |
           uint32_t{static_cast<uint8_t>(tag[3])} << 24;
}

// Bounds-checked field access relative to the record's tag. Bounds are the file's;
// the bytes are those of the window the scan holds, and a field inside the file but
// past the window asks for more of it.
class TRecordFields {
public:
    TRecordFields(const TDbWindow& w, size_t at)
        : bytes_(w.Bytes.data()), at_(at), rel_(at - w.Base), fileSize_(w.FileSize),
          held_(w.Bytes.size() - std::min(w.Bytes.size(), at - w.Base)) {}
    bool Has(size_t n) const { return at_ <= fileSize_ && n <= fileSize_ - at_; }
    void Need(size_t n) const {
        if (n > held_) [[unlikely]] {
            if (!Has(n))
                throw TRecordPastEnd{};
            throw TRecordBeyondWindow{};
        }
    }
    uint8_t B(size_t off) const {
        Need(off + 1);
        return static_cast<uint8_t>(bytes_[rel_ + off]);
    }
    uint32_t U16(size_t off) const {
        Need(off + 2);
        return DbBytes::Get16(Here(), off);
    }
    uint32_t U32(size_t off) const {
        Need(off + 4);
        return DbBytes::Get32(Here(), off);
    }
    // The low byte and the low 16 bits of the 32-bit number at `off`.
    uint8_t Low8(size_t off) const { return B(off + 3); }
    uint32_t Low16(size_t off) const { return U16(off + 2); }
    std::string_view Bytes(size_t off, size_t n) const {
        Need(off);
        Need(off + n);
        return {bytes_ + rel_ + off, n};
    }
    std::string Hex(size_t off, size_t n) const {
        std::string s;
        for (char c : Bytes(off, n))
            ByteToHex(static_cast<uint8_t>(c), s);
        return s;
    }
    size_t Offset() const { return at_; }
    // The tag's letters as TagWord gives them; the caller has checked they are held.
    uint32_t Tag() const { return TagWord({bytes_ + rel_, 4}); }
    // A count the record states, no more than the records of `each` bytes that the
    // file holds from here on could be.
    uint32_t PlausibleCount(size_t off, size_t each) const {
        const size_t room = at_ < fileSize_ ? (fileSize_ - at_) / each : 0;
        return static_cast<uint32_t>(std::min<size_t>(U32(off), room));
    }

private:
    // The bytes the window holds from the tag on.
    std::string_view Here() const { return {bytes_ + rel_, held_}; }

    const char* bytes_;
    size_t at_;  // in the file
    size_t rel_; // in the window
    size_t fileSize_;
    size_t held_; // bytes of the window from the tag on
};

// An index record's bytes after its track count are zero up to here.
constexpr size_t IndexZerosEnd = 68;

// Whether every byte is below 0x80; eight bytes are looked at at once.
inline bool IsAscii(std::string_view bytes) {
    size_t i = 0;
    uint64_t high = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        high |= word;
    }
    for (; i < bytes.size(); ++i)
        high |= static_cast<unsigned char>(bytes[i]);
    return (high & 0x8080808080808080ULL) == 0;
}

// The bytes of a string record's text: all of them in UTF-8, whole characters in UTF-16.
inline size_t StringTextBytes(uint32_t length, uint8_t encoding) {
    return encoding == 1 ? length : length / 2 * 2;
}

// A string record's text as UTF-8: cleaned of malformed sequences, or from UTF-16 with the
// low byte of each character first. Into `out`, whose room is reused, or as a string of
// its own size.
void StringText(std::string_view raw, uint8_t encoding, std::string& out);
std::string StringText(std::string_view raw, uint8_t encoding);

// Reads the record whose tag the fields start at and hands what the collecting needs to
// `sink`, once every bound the record's report line reads has been checked: nothing is
// handed over for a record that raises TRecordPastEnd or TRecordBeyondWindow. The text of
// a string record is handed over (as its raw bytes) only for the types ever collected.
template <typename TSink>
[[gnu::always_inline]] inline void DecodeFields(const TRecordFields& f, TSink& sink) {
    f.Need(4);
    switch (f.Tag()) {
    case TagWord(TStringRecord::Tag): {
        using F = TStringRecord::Field;
        f.Need(F::Type + 4);
        const uint8_t type = f.Low8(F::Type);
        if (type < TStringRecord::FirstNonString) {
            f.Need(F::Encoding + 1);
            const uint8_t encoding = f.B(F::Encoding);
            if (encoding > 1) {
                sink.StringWithoutText(type);
                return;
            }
            const size_t bytes = StringTextBytes(f.Low16(F::TextLength), encoding);
            if (bytes > 0 && !f.Has(F::Text + bytes)) {
                sink.DamagedData(type, true);
                return;
            }
            // Only titles, locations, albums and artists are ever taken.
            const bool taken = type >= TStringRecord::stTitle && type <= TStringRecord::stArtist;
            const std::string_view raw =
                taken && bytes > 0 ? f.Bytes(F::Text, bytes) : std::string_view();
            sink.String(type, raw, encoding, f.Offset() + F::Text, f.Offset() + F::Text + bytes);
            return;
        }
        switch (type) {
        case 15:
        case 16:
        case 17: {
            const uint32_t total = f.Low16(F::TotalLength);
            constexpr uint32_t header = TStringRecord::HeaderLength;
            if (total > header) {
                if (!f.Has(total))
                    sink.DamagedData(type, false);
                else
                    sink.Data(type, f.Offset() + header, f.Offset() + total);
                return;
            }
            break;
        }
        case 50:
            f.Need(96);
            break;
        case 51:
            f.Need(F::TotalLength + 4);
            break;
        case TPlaylistFixedRecords::IndexType: {
            using I = TPlaylistFixedRecords::IndexField;
            f.Need(IndexZerosEnd + 1);
            const uint32_t total = f.Low16(F::TotalLength);
            const uint32_t count = f.B(I::TrackCount);
            if (total >= I::Index && 4 * count == total - I::Index &&
                !f.Has(I::Index + 4 * count)) {
                sink.DamagedData(type, false);
                return;
            }
            break;
        }
        case TPositionRecord::Type:
            f.Need(TPositionRecord::Field::Position + 4);
            break;
        default:
            break;
        }
        sink.Data(type, 0, 0);
        return;
    }
    case TagWord(TTrackRecord::Tag): {
        using F = TTrackRecord::Field;
        f.Need(F::MediaType + 4);
        sink.Track(f.Low8(F::StringCount), f.U32(F::TrackId), f.U32(F::Size), f.U32(F::TimeMs),
                   f.U32(F::BitRate));
        return;
    }
    case TagWord(TPlaylistItemRecord::Tag):
        f.Need(TPlaylistItemRecord::Field::Time + 4);
        sink.Item(f.U32(TPlaylistItemRecord::Field::TrackId));
        return;
    case TagWord(TDataSetRecord::Tag):
        f.Need(TDataSetRecord::Field::Type + 4);
        sink.DataSet();
        return;
    case TagWord(TPlaylistRecord::Tag):
        f.Need(TPlaylistRecord::Field::IndexItemCount + 2);
        sink.Playlist(
            f.U32(TPlaylistRecord::Field::ItemCount),
            f.PlausibleCount(TPlaylistRecord::Field::ItemCount, TPlaylistItemRecord::Length));
        return;
    case TagWord(TListRecord::TrackListTag):
        f.Need(TListRecord::Field::Count + 4);
        sink.TrackList(f.PlausibleCount(TListRecord::Field::Count, TTrackRecord::Length));
        return;
    case TagWord(TListRecord::PlaylistListTag):
        f.Need(TListRecord::Field::Count + 4);
        sink.PlaylistList();
        return;
    case TagWord(TDbHeaderRecord::Tag):
        f.Need(TDbHeaderRecord::Field::Flag + 1);
        sink.Header();
        return;
    default:
        return;
    }
}
