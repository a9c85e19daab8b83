// mhlt and mhlp: the track list and the playlist list share one layout, a
// header that only counts its children.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TListRecord {
    static constexpr std::string_view TrackListTag = "tlhm";
    static constexpr std::string_view PlaylistListTag = "plhm";
    static constexpr int32_t Length = 92;

    // Byte offsets from the tag; numbers are 32-bit big-endian.
    struct Field {
        static constexpr size_t HeaderLength = 4;
        static constexpr size_t Count = 8;
    };

    struct TFields {
        std::string Tag;
        int32_t Count = 0;
    };

    // Fills the record's Length bytes at `rec`, zero where it names no value.
    static void Write(char* rec, std::string_view tag, int32_t count);
    static std::string Build(std::string_view tag, int32_t count);
    // None when the bytes are too short or hold neither list.
    static std::optional<TFields> Parse(std::string_view bytes);
};
