// mhsd: a data set, holding either the track list or the playlist list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TDataSetRecord {
    static constexpr std::string_view Tag = "dshm";
    static constexpr int32_t Length = 96;
    enum TType : int32_t { dsTracks = 1, dsPlaylists = 2, dsPodcasts = 3 };

    // Byte offsets from the tag; numbers are 32-bit big-endian.
    struct Field {
        static constexpr size_t HeaderLength = 4;
        static constexpr size_t TotalLength = 8;
        static constexpr size_t Type = 12;
    };

    struct TFields {
        int32_t TotalLength = 0;
        int32_t Type = 0;
    };

    // Fills the record's Length bytes at `rec`, zero where it names no value.
    static void Write(char* rec, int32_t totalLength, int32_t type);
    static std::string Build(int32_t totalLength, int32_t type);
    // None when the bytes are too short or hold another record.
    static std::optional<TFields> Parse(std::string_view bytes);
};
