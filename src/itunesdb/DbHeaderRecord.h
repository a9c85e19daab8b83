// mhbd: the database header that opens the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TDbHeaderRecord {
    static constexpr std::string_view Tag = "dbhm";
    static constexpr int32_t Length = 104;
    static constexpr uint32_t Version = 13;
    static constexpr uint32_t DataSetCount = 3;
    static constexpr std::string_view Id = "Wrenhold";

    // Byte offsets from the tag; numbers are 32-bit big-endian unless named a byte.
    struct Field {
        static constexpr size_t HeaderLength = 4;
        static constexpr size_t TotalLength = 8;
        static constexpr size_t One = 12;
        static constexpr size_t Version = 16;
        static constexpr size_t DataSetCount = 20;
        static constexpr size_t Id = 24;   // 8 bytes
        static constexpr size_t Flag = 32; // a byte, 2
    };

    struct TFields {
        int32_t TotalLength = 0;
        uint32_t Version = 0;
        uint32_t DataSetCount = 0;
        std::string Id;
    };

    // Fills the record's Length bytes at `rec`, zero where it names no value.
    static void Write(char* rec, int32_t totalLength);
    static std::string Build(int32_t totalLength);
    // The fields of a header at the start of `bytes`; none when the bytes are too
    // short or hold another record.
    static std::optional<TFields> Parse(std::string_view bytes);
};
