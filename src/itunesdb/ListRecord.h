// mhlt and mhlp: the track list and the playlist list share one layout, a
// header that only counts its children.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct TListRecord {
    static constexpr std::string_view TrackListTag = "tlhm";
    static constexpr std::string_view PlaylistListTag = "plhm";
    static constexpr int32_t Length = 92;

    static std::string Build(std::string_view tag, int32_t count);
};
