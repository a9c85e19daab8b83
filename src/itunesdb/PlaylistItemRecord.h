// mhip: one playlist item naming a track by its id; a position record follows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TPlaylistItemRecord {
    static constexpr std::string_view Tag = "pihm";
    static constexpr int32_t Length = 76;
    static constexpr int32_t TotalLength = 120;

    // Byte offsets from the tag; numbers are 32-bit big-endian unless named a byte.
    struct Field {
        static constexpr size_t HeaderLength = 4;
        static constexpr size_t TotalLength = 8;
        static constexpr size_t DataRecordCount = 12;
        static constexpr size_t GroupFlag = 16;
        static constexpr size_t GroupId = 20;
        static constexpr size_t Random = 22; // two bytes
        static constexpr size_t TrackId = 24;
        static constexpr size_t Time = 28;
    };

    // Fills the record's Length bytes at `rec`, zero where it names no value; its
    // two random bytes are `random`, drawn by RandomBytes.
    static void Write(char* rec, int32_t trackId, const uint8_t random[2]);
    // The same with two bytes drawn for this record alone.
    static void Write(char* rec, int32_t trackId);
    static std::string Build(int32_t trackId);
    // The track id; none when the bytes are too short or hold another record.
    static std::optional<int32_t> Parse(std::string_view bytes);
    // A pseudo-random byte 0 to 254 from a generator seeded once per run; safe
    // to call from the build worker while other threads draw too.
    static uint8_t RandomByte();
    // `count` such bytes under one hold of the generator: a playlist's items draw
    // theirs together rather than taking the lock twice per item.
    static void RandomBytes(uint8_t* out, size_t count);
};
