// The data mhods of a playlist that carry no text: the position record after
// every item and the fixed block of one view record and five index records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TPositionRecord {
    static constexpr std::string_view Tag = "dohm";
    static constexpr int32_t Length = 44;
    static constexpr int32_t Type = 100;

    // Byte offsets from the tag; numbers are 32-bit big-endian.
    struct Field {
        static constexpr size_t HeaderLength = 4;
        static constexpr size_t TotalLength = 8;
        static constexpr size_t Type = 12;
        static constexpr size_t Position = 24;
    };

    // Fills the record's Length bytes at `rec`, zero where it names no value.
    static void Write(char* rec, int32_t position);
    static std::string Build(int32_t position);
    // The position; none when the bytes are too short or hold another record.
    static std::optional<int32_t> Parse(std::string_view bytes);
};

struct TPlaylistFixedRecords {
    static constexpr int32_t ViewLength = 648;
    static constexpr int32_t IndexLength = 80;
    static constexpr int32_t IndexCount = 5;
    static constexpr int32_t Length = ViewLength + IndexCount * IndexLength;
    static constexpr int32_t RecordCount = 1 + IndexCount;
    static constexpr int32_t IndexType = 52;

    // Byte offsets from the tag of the view record; numbers are 32-bit big-endian.
    struct ViewField {
        static constexpr size_t Columns = 40;
        static constexpr size_t One = 44;
        static constexpr size_t EntryCount = 48;
        static constexpr size_t Entries = 56; // 16 bytes each
    };
    // Byte offsets from the tag of an index record; numbers are 32-bit big-endian
    // unless named a byte.
    struct IndexField {
        static constexpr size_t SortKey = 24;    // its first byte names the column
        static constexpr size_t TrackCount = 28; // byte
        static constexpr size_t Index = 72;      // 4 bytes per track
    };

    // The same 1048 bytes for every playlist, built once.
    static const std::string& Build();
    // The sort keys of the five index records; none when the bytes are too short
    // or differ from the block in anything else.
    static std::optional<std::string> ParseSortKeys(std::string_view bytes);
};
