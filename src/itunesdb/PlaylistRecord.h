// mhyp: one playlist; its name, the fixed block and its items follow it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TPlaylistRecord {
    static constexpr std::string_view Tag = "pyhm";
    static constexpr int32_t Length = 108;
    static constexpr int32_t DataRecordCount = 7;

    // Byte offsets from the tag; numbers are 32-bit big-endian unless named a
    // byte or 16-bit.
    struct Field {
        static constexpr size_t HeaderLength = 4;
        static constexpr size_t TotalLength = 8;
        static constexpr size_t DataRecordCount = 12;
        static constexpr size_t ItemCount = 16;
        static constexpr size_t Master = 20; // byte
        static constexpr size_t Time = 24;
        static constexpr size_t PlaylistId = 28;
        static constexpr size_t StringCount = 36;
        static constexpr size_t SortOrder = 39;      // byte
        static constexpr size_t IndexItemCount = 40; // 16-bit
        static constexpr size_t One = 44;
    };

    struct TFields {
        int32_t TotalLength = 0;
        int32_t ItemCount = 0;
        int32_t Master = 0;

        bool operator==(const TFields&) const = default;
    };

    // Fills the record's Length bytes at `rec`, zero where it names no value.
    static void Write(char* rec, int32_t totalLength, int32_t itemCount, int32_t master);
    static std::string Build(int32_t totalLength, int32_t itemCount, int32_t master);
    // None when the bytes are too short or hold another record.
    static std::optional<TFields> Parse(std::string_view bytes);
};
