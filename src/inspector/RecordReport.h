// Decoding of one record found by the scan: the report texts of its line and
// the fields the extraction collects, read once. Reading is pure; the scan
// applies what was collected only when the whole record could be read.
// The card read wants no report: DecodeRecordFields reads only what the
// collecting needs and stops where DecodeRecord would, so both collect alike.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Raised when a record's fixed fields would be read past the end of the file.
struct TRecordPastEnd {};
// Raised when a record's fields lie inside the file but past the bytes the scan holds of
// it: the scan reads on and decodes the record again.
struct TRecordBeyondWindow {};

// The part of the file a scan holds: `Bytes` start at offset `Base` of a file of
// `FileSize` bytes. Offsets given to the decoders are the file's.
struct TDbWindow {
    std::string_view Bytes;
    size_t Base = 0;
    size_t FileSize = 0;
};

enum class TRecordKind {
    None,
    Header,
    DataSet,
    TrackList,
    PlaylistList,
    Track,
    Data,
    Playlist,
    Item
};

struct TDecodedRecord {
    TRecordKind Kind = TRecordKind::None;
    std::string Details;
    std::string SubLabel;
    // Track list: the tracks it says it holds; playlist: its items. For making room
    // only: never more than the rest of the file has room for, so a damaged count
    // cannot claim more memory than the file's size warrants.
    uint32_t Count = 0;
    // Track: id, size, milliseconds, bitrate, data-record count. Playlist: its item count
    // in DataCount.
    uint32_t Id = 0;
    uint32_t Size = 0;
    uint32_t TimeMs = 0;
    uint32_t BitRate = 0;
    uint32_t DataCount = 0;
    // Data record: its type; a string record also its text when it could be decoded.
    uint32_t DataType = 0;
    bool IsString = false;
    bool HasText = false;
    std::string Text;
    // Where the decoded text bytes lie in the file; a record tag found there is
    // text, not a record. Empty when TextBegin == TextEnd.
    size_t TextBegin = 0;
    size_t TextEnd = 0;
    // The record's own length runs past the end of the file: its line says so
    // and nothing of it is collected.
    bool Damaged = false;
};

// Decodes the record whose tag starts at `offset`; a tag that names no record
// gives Kind None and empty texts. Raises TRecordPastEnd, and with a window that
// ends before the file does, TRecordBeyondWindow.
TDecodedRecord DecodeRecord(std::string_view db, size_t offset);
TDecodedRecord DecodeRecord(const TDbWindow& window, size_t offset);
// The same without the report texts: kind, collected fields, text bytes and
// damage only; the text itself only for the types that are ever collected.
TDecodedRecord DecodeRecordFields(std::string_view db, size_t offset);
// The same into `r`, which the scan reuses record after record.
void DecodeRecordFields(std::string_view db, size_t offset, TDecodedRecord& r);
void DecodeRecordFields(const TDbWindow& window, size_t offset, TDecodedRecord& r);
// Whether the four bytes are one of the eight tags of the format.
bool IsRecordTag(std::string_view tag);

// "3:5" from 185000 ms: whole minutes and the seconds left over.
std::string PlayingTimeText(uint32_t ms);
// The track key: the id in decimal, unsigned.
std::string TrackKey(uint32_t id);
// Appends the two upper-case hex digits of the byte.
void ByteToHex(uint8_t b, std::string& s);
// A count of days since 30 December 1899 as a date, dd.mm.yyyy; zeros outside years 1 to 9999.
std::string DaysToDateText(int32_t days);
// Any bytes as UTF-8; malformed sequences become U+FFFD.
std::string CleanUtf8(std::string_view bytes);
