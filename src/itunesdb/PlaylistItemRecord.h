// mhip: one playlist item naming a track by its id; a position record follows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct TPlaylistItemRecord {
    static constexpr std::string_view Tag = "pihm";
    static constexpr int32_t Length = 76;
    static constexpr int32_t TotalLength = 120;

    static std::string Build(int32_t trackId);
    // A pseudo-random byte 0 to 254 from a generator seeded once per run; safe
    // to call from the build worker while other threads draw too.
    static uint8_t RandomByte();
};
